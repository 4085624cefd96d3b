#include "input/sample_files.hpp"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "base/bytes.hpp"

namespace led2vqn::samples {

namespace {

// What a random stream is for: the same seed gives unrelated streams for
// the table, a settings file and a program file.
enum class Purpose : uint64_t { kTable = 1, kSettings = 2, kProgram = 3 };

// splitmix64: small, fast, and the same everywhere.
class Stream {
 public:
  Stream(uint64_t seed, Purpose purpose)
      : state_(seed ^ (static_cast<uint64_t>(purpose) * 0xD1B54A32D192ED03ull)) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A value in [0, n); the bias of the modulo is irrelevant for samples.
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }

  // Appends n random bytes, eight per step.
  void append(std::vector<uint8_t>& out, std::size_t n) {
    while (n > 0) {
      uint64_t v = next();
      for (int i = 0; i < 8 && n > 0; ++i, --n, v >>= 8) out.push_back(static_cast<uint8_t>(v));
    }
  }

 private:
  uint64_t state_;
};

constexpr std::size_t kSettingsTableOffset = 512;
constexpr std::size_t kSettingsLanguageOffset = 7;
constexpr int32_t kMaxEncodableFrameLength = 0xFFFF00;

// A (key, encoded) nibble pair with table[16 key + encoded] == value, picked at random.
std::pair<uint8_t, uint8_t> encodeNibble(uint8_t value, const NibbleTable& table, Stream& rng) {
  uint8_t keys[256];
  uint8_t codes[256];
  uint32_t n = 0;
  for (uint32_t k = 0; k < 16; ++k) {
    for (uint32_t e = 0; e < 16; ++e) {
      if ((table[k * 16 + e] & 0x0F) == value) {
        keys[n] = static_cast<uint8_t>(k);
        codes[n] = static_cast<uint8_t>(e);
        ++n;
      }
    }
  }
  if (n == 0) throw std::invalid_argument("the nibble table cannot encode the value " + std::to_string(value));
  const uint32_t pick = rng.below(n);
  return {keys[pick], codes[pick]};
}

// (key byte, encoded byte) that decode to `value` through the table.
std::pair<uint8_t, uint8_t> encodeByte(uint8_t value, const NibbleTable& table, Stream& rng) {
  const auto high = encodeNibble(static_cast<uint8_t>(value >> 4), table, rng);
  const auto low = encodeNibble(static_cast<uint8_t>(value & 0x0F), table, rng);
  return {static_cast<uint8_t>(high.first << 4 | low.first), static_cast<uint8_t>(high.second << 4 | low.second)};
}

void appendFrame(std::vector<uint8_t>& out, const ProgramSpec& shape, int32_t ports, int f, Stream& rng) {
  const std::size_t n = static_cast<std::size_t>(shape.frameLength);
  const std::size_t start = out.size();
  switch (shape.pattern) {
    case Pattern::kRandom:
      rng.append(out, n);
      return;
    case Pattern::kRamp:
      for (std::size_t x = 0; x < n; ++x) out.push_back(static_cast<uint8_t>(x + static_cast<std::size_t>(f)));
      return;
    case Pattern::kFull:
      out.insert(out.end(), n, 0xFF);
      return;
    case Pattern::kZero:
      out.insert(out.end(), n, 0);
      return;
    case Pattern::kThreshold:
      rng.append(out, n);
      for (std::size_t x = start; x < out.size(); ++x) out[x] = static_cast<uint8_t>(99 + (out[x] & 3));
      return;
    case Pattern::kLevels:
      rng.append(out, n);
      for (std::size_t x = start; x < out.size(); ++x) out[x] = kSampleLevels[out[x] % std::size(kSampleLevels)];
      return;
    case Pattern::kWiring: {
      WiringShape w = shape.wiring;
      w.ports = ports;
      out.resize(start + n);
      wiringFrame(w, shape.frameLength, f, out.data() + start);
      return;
    }
    case Pattern::kPorts: {
      // Byte x belongs to port x mod P, colour component (x mod 3P) div P,
      // pixel position x div 3P.
      const std::size_t p = static_cast<std::size_t>(ports);
      for (std::size_t x = 0; x < n; ++x) {
        const std::size_t port = x % p;
        const std::size_t component = (x % (3 * p)) / p;
        const std::size_t position = x / (3 * p) + static_cast<std::size_t>(f);
        out.push_back(static_cast<uint8_t>(port << 5 | component << 3 | (position & 7)));
      }
      return;
    }
  }
  throw std::invalid_argument("unknown frame pattern");
}

// One colour per port for the end of the port pattern.
constexpr std::array<uint8_t, 3> kPortColours[8] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
                                                    {0, 255, 255}, {255, 0, 255}, {255, 128, 0}, {255, 255, 255}};
constexpr std::array<uint8_t, 3> kStepColours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
constexpr int kRampSteps = 5;  // 0, 25, 50, 75, 100 %

bool encodable(const NibbleTable& table, uint8_t value) {
  bool high = false, low = false;
  for (const uint8_t e : table) {
    high = high || (e & 0x0F) == value >> 4;
    low = low || (e & 0x0F) == (value & 0x0F);
  }
  return high && low;
}

}  // namespace

int32_t wiringCycle(const WiringShape& w) {
  switch (w.kind) {
    case WiringKind::kPorts: return (2 * w.ports + 1) * kWiringStepFrames;
    case WiringKind::kColours: return int32_t(std::size(kStepColours)) * kWiringStepFrames;
    case WiringKind::kChase: return std::max<int32_t>(w.pixelsPerPort, 1);
    case WiringKind::kRamp: break;
  }
  return kRampSteps * kWiringStepFrames;
}

