#include "input/program_reader.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {

void PrintTo(const ProgramInfo& i, std::ostream* os) {
  *os << "{frames " << i.frames << ", ports " << i.ports << ", pixels " << i.pixels << ", frame length "
      << i.frameLength << "}";
}

namespace {

using samples::ProgramSpec;
using Bytes = std::vector<uint8_t>;

class ProgramReader : public support::TempDirTest {
 protected:
  const NibbleTable table = samples::nibbleTable(3);
  Bytes header = Bytes(kMaxFrameLength, 0xEE);

  std::string write(const std::string& name, const ProgramSpec& spec) {
    return dir.write(name, samples::programBytes(table, spec));
  }
  ReadOutcome read(const std::string& path) { return readProgramFile(path, table, header.data()); }
  ProgramInfo accepted(const std::string& path) {
    const ReadOutcome out = read(path);
    EXPECT_FALSE(out.refusal.has_value());
    EXPECT_FALSE(out.error.has_value()) << out.error->text;
    return out.info.value_or(ProgramInfo{-1, -1, -1, -1});
  }
  // The refusal of a file of these bytes; nullopt when it is accepted.
  std::optional<ReaderRefusal> refusal(const Bytes& bytes) {
    const ReadOutcome out = read(dir.write("x.led", bytes));
    EXPECT_FALSE(out.error.has_value());
    EXPECT_NE(out.info.has_value(), out.refusal.has_value());
    return out.refusal;
  }
};

TEST_F(ProgramReader, DerivesFramesPortsPixelsAndFrameLength) {
  const Bytes file = samples::programBytes(table, ProgramSpec{});
  const std::string path = dir.write("spring.led", file);
  EXPECT_EQ(accepted(path), (ProgramInfo{2, 4, 1024, 3072}));  // 768 bytes per port, 256 pixels
  EXPECT_EQ(Bytes(header.begin(), header.begin() + 512), Bytes(file.begin(), file.begin() + 512));
  EXPECT_EQ(header[512], 0xEE);  // nothing beyond the header sector
}

TEST_F(ProgramReader, PortsComeFromBits3To1OfByte27) {
  const std::pair<uint8_t, int32_t> cases[] = {{0x00, 8}, {0x01, 8}, {0x02, 1}, {0x03, 1},
                                               {0x0E, 7}, {0x0F, 7}, {0xF6, 3}, {0x18, 4}};
  for (const auto& [field, ports] : cases) {
    ProgramSpec spec;
    spec.frameLength = 6144;
    spec.portsField = field;
    const ProgramInfo info = accepted(write("p.led", spec));
    EXPECT_EQ(info.ports, ports) << int{field};
    EXPECT_EQ(info.pixels, 6144 / ports / 3 * ports) << int{field};
  }
}

TEST_F(ProgramReader, PixelsPerPortAreCappedAt16000) {
  ProgramSpec spec;
  spec.frames = 0;
  spec.frameLength = 196608;  // B = 3
  spec.ports = 1;
  EXPECT_EQ(accepted(write("wide.led", spec)).pixels, 16000);
  spec.ports = 4;  // 49152 bytes per port
  EXPECT_EQ(accepted(write("wide.led", spec)).pixels, 64000);
  spec.ports = 5;  // 39321 bytes per port, 13107 pixels
  EXPECT_EQ(accepted(write("wide.led", spec)).pixels, 13107 * 5);
}

TEST_F(ProgramReader, OnlyWholeFramesCount) {
  ProgramSpec spec;
  spec.frameLength = 2048;
  spec.frames = 2;
  spec.partial = 1024;  // 512 + 2.5 frames
  EXPECT_EQ(accepted(write("half.led", spec)).frames, 2);
  spec.frames = 0;
  spec.partial = 0;  // exactly the header
  EXPECT_EQ(accepted(write("empty.led", spec)).frames, 0);
  spec.partial = 2047;
  EXPECT_EQ(accepted(write("almost.led", spec)).frames, 0);
}

TEST_F(ProgramReader, FrameCountBeyond32BitsIsCapped) {
  ProgramSpec spec;
  spec.frameLength = 256;
  spec.frames = 0;
  const std::string path = write("huge.led", spec);
  const off_t size = 512 + (off_t{1} << 39);  // 2^31 frames of 256 bytes, sparse
  if (::truncate(path.c_str(), size) != 0) GTEST_SKIP() << "no sparse file of 512 GiB here";
  EXPECT_EQ(accepted(path).frames, INT32_MAX);
}

TEST_F(ProgramReader, ChipCodeMustBe106) {
  Bytes file = samples::programBytes(table, ProgramSpec{});
  file[18] = 0x40;
  file[19] = 0x0D;  // 13 * 8 + 2 = 106
  EXPECT_FALSE(refusal(file).has_value());
  file[18] = 0x20;  // 105
  EXPECT_EQ(refusal(file), ReaderRefusal::kChipType);
  file[18] = 0x5F;  // bits 4..0 of byte 18 and 7..4 of byte 19 do not count
  file[19] = 0xFD;
  EXPECT_FALSE(refusal(file).has_value());
}

TEST_F(ProgramReader, RefusalsComeInCheckOrder) {
  ProgramSpec bad;
  bad.magic = "QWX";
  bad.controller = 0;
  bad.chip = 105;
  bad.frameLength = 0;
  EXPECT_EQ(refusal(samples::programBytes(table, bad)), ReaderRefusal::kFileType);
  bad.magic = "QWM";
  EXPECT_EQ(refusal(samples::programBytes(table, bad)), ReaderRefusal::kControllerType);
  bad.controller = 1;
  EXPECT_EQ(refusal(samples::programBytes(table, bad)), ReaderRefusal::kChipType);
  bad.chip = 106;
  EXPECT_EQ(refusal(samples::programBytes(table, bad)), ReaderRefusal::kNoFrameLength);

  bad.magic = "QWX";
  Bytes shortFile = samples::programBytes(table, bad);
  shortFile.resize(511);
  EXPECT_EQ(refusal(shortFile), ReaderRefusal::kOpenFile);
  EXPECT_EQ(refusal(Bytes{}), ReaderRefusal::kOpenFile);
  for (const char* magic : {"qWM", "QwM", "QWm", "WQM"}) {
    ProgramSpec spec;
    spec.magic = magic;
    EXPECT_EQ(refusal(samples::programBytes(table, spec)), ReaderRefusal::kFileType) << magic;
  }
}

TEST_F(ProgramReader, FrameLengthMustFitTheWorkingBuffers) {
  ProgramSpec spec;
  spec.frames = 0;
  spec.ports = 1;
  spec.frameLength = 349952;
  EXPECT_EQ(accepted(write("max.led", spec)).frameLength, 349952);
  spec.frameLength = 350208;
  EXPECT_EQ(refusal(samples::programBytes(table, spec)), ReaderRefusal::kFrameTooLarge);
  spec.frameLength = 0xFFFF00;
  EXPECT_EQ(refusal(samples::programBytes(table, spec)), ReaderRefusal::kFrameTooLarge);

  // Without a settings file every entry is 0 and so is every frame length.
  spec.frameLength = 3072;
  const std::string path = write("any.led", spec);
  const ReadOutcome out = readProgramFile(path, NibbleTable{}, header.data());
  EXPECT_EQ(out.refusal, ReaderRefusal::kNoFrameLength);
}

TEST_F(ProgramReader, MissingFileIsAShortFileAndIsNotCreated) {
  EXPECT_EQ(read(dir.file("missing.led")).refusal, ReaderRefusal::kOpenFile);
  EXPECT_EQ(read(dir.file("no/folder/missing.led")).refusal, ReaderRefusal::kOpenFile);
  EXPECT_EQ(read("").refusal, ReaderRefusal::kOpenFile);
  EXPECT_TRUE(dir.names().empty());
}

TEST_F(ProgramReader, ReadOnlyFileIsAcceptedAndAFolderIsAnError) {
  const std::string path = write("ro.led", ProgramSpec{});
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(accepted(path).frames, 2);

  const ReadOutcome folder = read(dir.path());
  EXPECT_TRUE(folder.error.has_value());
  EXPECT_FALSE(folder.refusal.has_value());
}

TEST(DecodeFrameLength, KeyNibblePicksTheRowEncodedNibbleTheColumn) {
  NibbleTable t{};
  for (int k = 0; k < 16; ++k)
    for (int v = 0; v < 16; ++v) t[16 * k + v] = static_cast<uint8_t>((v + 2 * k) & 15);
  uint8_t h[11] = {};
  h[5] = 0x12;
  h[9] = 0x31;  // A = T[16*3 + 1] * 16 + T[16*1 + 2] = 7 * 16 + 4
  h[6] = 0x0F;
  h[10] = 0x10;  // B = T[16*1 + 0] * 16 + T[16*0 + 15] = 2 * 16 + 15
  EXPECT_EQ(decodeFrameLength(h, t), (2 * 16 + 15) * 65536 + (7 * 16 + 4) * 256);
}

TEST(DecodeFrameLength, SampleHeadersDecodeToTheirFrameLength) {
  for (uint64_t seed = 0; seed < 200; ++seed) {
    const NibbleTable t = samples::nibbleTable(seed);
    ProgramSpec spec;
    spec.seed = seed;
    spec.frames = 0;
    spec.frameLength = static_cast<int32_t>((seed * 2654435761u) % 65536) * 256;
    const Bytes file = samples::programBytes(t, spec);
    EXPECT_EQ(decodeFrameLength(file.data(), t), spec.frameLength) << seed;
  }
}

}  // namespace
}  // namespace led2vqn
