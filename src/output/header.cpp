#include "output/header.hpp"

#include <cstring>

#include "base/bytes.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn {

namespace {

void put16(uint8_t* sec, std::size_t loAt, std::size_t hiAt, int64_t v) {
  sec[loAt] = lo(v);
  sec[hiAt] = hi(v);
}

// Start pair position p of mode i: its low byte is at p - 1. Positions are
// 64-bit: a decoded z may be any 32-bit value.
int64_t startPairPosition(int64_t z, int i) {
  int64_t p = 80 + z + 2 * i;
  if (p > 150) p += 5;
  return p;
}

int64_t endPairPosition(int64_t z, int i) { return 254 + z + 3 * i; }

}  // namespace

void writeModeBlock(Generator& rng, uint8_t* sec, const ModeSettings& modes) {
  const int32_t v = rng.draw(2680, 2018) + 2688;
  put16(sec, 74, 77, v);
  put16(sec, 51, 66, v + 1144);
  const int32_t x = rng.draw(2680, 43) + 13;
  sec[71] = lo(x);
  sec[63] = lo(x + 2 * modes.count);
  const int32_t y = rng.draw(2680, 128) + 33;
  sec[61] = lo(y);
  const int32_t z = rng.draw(2680, 9);
  sec[76] = lo(y + z);
  for (int i = 0; i < modes.count; ++i) {
    const ModeRow& row = (*modes.table)[i];
    int32_t r = rng.draw(2680, 99);
    if (row.flag > 5) r += 130;
    const int64_t p = startPairPosition(z, i);
    put16(sec, p - 1, p, int64_t{3} * r + row.start);
    const int64_t e = endPairPosition(z, i);
    put16(sec, e, e + 1, int64_t{3} * r + row.end);
    sec[e + 2] = lo(r);
  }
}

void shiftUp(Generator& rng, uint8_t* sec, int s) {
  if (s <= 0) return;
  std::memmove(sec + 8 + s, sec + 8, kHeaderScratchBytes - 8 - s);
  for (int j = 8; j <= 7 + s; ++j) sec[j] = static_cast<uint8_t>(rng.byte(215));
}

void shiftDown(uint8_t* sec, int s) {
  if (s <= 0) return;
  std::memmove(sec + 8, sec + 8 + s, 502);
}

HeadResult saveHead(Generator& rng, uint8_t* sec, const HeadInputs& in, const ModeSettings& modes) {
  for (std::size_t i = 6; i < 512; ++i) sec[i] = static_cast<uint8_t>(rng.byte(123));
  const int s = headShift(sec[6]);

  const int32_t a = rng.byte(57) + 23;
  sec[16] = lo(a);
  const int32_t b = rng.byte(17) + 14;
  sec[10] = lo(b);
  put16(sec, 67, 48, int64_t{a} * b * in.ports);

  const int32_t c = rng.draw(1920, 2018) + 8178;
  put16(sec, 8, 17, c);
  put16(sec, 60, 36, int64_t{c} + in.format);

  const int32_t e = rng.draw(19200, 2345) + 1234;
  const int32_t f = rng.draw(19200, 2018) + 345;
  put16(sec, 22, 9, e);
  put16(sec, 56, 25, f);
  put16(sec, 42, 70, int64_t{e} + 2 * f + in.blockOffset);

  const int32_t h = rng.draw(1920, 1680) + 297;
  const int32_t i = rng.draw(1920, 1988) + 762;
  const int32_t j = rng.draw(1920, 1720) + 993;
  put16(sec, 28, 13, h);
  put16(sec, 32, 18, i);
  put16(sec, 65, 43, j);
  // 32-bit sum, wrapping: frames near 2^31 come back through the decoder's subtraction.
  const uint32_t k = static_cast<uint32_t>(h) + 2u * static_cast<uint32_t>(i) +
                     3u * static_cast<uint32_t>(j) + static_cast<uint32_t>(in.frames);
  sec[26] = static_cast<uint8_t>(k);
  sec[45] = static_cast<uint8_t>(k >> 8);
  sec[34] = static_cast<uint8_t>(k >> 16);
  sec[52] = static_cast<uint8_t>(k >> 24);

  const int32_t l = rng.draw(1920, 2018) + 8178;
  put16(sec, 21, 37, l);
  put16(sec, 44, 27, int64_t{l} + in.channelBytes);

  const int32_t n1 = rng.byte(59) + 29;
  sec[15] = lo(n1);
  const int32_t n2 = rng.byte(39) + 47;
  sec[54] = lo(n2);
  put16(sec, 64, 29, int64_t{2 * n1 + n2} * in.frameSectors);

  const int32_t q = rng.draw(1920, 2018) + 8178;
  put16(sec, 40, 75, q);
  if (!in.framePeriod) return HeadResult::kBadSpeed;
  put16(sec, 58, 24, int64_t{q} + int64_t{7} * *in.framePeriod);

  const int32_t sBase = rng.draw(2680, 2018) + 4966;
  put16(sec, 72, 59, sBase);
  if (!in.brightness) return HeadResult::kBadBrightness;
  put16(sec, 12, 78, int64_t{sBase} + int64_t{17} * *in.brightness);

  const int32_t u = rng.byte(42) + 23;
  sec[50] = lo(u);
  sec[23] = lo(int64_t{3} * in.blockShift + u);

  if (modes.on && modes.count > 0) {
    if (modes.frameLimit > in.frames) return HeadResult::kModeFrames;
    writeModeBlock(rng, sec, modes);
  }
  shiftUp(rng, sec, s);
  setCheckBytes(sec, 512);
  return HeadResult::kOk;
}

