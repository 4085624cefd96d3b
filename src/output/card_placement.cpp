#include "output/card_placement.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace led2vqn {

namespace {

// The bits of v where BitPlanePack puts those of its first input.
uint32_t planesOf(uint8_t v) {
  uint32_t w = 0;
  for (int k = 0; k < 4; ++k) {
    const int high = 7 - 2 * k;
    w |= uint32_t((v >> high) & 1) << (8 * k + 4);
    w |= uint32_t((v >> (high - 1)) & 1) << (8 * k);
  }
  return w;
}

ScaleTable tableOf(int32_t brightness) {
  ScaleTable t;
  t.identity = true;
  for (int x = 0; x < 256; ++x) {
    t.value[x] = static_cast<uint8_t>((int64_t{x} * brightness) / 100);
    t.identity = t.identity && t.value[x] == x;
    for (int i = 0; i < 4; ++i) t.planes[i][x] = planesOf(t.value[x]) << i;
  }
  return t;
}

}  // namespace

ScaleTable brightnessTable(int32_t brightness) { return tableOf(brightness); }

ScaleTable identityTable() { return tableOf(100); }

namespace {

// Reverses every run of P bytes in place; P known to the compiler.
template <int P>
void reverseRuns(uint8_t* frame, int64_t runs) {
  for (int64_t r = 0; r < runs; ++r) {
    uint8_t run[P];
    std::memcpy(run, frame + r * P, P);
    for (int i = 0; i < P; ++i) frame[r * P + i] = run[P - 1 - i];
  }
}

// Reverses every run of P bytes of `from` into `to`, or only the first U
// bytes of each run of `to` (those that become ports 1 .. U).
template <int P, int U = P>
void reverseRunsInto(const uint8_t* from, uint8_t* to, int64_t runs) {
  for (int64_t r = 0; r < runs; ++r) {
    for (int i = 0; i < U; ++i) to[r * P + i] = from[r * P + P - 1 - i];
  }
}

template <int P>
void reversePortsInto(const uint8_t* from, uint8_t* to, int64_t runs, int used) {
  if constexpr (P > 2) {
    if (used == 1) return reverseRunsInto<P, 1>(from, to, runs);
    if (used == 2) return reverseRunsInto<P, 2>(from, to, runs);
  } else if constexpr (P == 2) {
    if (used == 1) return reverseRunsInto<P, 1>(from, to, runs);
  }
  reverseRunsInto<P>(from, to, runs);
}

void reverseRunsOfInto(const uint8_t* from, uint8_t* to, int ports, int64_t runs, int used) {
  switch (ports) {
    case 2: return reversePortsInto<2>(from, to, runs, used);
    case 3: return reversePortsInto<3>(from, to, runs, used);
    case 4: return reversePortsInto<4>(from, to, runs, used);
    case 5: return reversePortsInto<5>(from, to, runs, used);
    case 6: return reversePortsInto<6>(from, to, runs, used);
    case 7: return reversePortsInto<7>(from, to, runs, used);
    case 8: return reversePortsInto<8>(from, to, runs, used);
    default: std::memcpy(to, from, std::size_t(runs)); return;  // one port: nothing moves
  }
}

void reverseRunsOf(uint8_t* frame, int ports, int64_t runs) {
  switch (ports) {
    case 2: return reverseRuns<2>(frame, runs);
    case 3: return reverseRuns<3>(frame, runs);
    case 4: return reverseRuns<4>(frame, runs);
    case 5: return reverseRuns<5>(frame, runs);
    case 6: return reverseRuns<6>(frame, runs);
    case 7: return reverseRuns<7>(frame, runs);
    case 8: return reverseRuns<8>(frame, runs);
    default: return;  // one port: nothing moves
  }
}

template <int P>
void splitRuns(const uint8_t* frame, int32_t streamBytes, uint8_t* const* rows) {
  uint8_t* row[P];
  for (int q = 0; q < P; ++q) row[q] = rows[q];
  int32_t u = 0;
#if defined(__SSE2__)
  if constexpr (P == 8) {
    // Eight runs of eight ports at a time: an 8 x 8 byte transpose.
    for (; u + 8 <= streamBytes; u += 8) {
      const uint8_t* at = frame + int64_t{u} * 8;
      __m128i x[4];
      for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * k));
        x[k] = _mm_unpacklo_epi8(v, _mm_srli_si128(v, 8));  // runs 2k, 2k+1 side by side per port
      }
      const __m128i y0 = _mm_unpacklo_epi16(x[0], x[1]), y1 = _mm_unpackhi_epi16(x[0], x[1]);
      const __m128i y2 = _mm_unpacklo_epi16(x[2], x[3]), y3 = _mm_unpackhi_epi16(x[2], x[3]);
      const __m128i z[4] = {_mm_unpacklo_epi32(y0, y2), _mm_unpackhi_epi32(y0, y2), _mm_unpacklo_epi32(y1, y3),
                            _mm_unpackhi_epi32(y1, y3)};  // ports 2k and 2k+1, eight runs each
      for (int k = 0; k < 4; ++k) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row[2 * k] + u), z[k]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row[2 * k + 1] + u), _mm_srli_si128(z[k], 8));
      }
    }
  }
