// Reading cards back (verify, preview) on arbitrary files. An input that
// starts with '#' is a recipe instead: its next bytes give a model and the
// header's fields, which get a real scrambled header with valid check bytes,
// and the rest of the input follows as frame blocks; so the fuzzer reaches
// every placement a header can declare. Whatever the card holds, every slot
// the map names lies inside the frame block before its check bytes, and
// every whole block decodes.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/timeline.hpp"
#include "fuzz_support.hpp"
#include "output/card_decoder.hpp"
#include "output/card_writer.hpp"

using namespace led2vqn;

namespace {

std::vector<uint8_t> cardOfRecipe(const uint8_t* data, std::size_t size) {
  uint8_t r[16] = {};
  std::memcpy(r, data, std::min<std::size_t>(size, sizeof r));
  constexpr OutputKind kKinds[] = {OutputKind::kZ71Rgb, OutputKind::kJ9,  OutputKind::kZ58, OutputKind::kZ71Rgbw,
                                   OutputKind::kZ94,    OutputKind::kZ6, OutputKind::kZ36};
  const CardModel& model = *cardModel(kKinds[r[0] % 7]);
  HeadInputs in;
  in.ports = r[1] % 10;
  in.blockOffset = r[2] << 8 | r[3];
  in.frames = r[4] % 20;
  in.channelBytes = r[5] << 8 | r[6];
  in.frameSectors = r[7] % 200;
  in.blockShift = r[8] % 20;
  in.framePeriod = 40;
  in.brightness = r[9];
  std::vector<uint8_t> card(kHeaderScratchBytes, 0);
  std::memcpy(card.data(), model.magic, 6);
  Generator rng;
  ModeTable table{};
  saveHead(rng, card.data(), in, ModeSettings{false, 1, &table, 0});
  card.resize(512);
  if (size > sizeof r) card.insert(card.end(), data + sizeof r, data + size);
  return card;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> card;
  if (size > 0 && data[0] == '#') {
    card = cardOfRecipe(data + 1, size - 1);
  } else {
    card.assign(data, data + size);
  }
  const std::string& path = fuzz::writeScratchFile(card.data(), card.size(), ".vqn");
  CardDecoder decoder;
  if (decoder.open(path)) return 0;
  const CardPlacement& p = decoder.placement();
  const CardMap& map = decoder.map();
  for (const std::vector<ChannelSource>* sources : {&map.channel, &map.white}) {
    for (const ChannelSource& s : *sources) {
      if (s.onCard() && (s.at < 2 || s.at + s.lanes > p.blockBytes - 2)) fuzz::broken("a slot outside the frame block");
    }
  }
  if (decoder.wholeBlocks() > decoder.framesOnCard() ||
      512 + uint64_t(decoder.wholeBlocks()) * uint64_t(p.blockBytes) > card.size()) {
    fuzz::broken("more whole blocks than the file holds");
  }
  CardFrame frame;
  for (int32_t f = 1; f <= std::min(decoder.wholeBlocks(), 8); ++f) {
    const CardDecoder::FrameState state = decoder.read(f, frame);
    if (state != CardDecoder::FrameState::kOk && state != CardDecoder::FrameState::kCheckBytesDiffer) {
      fuzz::broken("a whole block did not decode");
    }
  }
  if (decoder.read(decoder.wholeBlocks() + 1, frame) != CardDecoder::FrameState::kMissing) fuzz::broken("a block past the end");

  TimelineRequest request;
  request.file = path;
  request.lastFrame = 4;
  Timeline timeline;
  if (!buildTimeline(request, NibbleTable{}, timeline)) {
    Picture picture;
    drawTimeline(timeline, 1, picture);
  }
  return 0;
}