std::optional<ModeRow> decodeModeRow(const uint8_t* sec, std::size_t size, int32_t z, int i) {
  const int64_t rAt = 256 + int64_t{z} + 3 * i;
  const int64_t p = startPairPosition(z, i);
  const int64_t e = endPairPosition(z, i);
  auto inside = [size](int64_t pos) { return pos >= 0 && pos < static_cast<int64_t>(size); };
  if (!inside(rAt) || !inside(p - 1) || !inside(p) || !inside(e) || !inside(e + 1)) return std::nullopt;
  const int32_t r = sec[rAt];
  ModeRow row;
  row.flag = r > 128 ? 10 : 0;
  row.end = pair(sec, e, e + 1) - 3 * r;
  row.start = pair(sec, p - 1, p) - 3 * r;
  return row;
}

DecodedHeader decodeUnshifted(const uint8_t* sec, std::size_t size) {
  DecodedHeader d;
  auto p16 = [sec](std::size_t l, std::size_t h) { return pair(sec, l, h); };
  auto exact = [](int64_t num, int64_t den) -> std::optional<int32_t> {
    if (den == 0 || num % den != 0) return std::nullopt;
    return static_cast<int32_t>(num / den);
  };
  const int32_t a = sec[16], b = sec[10];
  d.ports = exact(p16(67, 48), int64_t{a} * b);
  d.format = p16(60, 36) - p16(8, 17);
  d.blockOffset = p16(42, 70) - p16(22, 9) - 2 * p16(56, 25);
  const uint32_t k = sec[26] | (uint32_t{sec[45]} << 8) | (uint32_t{sec[34]} << 16) | (uint32_t{sec[52]} << 24);
  d.frames = static_cast<int32_t>(k - static_cast<uint32_t>(p16(28, 13)) -
                                  2u * static_cast<uint32_t>(p16(32, 18)) -
                                  3u * static_cast<uint32_t>(p16(65, 43)));
  d.channelBytes = p16(44, 27) - p16(21, 37);
  d.frameSectors = exact(p16(64, 29), 2 * sec[15] + sec[54]);
  d.framePeriod = (p16(58, 24) - p16(40, 75)) / 7;
  d.brightness = (p16(12, 78) - p16(72, 59)) / 17;
  d.blockShift = exact((sec[23] - sec[50]) & 0xFF, 3);
  d.modeBlock = (p16(51, 66) - p16(74, 77)) / 13 == 88;
  if (d.modeBlock) {
    d.modeCount = (sec[63] - sec[71]) / 2;
    d.z = sec[76] - sec[61];
    for (int i = 0; i < d.modeCount && i < kMaxModes; ++i) {
      const auto row = decodeModeRow(sec, size, d.z, i);
      if (!row) break;
      d.modes.push_back(*row);
    }
  }
  return d;
}

DecodedHeader decodeCardHeader(const uint8_t* sector512) {
  std::array<uint8_t, 1024> copy{};
  std::memcpy(copy.data(), sector512, 512);
  const bool checks = checkBytesHold(copy.data(), 512);
  const int s = headShift(copy[6]);
  // Bytes 510 - s .. 511 - s receive the check bytes; what comes in from
  // past the sector reads the zeros beyond the copy's byte 511.
  shiftDown(copy.data(), s);
  DecodedHeader d = decodeUnshifted(copy.data(), 512);
  d.checksOk = checks;
  d.shift = s;
  return d;
}

std::optional<int32_t> framePeriodOfSpeedText(const std::string& text) {
  const auto thousandths = thousandthsOf(text);
  if (!thousandths) return std::nullopt;
  if (*thousandths <= 0) {
    // A positive speed that rounds to 0 thousandths has no period.
    const std::string mantissa = text.substr(0, text.find_first_of("eE"));
    const bool positive = !mantissa.empty() && mantissa[0] != '-' &&
                          mantissa.find_first_of("123456789") != std::string::npos;
    if (positive) return std::nullopt;
    return 30;
  }
  return static_cast<int32_t>(1000000 / *thousandths);
}

}  // namespace led2vqn