std::array<uint8_t, 3> wiringPixel(const WiringShape& w, int q, int32_t i, int32_t f) {
  constexpr std::array<uint8_t, 3> kDark{0, 0, 0};
  constexpr std::array<uint8_t, 3> kWhite{255, 255, 255};
  const int32_t frame = (f - 1) % wiringCycle(w);
  const int32_t step = frame / kWiringStepFrames;
  switch (w.kind) {
    case WiringKind::kPorts: {
      const int blinks = q + 1;
      if (step / 2 >= blinks) return kPortColours[q % 8];
      return step % 2 == 0 ? kWhite : kDark;
    }
    case WiringKind::kColours: return kStepColours[step];
    case WiringKind::kChase: return i == frame ? kWhite : kDark;
    case WiringKind::kRamp: break;
  }
  const auto level = static_cast<uint8_t>(255 * step / (kRampSteps - 1));
  return {level, level, level};
}

void wiringFrame(const WiringShape& w, int32_t frameLength, int32_t f, uint8_t* out) {
  std::memset(out, 0, std::size_t(frameLength));
  const int P = w.ports;
  for (int q = 0; q < P; ++q) {
    const int filePort = P - 1 - q;
    for (int32_t i = 0; i < w.pixelsPerPort; ++i) {
      const std::array<uint8_t, 3> c = wiringPixel(w, q, i, f);
      for (int n = 0; n < 3; ++n) out[(std::size_t(3) * std::size_t(i) + std::size_t(n)) * std::size_t(P) + std::size_t(filePort)] = c[std::size_t(n)];
    }
  }
}

std::optional<int32_t> smallestFrameLength(const NibbleTable& table, int64_t bytes) {
  for (int64_t length = std::max<int64_t>(256, (bytes + 255) / 256 * 256); length <= kMaxFrameLength; length += 256) {
    if (encodable(table, uint8_t(length >> 8)) && encodable(table, uint8_t(length >> 16))) return int32_t(length);
  }
  return std::nullopt;
}

NibbleTable nibbleTable(uint64_t seed) {
  Stream rng(seed, Purpose::kTable);
  NibbleTable table{};
  for (std::size_t row = 0; row < 16; ++row) {
    uint8_t* entries = table.data() + row * 16;
    for (uint8_t v = 0; v < 16; ++v) entries[v] = v;
    for (uint32_t i = 15; i > 0; --i) std::swap(entries[i], entries[rng.below(i + 1)]);
  }
  return table;
}

std::vector<uint8_t> settingsBytes(uint64_t seed, std::size_t size, uint8_t languageByte) {
  Stream rng(seed, Purpose::kSettings);
  std::vector<uint8_t> data;
  data.reserve(size);
  rng.append(data, size);
  const NibbleTable table = nibbleTable(seed);
  for (std::size_t j = 0; j < table.size() && kSettingsTableOffset + j < size; ++j) {
    uint8_t& b = data[kSettingsTableOffset + j];
    b = static_cast<uint8_t>((b & 0xF0) | table[j]);
  }
  if (size > kSettingsLanguageOffset) data[kSettingsLanguageOffset] = languageByte;
  return data;
}

std::vector<uint8_t> programBytes(const NibbleTable& table, const ProgramSpec& shape) {
  if (shape.frameLength < 0 || shape.frameLength > kMaxEncodableFrameLength || shape.frameLength % 256 != 0)
    throw std::invalid_argument("frame length must be a multiple of 256 below 2^24");
  if (!shape.portsField && (shape.ports < 1 || shape.ports > 8)) throw std::invalid_argument("ports must be 1 .. 8");
  if (shape.frames < 0) throw std::invalid_argument("frames must not be negative");
  if (shape.chip < 0 || shape.chip > 127) throw std::invalid_argument("the chip code has 7 bits");

  Stream rng(shape.seed, Purpose::kProgram);
  std::vector<uint8_t> out;
  out.reserve(kSectorBytes + static_cast<std::size_t>(shape.frames) * static_cast<std::size_t>(shape.frameLength) +
              shape.partial);
  rng.append(out, kSectorBytes);
  uint8_t* h = out.data();
  h[0] = shape.controller;
  for (std::size_t i = 0; i < 3; ++i) h[1 + i] = i < shape.magic.size() ? static_cast<uint8_t>(shape.magic[i]) : 0;
  const auto [key9, byte5] = encodeByte(static_cast<uint8_t>(shape.frameLength >> 8), table, rng);
  const auto [key10, byte6] = encodeByte(static_cast<uint8_t>(shape.frameLength >> 16), table, rng);
  h[5] = byte5;
  h[6] = byte6;
  h[9] = key9;
  h[10] = key10;
  h[18] = static_cast<uint8_t>((shape.chip & 7) << 5 | (h[18] & 0x1F));
  h[19] = static_cast<uint8_t>((h[19] & 0xF0) | ((shape.chip >> 3) & 0x0F));
  h[27] = shape.portsField ? *shape.portsField : static_cast<uint8_t>((h[27] & 0xF1) | (shape.ports & 7) << 1);

  const int32_t ports = portsOfField(h[27]);
  if (shape.pattern == Pattern::kWiring &&
      (shape.wiring.pixelsPerPort < 1 || int64_t{3} * ports * shape.wiring.pixelsPerPort > shape.frameLength)) {
    throw std::invalid_argument("the wiring pattern's pixels do not fit the frame length");
  }
  if (shape.frameLength > 0) {
    for (int f = 1; f <= shape.frames; ++f) appendFrame(out, shape, ports, f, rng);
  }
  rng.append(out, shape.partial);
  return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("cannot create " + path);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace led2vqn::samples
