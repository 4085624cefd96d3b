#include "app/card_verify.hpp"

#include <algorithm>
#include <cstdio>

#include "app/messages.hpp"
#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "output/card_inspect.hpp"
#include "output/card_writer.hpp"

namespace led2vqn {

std::optional<std::string> ProgramFrames::open(const std::string& path, const NibbleTable& table) {
  std::vector<uint8_t> header(kSectorBytes);
  const ReadOutcome read = readProgramFile(path, table, header.data());
  if (read.error) return read.error->text;
  if (!read.info) return messageText(readerRefusalMessage(read.refusal.value_or(ReaderRefusal::kOpenFile)), kEnglish);
  info_ = *read.info;
  if (auto e = file_.open(path)) return e->text;
  // FrameNormalisation covers the last two slots of every port as well.
  const int32_t groups = pixelsPerPort() + 2;
  frame_.assign(std::max<std::size_t>(std::size_t(info_.frameLength), std::size_t(groups) * 3 * std::size_t(info_.ports)), 0);
  return std::nullopt;
}

std::optional<IoError> ProgramFrames::read(int32_t f) {
  const uint64_t offset = kSectorBytes + uint64_t(f - 1) * uint64_t(info_.frameLength);
  if (auto e = file_.readAt(offset, frame_.data(), std::size_t(info_.frameLength))) return e;
  frameNormalisation(frame_.data(), info_.ports, pixelsPerPort() + 2);
  return std::nullopt;
}

PlayRule::PlayRule(const CardModel& model, int32_t brightness)
    : onOff_(model.geometry.source == PixelSource::kPortBits),
      scale_(model.geometry.scaled ? brightnessTable(brightness) : identityTable()) {}

namespace {

void addDifference(VerifyReport& r, const ChannelDifference& d) {
  if (r.listed.size() < kListedDifferences) r.listed.push_back(d);
  ++r.differences;
}

// The W column of frame f against the companion program (white rows 0 .. 7
// hold zeros from the companion's last frame on).
void compareWhite(VerifyReport& r, const CardMap& map, const CardFrame& frame, ProgramFrames& white,
                  const PlayRule& play, int32_t f, int32_t linePixels) {
  const bool past = f > white.info().frames;
  if (!past) {
    if (auto e = white.read(f)) {
      r.problems.push_back(e->text);
      return;
    }
  }
  const int32_t stream = 3 * (white.pixelsPerPort() + 2);
  for (int q = 0; q < map.portsUsed; ++q) {
    // Rows of ports the companion lacks keep what earlier conversions left.
    if (!past && q >= white.ports()) continue;
    for (int32_t l = 0; l < map.whiteLines; ++l) {
      if (!map.whiteOf(q, l).onCard()) continue;
      if (!past && (l >= stream || !white.holds(q, l))) continue;
      const int expected = past ? 0 : play(white.at(q, l));
      const int found = frame.white[std::size_t(q) * std::size_t(map.whiteLines) + std::size_t(l)];
      if (expected != found) addDifference(r, {f, q + 1, l * linePixels, linePixels, 'W', expected, found});
    }
  }
}

}  // namespace

VerifyReport verifyCard(const std::string& card, const std::string& program, const std::string& white,
                        const NibbleTable& table) {
  VerifyReport r;
  r.card = card;
  r.program = program;
  CardDecoder decoder;
  if (auto e = decoder.open(card)) {
    r.refusal = card + ": " + *e;
    return r;
  }
  ProgramFrames frames;
  if (auto e = frames.open(program, table)) {
    r.refusal = program + ": " + *e;
    return r;
  }
  const CardModel& model = decoder.model();
  const DecodedHeader& head = decoder.header();
  const CardMap& map = decoder.map();
  r.model = std::string(cardModelName(&model));
  r.ports = map.portsUsed;

  const int32_t P = frames.ports();
  if (map.portsUsed != portsUsedFor(model, P, false) && map.portsUsed != portsUsedFor(model, P, true)) {
    r.problems.push_back("the card plays " + decimal(map.portsUsed) + " ports; a " + r.model + " card of a " +
                         decimal(P) + "-port program plays " + decimal(portsUsedFor(model, P, false)) +
                         (P > 2 && !model.onePort ? " (or 2 with the two-port choice)" : ""));
    return r;
  }
  if (head.frames != frames.info().frames) {
    r.problems.push_back("the card's header declares " + decimal(head.frames) + " frames; the program has " +
                         decimal(frames.info().frames));
  }
  const int32_t n = frames.pixelsPerPort();
  const int32_t channelBytes = std::min(3 * (n + 1), model.channelBytesCap);
  if (head.channelBytes != channelBytes) {
    r.problems.push_back("the card's header declares " + decimal(head.channelBytes) + " channel bytes per port; the program gives " +
                         decimal(channelBytes));
  }

  std::optional<ProgramFrames> companion;
  if (map.whiteLines > 0 && !white.empty()) {
    companion.emplace();
    if (auto e = companion->open(white, table)) {
      r.refusal = white + ": " + *e;
      return r;
    }
  } else if (map.whiteLines > 0) {
    r.notes.push_back("the W channel is not checked (name its program with --white)");
  }

  const PlayRule play(model, head.brightness);
  const int32_t channels = std::min(3 * n, map.channels);
  const int32_t compared = std::min(decoder.framesOnCard(), frames.info().frames);
  if (decoder.framesOnCard() < head.frames) {
    r.notes.push_back("frames " + decimal(decoder.framesOnCard() + 1) + " .. " + decimal(head.frames) + " are past the " +
                      r.model + "'s " + decimal(model.frameCap) + "-frame limit and not on the card");
  }
  int64_t carried = 0;
  for (const ChannelSource& s : map.channel) carried += s.onCard() ? 1 : 0;
  if (carried < int64_t{3} * n * map.portsUsed) {
    r.notes.push_back(decimal(int64_t{3} * n * map.portsUsed - carried) + " of " + decimal(int64_t{3} * n * map.portsUsed) +
                      " channel positions per frame are not on the card and not compared");
  }

  CardFrame frame;
  for (int32_t f = 1; f <= compared; ++f) {
    const CardDecoder::FrameState state = decoder.read(f, frame);
    if (state == CardDecoder::FrameState::kMissing) {
      r.problems.push_back("the card ends inside frame " + decimal(f) + ": frames " + decimal(f) + " .. " +
                           decimal(compared) + " are missing");
      break;
    }
    if (state == CardDecoder::FrameState::kReadError) {
      r.problems.push_back(decoder.readError() ? decoder.readError()->text : "read error");
      break;
    }
    if (state == CardDecoder::FrameState::kCheckBytesDiffer) {
      r.problems.push_back("frame " + decimal(f) + ": the frame block's check bytes do not hold");
    }
    if (auto e = frames.read(f)) {
      r.problems.push_back(e->text);
      break;
    }
    r.frames = f;
    for (int q = 0; q < map.portsUsed; ++q) {
      const uint8_t* found = frame.channels.data() + std::size_t(q) * std::size_t(map.channels);
      for (int32_t k = 0; k < channels; ++k) {
        if (!map.of(q, k).onCard()) continue;
        const int expected = play(frames.at(q, k));
        if (expected != found[k]) addDifference(r, {f, q + 1, k / 3, 1, char('1' + k % 3), expected, found[k]});
      }
    }
    if (companion) compareWhite(r, map, frame, *companion, play, f, model.geometry.stride / 3);
  }
  return r;
}

namespace {

std::string differenceText(const ChannelDifference& d) {
  const std::string where = d.pixels > 1 ? "pixels " + decimal(d.pixel) + " .. " + decimal(d.pixel + d.pixels - 1)
                                         : "pixel " + decimal(d.pixel);
  return "frame " + decimal(d.frame) + ", port " + decimal(d.port) + ", " + where + ", channel " +
         std::string(1, d.channel) + ": expected " + decimal(d.expected) + ", found " + decimal(d.found);
}


std::string quotedList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + jsonQuoted(items[i]);
  return out + "]";
}

}  // namespace

