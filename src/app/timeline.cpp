#include "app/timeline.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/card_verify.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"
#include "output/card_decoder.hpp"
#include "output/card_inspect.hpp"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wpedantic"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace led2vqn {

namespace {

// Pictures above this many decoded bytes are refused (about 85 million pixels).
constexpr int64_t kLargestTimelineBytes = int64_t{256} << 20;
constexpr int64_t kLargestPictureBytes = int64_t{512} << 20;

// The frame range shown, cut at `available` frames.
std::optional<std::string> frameRange(const TimelineRequest& request, int32_t available, Timeline& out) {
  const int32_t last = std::min(request.lastFrame, available);
  if (request.firstFrame < 1 || request.firstFrame > last) {
    return "the file has " + decimal(available) + " frames: frames " + decimal(request.firstFrame) + "-" +
           decimal(request.lastFrame) + " show none";
  }
  out.firstFrame = request.firstFrame;
  out.frames = last - request.firstFrame + 1;
  out.available = available;
  return std::nullopt;
}

std::optional<std::string> choosePanels(const TimelineRequest& request, int32_t ports, int32_t pixels, Timeline& out) {
  if (request.port < 0 || request.port > ports) {
    return "there is no port " + decimal(request.port) + " (the file plays " + decimal(ports) + ")";
  }
  out.ports.clear();
  for (int32_t q = 1; q <= ports; ++q) {
    if (request.port == 0 || request.port == q) out.ports.push_back(q);
  }
  out.pixels = pixels;
  const int64_t bytes = int64_t{out.frames} * int64_t(out.ports.size()) * pixels * 3;
  if (bytes > kLargestTimelineBytes) {
    return "a timeline of " + decimal(out.frames) + " frames of " + decimal(int64_t(out.ports.size()) * pixels) +
           " pixels is too large: show fewer frames (--frames) or one port (--port)";
  }
  out.rgb.assign(std::size_t(bytes), 0);
  out.shown.assign(out.ports.size() * std::size_t(pixels), 1);
  return std::nullopt;
}

uint8_t* rgbAt(Timeline& t, int32_t row, std::size_t panel) {
  return t.rgb.data() + ((std::size_t(row) * t.ports.size() + panel) * std::size_t(t.pixels)) * 3;
}

// Pixel i is shown when the card carries all three of its channels.
void shownOfMap(const CardMap& map, Timeline& t) {
  for (std::size_t p = 0; p < t.ports.size(); ++p) {
    const int q = t.ports[p] - 1;
    for (int32_t i = 0; i < t.pixels; ++i) {
      bool all = true;
      for (int32_t k = 3 * i; k < 3 * i + 3; ++k) all = all && map.of(q, k).onCard();
      t.shown[p * std::size_t(t.pixels) + std::size_t(i)] = all ? 1 : 0;
    }
  }
}

std::optional<std::string> cardTimeline(const TimelineRequest& request, Timeline& out) {
  CardDecoder decoder;
  if (auto e = decoder.open(request.file)) return request.file + ": " + *e;
  const CardMap& map = decoder.map();
  if (auto e = frameRange(request, decoder.wholeBlocks(), out)) return e;
  if (auto e = choosePanels(request, map.portsUsed, map.channels / 3, out)) return e;
  shownOfMap(map, out);
  out.what = "card " + std::string(cardModelName(&decoder.model())) + ", brightness " + decimal(decoder.header().brightness);
  const int32_t stride = decoder.model().geometry.stride;
  CardFrame frame;
  for (int32_t r = 0; r < out.frames; ++r) {
    if (decoder.read(out.firstFrame + r, frame) == CardDecoder::FrameState::kReadError) {
      return decoder.readError() ? decoder.readError()->text : request.file + ": read error";
    }
    for (std::size_t p = 0; p < out.ports.size(); ++p) {
      const int q = out.ports[p] - 1;
      const uint8_t* channels = frame.channels.data() + std::size_t(q) * std::size_t(map.channels);
      uint8_t* rgb = rgbAt(out, r, p);
      for (int32_t k = 0; k < 3 * out.pixels; ++k) {
        int v = channels[k];
        // The white column lights the whole line it stands in.
        const int32_t line = k / stride;
        if (line < map.whiteLines && map.whiteOf(q, line).onCard()) {
          v = std::min(255, v + frame.white[std::size_t(q) * std::size_t(map.whiteLines) + std::size_t(line)]);
        }
        rgb[k] = static_cast<uint8_t>(v);
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> programTimeline(const TimelineRequest& request, const NibbleTable& table, Timeline& out) {
  ProgramFrames program;
  if (auto e = program.open(request.file, table)) return request.file + ": " + *e;
  if (auto e = frameRange(request, program.info().frames, out)) return e;
  const int32_t n = program.pixelsPerPort();
  std::optional<PlayRule> play;
  std::optional<CardMap> carried;
  int32_t ports = program.ports();
  int32_t pixels = n;
  out.what = "program file";
  if (request.model) {
    const CardModel* model = cardModel(*request.model);
    if (model == nullptr) return std::string("no such card model");
    ports = portsUsedFor(*model, program.ports(), request.twoPorts);
    if (ports != 1 && ports != 2 && ports != 4 && ports != 8) {
      return "a " + std::string(cardModelName(model)) + " card has no layout for " + decimal(ports) + " ports";
    }
    const int32_t channels = channelsOfHeader(std::min(3 * (n + 1), model->channelBytesCap));
    carried = mapAlwaysCarried(*model, ports, channels);
    play.emplace(*model, request.brightness);
    pixels = channels / 3;
    out.what = "program file as a " + std::string(cardModelName(model)) + " card plays it, brightness " +
               decimal(request.brightness);
  }
  if (auto e = choosePanels(request, ports, pixels, out)) return e;
  if (carried) shownOfMap(*carried, out);
  for (int32_t r = 0; r < out.frames; ++r) {
    if (auto e = program.read(out.firstFrame + r)) return e->text;
    for (std::size_t p = 0; p < out.ports.size(); ++p) {
      const int q = out.ports[p] - 1;
      uint8_t* rgb = rgbAt(out, r, p);
      for (int32_t k = 0; k < 3 * out.pixels; ++k) rgb[k] = play ? (*play)(program.at(q, k)) : program.at(q, k);
    }
  }
  return std::nullopt;
}

// A 5 x 7 font for the labels: each glyph is 7 rows of 5 bits, bit 4 leftmost.
struct Glyph {
  char c;
  std::array<uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}}, {'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}}, {'t', {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}},
};
constexpr int32_t kCellWidth = 6;
constexpr int32_t kCellHeight = 8;
constexpr std::array<uint8_t, 3> kBackground{40, 40, 40};
constexpr std::array<uint8_t, 3> kInk{220, 220, 220};

void putPixel(Picture& pic, int32_t x, int32_t y, const uint8_t* c) {
  if (x < 0 || y < 0 || x >= pic.width || y >= pic.height) return;
  std::memcpy(pic.rgb.data() + (std::size_t(y) * std::size_t(pic.width) + std::size_t(x)) * 3, c, 3);
}

void drawText(Picture& pic, int32_t x, int32_t y, const std::string& text) {
  for (const char c : text) {
    for (const Glyph& g : kGlyphs) {
      if (g.c != c) continue;
      for (int32_t row = 0; row < 7; ++row) {
        for (int32_t col = 0; col < 5; ++col) {
          if (g.rows[std::size_t(row)] >> (4 - col) & 1) putPixel(pic, x + col, y + row, kInk.data());
        }
      }
    }
    x += kCellWidth;
  }
}

}  // namespace

std::optional<std::string> buildTimeline(const TimelineRequest& request, const NibbleTable& table, Timeline& out) {
  out = Timeline{};
  ReadOnlyFile file;
  if (auto e = file.open(request.file)) return e->text;
  std::array<uint8_t, 6> magic{};
  std::size_t got = 0;
  if (auto e = file.readSomeAt(0, magic.data(), magic.size(), got)) return e->text;
  file.close();
  bool modeFileMagic = false;
  if (got == magic.size() && cardModelOfMagic(magic.data(), modeFileMagic) != nullptr) {
    if (request.model) return request.file + ": a card plays as its own model and brightness (--model is for program files)";
    return cardTimeline(request, out);
  }
  return programTimeline(request, table, out);
}

std::optional<std::string> drawTimeline(const Timeline& t, int32_t scale, Picture& pic) {
  if (scale < 1 || scale > 64) return std::string("the scale must be 1 .. 64");
  const int32_t lastFrame = t.firstFrame + t.frames - 1;
  const int32_t left = int32_t(decimal(lastFrame).size()) * kCellWidth + 6;
  const int32_t top = kCellHeight + 6;
  const int32_t gap = 8;
  const int32_t panelWidth = std::max(t.pixels * scale, int32_t(std::string("port 8").size()) * kCellWidth);
  const int64_t width = left + int64_t(t.ports.size()) * (panelWidth + gap);
  const int64_t height = top + int64_t{t.frames} * scale + 4;
  if (width * height * 3 > kLargestPictureBytes) {
    return "a picture of " + decimal(width) + " x " + decimal(height) + " pixels is too large: use a smaller --scale, fewer "
           "frames (--frames) or one port (--port)";
  }
  pic.width = int32_t(width);
  pic.height = int32_t(height);
  pic.rgb.resize(std::size_t(width * height * 3));
  for (std::size_t i = 0; i < pic.rgb.size(); i += 3) std::memcpy(pic.rgb.data() + i, kBackground.data(), 3);

  const int32_t labelStep = 10 * scale >= 20 ? 10 : 100;
  for (int32_t r = 0; r < t.frames; ++r) {
    const int32_t f = t.firstFrame + r;
    if (f % labelStep == 0 || r == 0) drawText(pic, 2, top + r * scale, decimal(f));
  }
  for (std::size_t p = 0; p < t.ports.size(); ++p) {
    const int32_t x0 = left + int32_t(p) * (panelWidth + gap);
    drawText(pic, x0, 2, "port " + decimal(t.ports[p]));
    for (int32_t r = 0; r < t.frames; ++r) {
      const uint8_t* rgb = t.rgb.data() + ((std::size_t(r) * t.ports.size() + p) * std::size_t(t.pixels)) * 3;
      for (int32_t i = 0; i < t.pixels; ++i) {
        const bool shown = t.shown[p * std::size_t(t.pixels) + std::size_t(i)] != 0;
        for (int32_t dy = 0; dy < scale; ++dy) {
          for (int32_t dx = 0; dx < scale; ++dx) {
            const int32_t x = x0 + i * scale + dx, y = top + r * scale + dy;
            // Positions the card does not carry are hatched.
            const uint8_t hatch = ((x + y) / 2) % 2 ? 70 : 110;
            const uint8_t grey[3] = {hatch, hatch, hatch};
            putPixel(pic, x, y, shown ? rgb + std::size_t(i) * 3 : grey);
          }
        }
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> writePng(const Picture& picture, const std::string& path) {
  std::vector<uint8_t> bytes;
  const auto append = [](void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* b = static_cast<const uint8_t*>(data);
    out->insert(out->end(), b, b + size);
  };
  if (picture.width < 1 || picture.height < 1 ||
      stbi_write_png_to_func(append, &bytes, picture.width, picture.height, 3, picture.rgb.data(), picture.width * 3) == 0) {
    return path + ": the picture could not be encoded";
  }
  AtomicFile file;
  if (auto e = file.create(path)) return e->text;
  if (auto e = file.append(bytes.data(), bytes.size())) return e->text;
  if (auto e = file.commit()) return e->text;
  return std::nullopt;
}

}  // namespace led2vqn
