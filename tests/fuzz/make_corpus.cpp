// Writes the seed corpora of the fuzz targets: small sample files made from
// seeds and real card headers and cards made by the writers.
//
//   build-fuzz/fuzz/fuzz_make_corpus tests/fuzz/corpus
//
// The output is the same on every run (the generator is never seeded).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

#include "app/script_runner.hpp"
#include "input/sample_files.hpp"
#include "base/file_io.hpp"

using namespace led2vqn;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint64_t kTableSeed = 7;  // the fuzz targets decode with nibbleTable(7)

Bytes readAll(const std::string& path) {
  ReadOnlyFile file;
  uint64_t size = 0;
  if (file.open(path) || file.size(size)) throw std::runtime_error("cannot read " + path);
  Bytes out(size);
  if (file.readAt(0, out.data(), out.size())) throw std::runtime_error("cannot read " + path);
  return out;
}

void put(const fs::path& folder, const std::string& name, const Bytes& bytes) {
  fs::create_directories(folder);
  samples::writeFile((folder / name).string(), bytes);
}

Bytes textBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes program(int ports, int frames, int32_t frameLength, std::size_t partial = 0) {
  samples::ProgramSpec shape;
  shape.ports = ports;
  shape.frames = frames;
  shape.frameLength = frameLength;
  shape.partial = partial;
  return samples::programBytes(samples::nibbleTable(kTableSeed), shape);
}

// Runs `script` in `work` (settings file Gcode.sdc there); stops on a script error.
void run(const fs::path& work, const std::string& script) {
  std::ostringstream shown;
  ScriptPort port(shown);
  WindowModel model(port);
  model.windowCreated((work / "Gcode.sdc").string());
  ScriptRunner runner(model, port, work.string());
  if (auto stop = runner.run(parseScript(script))) throw std::runtime_error(stop->text);
}

// Header sector of a card with the third magic byte set to 'D' and the check bytes recomputed.
Bytes patchedToKwd(Bytes header) {
  header[2] = 'D';
  uint8_t sum = 0;
  for (int i = 0; i < 510; ++i) sum = static_cast<uint8_t>(sum + header[i]);
  header[510] = sum;
  uint8_t x = 0;
  for (int i = 0; i < 511; ++i) x ^= header[i];
  header[511] = x;
  return header;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path work = fs::temp_directory_path() / ("led2vqn-corpus-" + std::to_string(::getpid()));
  fs::create_directories(work);
  try {
    put(out / "program_reader", "one_port.led", program(1, 1, 256));
    put(out / "program_reader", "eight_ports_partial.led", program(8, 1, 512, 100));
    put(out / "program_reader", "header_only.led", program(4, 0, 3072));
    put(out / "program_reader", "large_frame.led", program(2, 0, 349952));

    // Header byte 4 picks the model of the conversion target: Z71 RGB, Z6, Z71 RGBW with a companion.
    Bytes rgb = program(4, 1, 3072), z6 = program(1, 2, 256), rgbw = program(8, 1, 512, 100);
    rgb[4] = 0;
    z6[4] = 5;
    rgbw[4] = 0x43;
    put(out / "conversion", "z71rgb_4_ports.led", rgb);
    put(out / "conversion", "z6_1_port.led", z6);
    put(out / "conversion", "z71rgbw_8_ports.led", rgbw);
    Bytes wide = program(8, 0, 349952);  // lengthened to one frame by the target (byte 4 bit 5)
    wide[4] = 0x22;
    put(out / "conversion", "z58_8_ports_widest_frame.led", wide);

    put(out / "settings_file", "english.sdc", samples::settingsBytes(kTableSeed, 1000, 0x30));
    put(out / "settings_file", "chinese.sdc", samples::settingsBytes(kTableSeed, 1000, 0x31));
    put(out / "settings_file", "short.sdc", samples::settingsBytes(kTableSeed, 600, 0x31));

    put(out / "script", "batch.run",
        textBytes("add spring.led\nadd autumn.led\ntwoports 1 on\nspeed 30\nbrightness 50\n"
                  "multimode on\nmodes 2\nmode 1 1 10\nmode 2 11 20\noutput z71rgb\n"));
    put(out / "script", "modes.run",
        textBytes("\xEF\xBB\xBF# read a card\r\nlanguage zh\nmultimode on\nreadmode my cards/a_2P_Z71RGB_10K.vqn\n"
                  "modes 80\nselect 1\ndelete\nsavemode\noutput z36\n"));

    // Real cards: a 1-port Z6 card of one frame (the smallest), and Z71 RGB
    // headers with and without a mode block.
    samples::writeFile((work / "Gcode.sdc").string(), samples::settingsBytes(kTableSeed));
    samples::writeFile((work / "one.led").string(), program(1, 1, 256));
    samples::writeFile((work / "four.led").string(), program(4, 30, 3072));
    run(work, "add one.led\noutput z6\n");
    const Bytes z6Card = readAll((work / "one_1P_Z6.vqn").string());
    run(work, "add four.led\nspeed 33\nbrightness 77\nmultimode on\nmodes 5\nmode 1 1 10\nmode 2 30 2\n"
              "mode 3 5 5\nmode 5 7 29\noutput z71rgb\n");
    const Bytes modes = readAll((work / "four_4P_Z71RGB_10K.vqn").string());
    run(work, "add four.led\ntwoports 1 on\noutput z71rgb\n");
    const Bytes plain = readAll((work / "four_2P_Z71RGB_10K.vqn").string());

    const Bytes z6Header(z6Card.begin(), z6Card.begin() + 512);
    const Bytes modesHeader(modes.begin(), modes.begin() + 512);
    const Bytes plainHeader(plain.begin(), plain.begin() + 512);
    put(out / "card_inspect", "z6_one_frame.vqn", z6Card);
    put(out / "card_decoder", "z6_one_frame.vqn", z6Card);
    // Recipes: '#', model, ports, block offset (2 bytes), frames, channel bytes
    // (2 bytes), sectors, block shift, brightness, 6 unused, then the blocks.
    Bytes recipe = textBytes("#");
    for (const uint8_t b : {0, 2, 0x29, 0x68, 1, 0x01, 0x00, 42, 5, 60, 0, 0, 0, 0, 0, 0}) recipe.push_back(b);
    recipe.resize(recipe.size() + 42 * 512, 0x5A);
    put(out / "card_decoder", "z71rgb_2_ports_recipe.bin", recipe);
    put(out / "card_header", "z6.hdr", z6Header);
    put(out / "card_header", "five_modes.hdr", modesHeader);
    put(out / "card_header", "no_modes.hdr", plainHeader);
    put(out / "mode_file", "five_modes_kwd.vqn", patchedToKwd(modesHeader));
    put(out / "mode_file", "no_modes.vqn", plainHeader);
    put(out / "mode_file", "z6.vqn", z6Header);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    fs::remove_all(work);
    return 1;
  }
  fs::remove_all(work);
  return 0;
}