#endif
  for (; u < streamBytes; ++u) {
    for (int q = 0; q < P; ++q) row[q][u] = frame[int64_t{u} * P + q];
  }
}

}  // namespace

void frameNormalisation(uint8_t* frame, int ports, int32_t groups) {
  // Every group is three runs of `ports` bytes, one per colour component.
  reverseRunsOf(frame, ports, int64_t{groups} * 3);
}

void normaliseFrameFrom(const uint8_t* raw, int32_t length, uint8_t* frame, int ports, int32_t groups,
                        int usedPorts) {
  const int64_t span = int64_t{groups} * 3 * ports;
  const int64_t inside = std::min<int64_t>(span, length) / ports;  // runs wholly inside the copied bytes
  const int64_t insideBytes = inside * ports;
  reverseRunsOfInto(raw, frame, ports, inside, std::min(usedPorts, ports));
  std::memcpy(frame + insideBytes, raw + insideBytes, std::size_t(length - insideBytes));
  // A run across the end of the copied bytes, and those past it, meet what the buffer held.
  if (span > insideBytes) reverseRunsOf(frame + insideBytes, ports, (span - insideBytes) / ports);
}

void completeNormalisationFrom(const uint8_t* raw, int32_t length, uint8_t* frame, int ports, int32_t groups) {
  const int64_t inside = std::min<int64_t>(int64_t{groups} * 3 * ports, length) / ports;
  reverseRunsOfInto(raw, frame, ports, inside, ports);
}

void splitPorts(const uint8_t* frame, int ports, int32_t streamBytes, uint8_t* const* rows) {
  switch (ports) {
    case 1: return splitRuns<1>(frame, streamBytes, rows);
    case 2: return splitRuns<2>(frame, streamBytes, rows);
    case 4: return splitRuns<4>(frame, streamBytes, rows);
    case 8: return splitRuns<8>(frame, streamBytes, rows);
    default: break;
  }
  for (int32_t u = 0; u < streamBytes; ++u) {
    const uint8_t* at = frame + int64_t{u} * ports;
    for (int q = 0; q < ports; ++q) rows[q][u] = at[q];
  }
}

void buildPortBits(const uint8_t* stream, int32_t streamBytes, uint8_t* bits) {
  constexpr uint8_t kOnAbove = 100;
  int32_t b = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: x > 100 where x - 100 (saturating) is not 0.
  const __m128i above = _mm_set1_epi8(static_cast<char>(kOnAbove)), zero = _mm_setzero_si128();
  for (; b + 2 <= streamBytes / 8; b += 2) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stream + 8 * b));
    const int off = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(v, above), zero));
    bits[b] = static_cast<uint8_t>(~off);
    bits[b + 1] = static_cast<uint8_t>(~off >> 8);
  }
#endif
  for (; b < streamBytes / 8; ++b) {
    const uint8_t* eight = stream + 8 * b;
    uint8_t v = 0;
    for (int k = 0; k < 8; ++k) v |= static_cast<uint8_t>((eight[k] > kOnAbove) << k);
    bits[b] = v;
  }
}