std::string verifyText(const VerifyReport& r) {
  const std::string card = validUtf8(r.card), program = validUtf8(r.program);
  if (r.refusal) return validUtf8(*r.refusal) + "\n";
  std::string out;
  if (r.matches()) {
    out = card + " plays " + program + ": " + decimal(r.frames) + (r.frames == 1 ? " frame" : " frames") + " \xC3\x97 " +
          decimal(r.ports) + (r.ports == 1 ? " port" : " ports") + " match\n";
  } else {
    out = card + " does not play " + program + ":\n";
    for (const std::string& p : r.problems) out += "  " + validUtf8(p) + "\n";
    for (const ChannelDifference& d : r.listed) out += "  " + differenceText(d) + "\n";
    if (r.differences > int64_t(r.listed.size())) {
      out += "  ... " + decimal(r.differences - int64_t(r.listed.size())) + " more differences (" + decimal(r.differences) +
             " in all)\n";
    }
  }
  for (const std::string& n : r.notes) out += "  note: " + validUtf8(n) + "\n";
  return out;
}

std::string verifyJson(const VerifyReport& r) {
  std::string out = "{\"card\":" + jsonQuoted(r.card) + ",\"program\":" + jsonQuoted(r.program) +
                    ",\"matches\":" + (r.matches() ? "true" : "false");
  if (r.refusal) return out + ",\"refusal\":" + jsonQuoted(*r.refusal) + "}";
  out += ",\"model\":" + jsonQuoted(r.model) + ",\"frames\":" + decimal(r.frames) + ",\"ports\":" + decimal(r.ports) +
         ",\"differences\":" + decimal(r.differences) + ",\"listed\":[";
  for (std::size_t i = 0; i < r.listed.size(); ++i) {
    const ChannelDifference& d = r.listed[i];
    out += std::string(i ? "," : "") + "{\"frame\":" + decimal(d.frame) + ",\"port\":" + decimal(d.port) +
 ",\"pixel\":" + decimal(d.pixel) + ",\"pixels\":" + decimal(d.pixels) + ",\"channel\":\"" + std::string(1, d.channel) +
           "\",\"expected\":" + decimal(d.expected) + ",\"found\":" + decimal(d.found) + "}";
  }
  return out + "],\"problems\":" + quotedList(r.problems) + ",\"notes\":" + quotedList(r.notes) + "}";
}

}  // namespace led2vqn
