#include "output/card_model.hpp"

#include <array>

#include "output/engine_state.hpp"

namespace led2vqn {

namespace {

constexpr TrailerRule kTrailer2018{20180117, 2531, 12345};  // Z71 RGB, Z71 RGBW, Z58, Z94, J9
constexpr TrailerRule kTrailer2019{20191220, 1234, 456};    // Z6, Z36

constexpr ColumnGeometry frameColumns(int32_t columns, int32_t lines, int32_t stride, int32_t width = 2,
                                      int32_t whiteColumn = -1) {
  return ColumnGeometry{columns, lines, stride, width, whiteColumn, PixelSource::kFrame, true};
}

constexpr std::array<CardModel, 7> kModels{{
    {OutputKind::kZ71Rgb, "KWRGB1", "P_Z71RGB_10K.vqn", {10500, 333}, {41500, 999}, 21500,
     {10600, 456}, false, true, 100000, 200000, 0, kTrailer2018, frameColumns(198, 26, 384)},
    {OutputKind::kJ9, "KWJ901", "P_J9_10K.vqn", {10500, 333}, {41500, 999}, 13000,
     {10600, 456}, false, false, 48000, 96000, 0, kTrailer2018, frameColumns(2250, 4, 2240, 1)},
    {OutputKind::kZ58, "KWRGB2", "P_Z58RGB_10K.vqn", {11000, 333}, {43500, 999}, 14000,
     {11000, 456}, false, true, 48000, 96000, 0, kTrailer2018, frameColumns(680, 8, 1350)},
    {OutputKind::kZ71Rgbw, "KWRGBW", "P_Z71RGBW_10K.vqn", {10500, 333}, {41500, 999}, 13000,
     {10600, 456}, false, true, 45000, 90000, 0, kTrailer2018, frameColumns(198, 26, 384, 2, 192)},
    {OutputKind::kZ94, "KWRGB3", "P_Z94RGB_10K.vqn", {12700, 333}, {12700, 333}, 14000,
     {12700, 67}, true, true, 48000, 48000, 5240, kTrailer2018, frameColumns(400, 16, 792)},
    {OutputKind::kZ6, "KWZ6V1", "P_Z6.vqn", {4000, 333}, {14500, 999}, 28000,
     {3500, 59}, false, true, 18000, 36000, 4680, kTrailer2019,
     ColumnGeometry{120, 16, 216, 2, -1, PixelSource::kPortBits, false}},
    {OutputKind::kZ36, "KWZ361", "P_Z36.vqn", {12500, 333}, {49800, 999}, 38000,
     {12850, 59}, false, true, 100000, 200000, 0, kTrailer2019, frameColumns(516, 12, 1024)},
}};

constexpr int64_t largest(const DrawnValue& v) { return v.base + v.range - 1; }

// Every index a model's numbers can produce lies inside the buffers, for
// every port count it writes and every value its draws can give.
constexpr bool staysInsideBuffers(const CardModel& m) {
  const ColumnGeometry& g = m.geometry;
  constexpr int64_t work = kWorkingBufferBytes;
  constexpr int64_t largestShift = kBlockShiftRange - 1;
  // The last channel a line's columns reach, and the bytes of one port it spans.
  const int64_t channelsRead = int64_t{g.stride} * (g.lines - 1) + int64_t{g.width} * g.columns;
  if (g.source == PixelSource::kFrame && channelsRead * 8 > work) return false;
  if (g.source == PixelSource::kPortBits && channelsRead > int64_t{kPortBitRowBytes}) return false;
  if (g.whiteColumn >= 0 && g.lines > int64_t{kWhiteRowBytes}) return false;
  if (int64_t{8} * m.trailer.perPort + m.trailer.base - 1 + kTrailerMinBytes > kTrailerFillBytes) return false;
  for (int used : {1, 2, 4, 8}) {
    if (m.onePort && used != 1) continue;
    const bool wide = used >= 4;
    const int64_t group = groupBytes(g, wide ? 4 : 1);
    const int64_t secondAt = used == 2 || used == 8 ? largest(wide ? m.offsetFrom4 : m.offsetBelow4) : 0;
    if (secondAt + largestShift + group > work) return false;
    // The frame block holds only bytes the frame copies in (its head, the
    // copied WorkBuffer bytes, its check bytes).
    const int64_t copy = wide ? m.copyFrom4 : m.copyBelow4;
    const int64_t sectors = (largest(m.blockPerPort) * used + largestShift + 511) / 512;
    if (sectors * 512 > copy + 2 || copy + 2 > work) return false;
  }
  return true;
}

constexpr bool allStayInsideBuffers() {
  for (const CardModel& m : kModels) {
    if (!staysInsideBuffers(m)) return false;
  }
  return true;
}

static_assert(allStayInsideBuffers(), "a card model reaches outside the working buffers");

}  // namespace

const CardModel* cardModel(OutputKind kind) {
  for (const CardModel& m : kModels) {
    if (m.kind == kind) return &m;
  }
  return nullptr;
}

}  // namespace led2vqn