namespace {

[[maybe_unused]] constexpr uint32_t byteSwapped(uint32_t x) {
  return (x >> 24) | (x >> 8 & 0xFF00) | (x << 8 & 0xFF0000) | (x << 24);
}

// Where one group of the column image takes its bytes from.
struct PortGroup {
  int ports = 1;                 // 1, or 4 packed with BitPlanePack
  bool adjacent = false;         // the four ports stand side by side (base[i] = base[0] + i)
  const uint8_t* base[4] = {};   // channel k of port i at base[i][k * step]
  int64_t step = 1;
  const uint8_t* white[4] = {};  // white table row of each port, for the geometry's white column
};

// BitPlanePack of four source bytes, scaled, stored at out.
inline void storePacked(const ScaleTable& t, uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t* out) {
  uint32_t w = t.planes[0][a] | t.planes[1][b] | t.planes[2][c] | t.planes[3][d];
  if constexpr (std::endian::native == std::endian::big) w = byteSwapped(w);
  std::memcpy(out, &w, 4);  // byte k = bits 8k .. 8k+7 of w
}

// Stores the value of one channel (N = 1) or its four ports packed with
// BitPlanePack (N = 4); src[i][at] is port i's source byte. Unscaled: the
// table is the identity.
template <int N, bool Unscaled = false>
inline uint8_t* emit(const uint8_t* const* src, int64_t at, const ScaleTable& t, uint8_t* out) {
  if constexpr (N == 1) {
    *out = Unscaled ? src[0][at] : t.value[src[0][at]];
  } else {
    storePacked(t, src[0][at], src[1][at], src[2][at], src[3][at], out);
  }
  return out + N;
}

// Four ports side by side in the source (the frame's ports of one channel),
// read with one load.
inline uint8_t* emitAdjacent(const uint8_t* src, const ScaleTable& t, uint8_t* out) {
  uint32_t x;
  std::memcpy(&x, src, 4);
  if constexpr (std::endian::native == std::endian::big) x = byteSwapped(x);
  storePacked(t, x & 0xFF, x >> 8 & 0xFF, x >> 16 & 0xFF, x >> 24, out);
  return out + 4;
}

// N = 1: one port; N = 4: four ports packed, side by side in the source
// when Adjacent; W channels per column (the geometry's width); Unscaled when
// the table is the identity. Everything the loops read but the table is
// copied to locals first, so that the byte stores cannot alias it.
template <int N, int W, bool Adjacent = false, bool Unscaled = false>
void placeColumns(const ColumnGeometry& g, const PortGroup& group, const ScaleTable& t, uint8_t* out) {
  const int32_t columns = g.columns, lines = g.lines, whiteColumn = g.whiteColumn;
  constexpr int32_t width = W;
  const int64_t step = group.step;
  const int64_t lineBytes = int64_t{g.stride} * step;  // from a line to the next, in the source
  const uint8_t* white[N];
  const uint8_t* column[N];
  for (int i = 0; i < N; ++i) white[i] = group.white[i];
  for (int32_t c = 0; c < columns; ++c) {
    if (c == whiteColumn) {
      for (int32_t line = lines - 1; line >= 0; --line) {
        for (int32_t e = 0; e < width; ++e) out = emit<N, Unscaled>(white, line, t, out);
      }
      continue;
    }
    for (int i = 0; i < N; ++i) column[i] = group.base[i] + int64_t{width} * c * step;
    for (int32_t line = lines - 1; line >= 0; --line) {
      const int64_t lineAt = line * lineBytes;
      for (int32_t e = width - 1; e >= 0; --e) {
        out = Adjacent ? emitAdjacent(column[0] + lineAt + e * step, t, out)
                       : emit<N, Unscaled>(column, lineAt + e * step, t, out);
      }
    }
  }
}

// Both groups of PortsUsed 8 in one pass, when the second does not reach
// back into the first (so the order of the stores does not matter): the
// eight ports of a channel side by side in the frame, read with one load.
template <int W>
void placeColumnPairs(const ColumnGeometry& g, const PortGroup& first, const PortGroup& second,
                      const ScaleTable& t, uint8_t* out, uint8_t* outSecond) {
  const int32_t columns = g.columns, lines = g.lines, whiteColumn = g.whiteColumn;
  const int64_t step = first.step;
  const int64_t lineBytes = int64_t{g.stride} * step;
  const uint8_t* white[4];
  const uint8_t* whiteSecond[4];
  for (int i = 0; i < 4; ++i) white[i] = first.white[i], whiteSecond[i] = second.white[i];
  for (int32_t c = 0; c < columns; ++c) {
    if (c == whiteColumn) {
      for (int32_t line = lines - 1; line >= 0; --line) {
        for (int32_t e = 0; e < W; ++e) {
          out = emit<4>(white, line, t, out);
          outSecond = emit<4>(whiteSecond, line, t, outSecond);
        }
      }
      continue;
    }
    const uint8_t* column = first.base[0] + int64_t{W} * c * step;
    for (int32_t line = lines - 1; line >= 0; --line) {
      const uint8_t* at = column + line * lineBytes;
      for (int32_t e = W - 1; e >= 0; --e) {
        out = emitAdjacent(at + e * step, t, out);
        outSecond = emitAdjacent(at + e * step + 4, t, outSecond);
      }
    }
  }
}

// One group laid out at `out` as the table in the header says.
void placeGroup(const ColumnGeometry& g, const PortGroup& group, const ScaleTable& scale, uint8_t* out) {
  const bool pairs = g.width == 2;
  if (group.ports == 4 && group.adjacent) {
    pairs ? placeColumns<4, 2, true>(g, group, scale, out) : placeColumns<4, 1, true>(g, group, scale, out);
  } else if (group.ports == 4) {
    pairs ? placeColumns<4, 2>(g, group, scale, out) : placeColumns<4, 1>(g, group, scale, out);
  } else if (scale.identity) {
    pairs ? placeColumns<1, 2, false, true>(g, group, scale, out) : placeColumns<1, 1, false, true>(g, group, scale, out);
  } else {
    pairs ? placeColumns<1, 2>(g, group, scale, out) : placeColumns<1, 1>(g, group, scale, out);
  }
}

// Group of `count` ports from port `first` (0-based) of the frame or the port bits.
PortGroup groupOf(const ColumnGeometry& g, EngineState& state, int ports, int first, int count) {
  PortGroup group;
  group.ports = count;
  for (int i = 0; i < count; ++i) {
    const int q = first + i;
    if (g.source == PixelSource::kPortBits) {
      group.base[i] = state.portBitRow(q);
    } else {
      group.base[i] = state.frame.data() + q;
    }
    group.white[i] = state.whiteRow(q);
  }
  group.adjacent = g.source == PixelSource::kFrame;
  group.step = g.source == PixelSource::kPortBits ? 1 : ports;
  return group;
}

}  // namespace

void placeFrame(const ColumnGeometry& g, EngineState& state, int ports, int portsUsed,
                int32_t blockShift, int32_t blockOffset, const ScaleTable& scale, uint8_t* into) {
  if (portsUsed != 1 && portsUsed != 2 && portsUsed != 4 && portsUsed != 8) return;
  const int perGroup = portsPerGroup(portsUsed);
  uint8_t* work = into != nullptr ? into : state.work.data();
  if (portsUsed == 8 && ports == 8 && g.source == PixelSource::kFrame && blockOffset >= groupBytes(g, 4)) {
    const PortGroup first = groupOf(g, state, ports, 0, 4), second = groupOf(g, state, ports, 4, 4);
    uint8_t* out = work + groupStart(0, blockShift, blockOffset);
    uint8_t* outSecond = work + groupStart(1, blockShift, blockOffset);
    g.width == 2 ? placeColumnPairs<2>(g, first, second, scale, out, outSecond)
                 : placeColumnPairs<1>(g, first, second, scale, out, outSecond);
    return;
  }
  for (int group = 0; group < groupCount(portsUsed); ++group) {
    uint8_t* out = work + groupStart(group, blockShift, blockOffset);
    placeGroup(g, groupOf(g, state, ports, group * perGroup, perGroup), scale, out);
  }
}

}  // namespace led2vqn
