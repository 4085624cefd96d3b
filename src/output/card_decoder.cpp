#include "output/card_decoder.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "output/card_inspect.hpp"
#include "output/card_placement.hpp"
#include "output/engine_state.hpp"

namespace led2vqn {

namespace {

// Probe names: a FrameBuffer byte at a is a + 1 (below 2^19); a white table
// or port-bits byte at row q, position u is its kind's flag | q << 16 | u + 1.
constexpr uint32_t kWhiteName = 1u << 23;
constexpr uint32_t kBitsName = 1u << 22;
constexpr int kNameBytes = 3;

constexpr uint8_t nameByte(uint32_t name, int d) { return static_cast<uint8_t>(name >> (8 * d)); }

// Every source byte the placement can read holds byte d of its own name:
// the channels a line's columns reach, of every port.
void fillProbe(EngineState& s, const ColumnGeometry& g, int ports, int d) {
  const auto reach = std::size_t(int64_t{g.stride} * (g.lines - 1) + int64_t{g.width} * g.columns);
  const std::size_t frameBytes = std::min(reach * std::size_t(ports), s.frame.size());
  for (std::size_t a = 0; a < frameBytes; ++a) s.frame[a] = nameByte(uint32_t(a + 1), d);
  for (int q = 0; q < kWhiteRows; ++q) {
    const std::size_t lines = std::min(std::size_t(g.lines), kWhiteRowBytes);
    for (std::size_t u = 0; u < lines; ++u) s.whiteRow(q)[u] = nameByte(kWhiteName | q << 16 | uint32_t(u + 1), d);
  }
  for (int q = 0; q < kPortBitRows; ++q) {
    const std::size_t bits = std::min(reach, kPortBitRowBytes);
    for (std::size_t u = 0; u < bits; ++u) s.portBitRow(q)[u] = nameByte(kBitsName | q << 16 | uint32_t(u + 1), d);
  }
}

int32_t groupBytesOf(const CardModel& m, int32_t portsUsed) { return groupBytes(m.geometry, portsPerGroup(portsUsed)); }

// WorkBuffer bytes up to the end of the last group.
int64_t extentOf(const CardModel& m, const CardPlacement& p) {
  return int64_t{groupStart(groupCount(p.portsUsed) - 1, p.blockShift, p.blockOffset)} + groupBytesOf(m, p.portsUsed);
}

// The WorkBuffer a placement leaves, once per name byte.
struct ProbeRun {
  CardPlacement placement;
  std::array<std::vector<uint8_t>, kNameBytes> work;
};

std::vector<ProbeRun> probe(const CardModel& m, const std::vector<CardPlacement>& placements) {
  auto state = std::make_unique<EngineState>();
  std::vector<ProbeRun> runs;
  for (const CardPlacement& p : placements) runs.push_back(ProbeRun{p, {}});
  const ScaleTable identity = identityTable();
  int ports = 1;
  for (const CardPlacement& p : placements) ports = std::max(ports, p.portsUsed);
  for (int d = 0; d < kNameBytes; ++d) {
    fillProbe(*state, m.geometry, ports, d);
    for (ProbeRun& run : runs) {
      const CardPlacement& p = run.placement;
      const auto extent = std::size_t(extentOf(m, p));
      std::memset(state->work.data(), 0, extent);
      placeFrame(m.geometry, *state, p.portsUsed, p.portsUsed, p.blockShift, p.blockOffset, identity);
      run.work[d].assign(state->work.data(), state->work.data() + extent);
    }
  }
  return runs;
}

// Input `lane` of the four BitPlanePack bytes at b.
uint8_t unpackLane(const uint8_t* b, int lane) {
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) {
    v |= uint32_t((b[k] >> (4 + lane)) & 1) << (7 - 2 * k);
    v |= uint32_t((b[k] >> lane) & 1) << (6 - 2 * k);
  }
  return static_cast<uint8_t>(v);
}

// The names a slot of `lanes` bytes at `at` holds, one per lane.
std::array<uint32_t, 4> slotNames(const ProbeRun& run, int32_t at, int lanes) {
  std::array<uint32_t, 4> names{};
  for (int d = 0; d < kNameBytes; ++d) {
    const uint8_t* b = run.work[d].data() + at;
    if (lanes == 1) {
      names[0] |= uint32_t(b[0]) << (8 * d);
    } else {
      for (int i = 0; i < 4; ++i) names[i] |= uint32_t(unpackLane(b, i)) << (8 * d);
    }
  }
  return names;
}

CardMap emptyMap(const CardModel& m, int32_t portsUsed, int32_t channels) {
  CardMap map;
  map.portsUsed = portsUsed;
  map.channels = std::max(channels, 0);
  map.whiteLines = m.geometry.whiteColumn >= 0 ? m.geometry.lines : 0;
  map.onOff = m.geometry.source == PixelSource::kPortBits;
  map.channel.assign(std::size_t(portsUsed) * std::size_t(map.channels), ChannelSource{});
  map.white.assign(std::size_t(portsUsed) * std::size_t(map.whiteLines), ChannelSource{});
  return map;
}

struct Slot {
  int32_t at;  // block offset
  int lanes;
  int lane;
};

void setOnce(ChannelSource& s, const Slot& slot, uint8_t bit) {
  if (!s.onCard()) s = ChannelSource{slot.at, uint8_t(slot.lanes), uint8_t(slot.lane), bit};
}

// Records what the probe name found in a slot stands for.
void record(CardMap& map, uint32_t name, const Slot& at) {
  if (name == 0) return;
  const int q = int(name >> 16 & 7);
  const int32_t u = int32_t(name & 0xFFFF) - 1;
  if (name & kWhiteName) {
    if (q < map.portsUsed && u >= 0 && u < map.whiteLines) setOnce(map.white[std::size_t(q * map.whiteLines + u)], at, ChannelSource::kWholeByte);
  } else if (name & kBitsName) {
    // The port bits are built from whole runs of eight channels of a stream
    // of channels + 6 bytes; later bytes keep what earlier frames left.
    if (q >= map.portsUsed || u < 0 || u >= (map.channels + 6) / 8) return;
    for (int j = 0; j < 8; ++j) {
      const int32_t k = 8 * u + j;
      if (k < map.channels) setOnce(map.channel[std::size_t(q) * std::size_t(map.channels) + std::size_t(k)], at, uint8_t(j));
    }
  } else {
    const int32_t a = int32_t(name) - 1;
    const int32_t k = a / map.portsUsed;
    const int pq = a % map.portsUsed;
    if (k < map.channels) setOnce(map.channel[std::size_t(pq) * std::size_t(map.channels) + std::size_t(k)], at, ChannelSource::kWholeByte);
  }
}

}  // namespace

int32_t channelsOfHeader(int32_t channelBytes) { return std::max(0, 3 * (channelBytes / 3 - 1)); }

bool placementFits(const CardModel& m, const CardPlacement& p) {
  const int used = p.portsUsed;
  if (used != 1 && used != 2 && used != 4 && used != 8) return false;
  if (m.onePort && used != 1) return false;
  if (p.blockShift < 0 || p.blockShift >= kBlockShiftRange) return false;
  if (groupCount(used) > 1 && p.blockOffset < 0) return false;
  if (p.blockBytes <= 4 || p.blockBytes > int32_t(kWorkingBufferBytes)) return false;
  // The probe's own placement lays the groups side by side.
  return extentOf(m, p) <= int64_t(kWorkingBufferBytes) &&
         int64_t{groupBytesOf(m, used)} * 2 <= int64_t(kWorkingBufferBytes);
}

namespace {

// The groups side by side from WorkBuffer byte 0, so that each slot holds
// its own group's bytes. Probed once per model and port count.
const ProbeRun& apartRun(const CardModel& m, int32_t portsUsed) {
  static std::mutex mutex;
  static std::map<std::pair<int32_t, int32_t>, ProbeRun> runs;
  const std::lock_guard<std::mutex> lock(mutex);
  const auto key = std::make_pair(int32_t(m.kind), portsUsed);
  auto it = runs.find(key);
  if (it == runs.end()) {
    const CardPlacement apart{portsUsed, groupBytesOf(m, portsUsed), 0, 0};
    it = runs.emplace(key, std::move(probe(m, {apart})[0])).first;
  }
  return it->second;
}

// The map of a placement. The groups are placed in order, so where two
// overlap the later one's bytes stand (card_placement.hpp).
CardMap mapOfPlacement(const CardModel& m, const CardPlacement& p, int32_t channels) {
  const ProbeRun& apart = apartRun(m, p.portsUsed);
  CardMap map = emptyMap(m, p.portsUsed, channels);
  const int lanes = portsPerGroup(p.portsUsed);
  const int32_t bytes = groupBytesOf(m, p.portsUsed);
  const int groups = groupCount(p.portsUsed);
  for (int g = 0; g < groups; ++g) {
    for (int32_t s = 0; s + lanes <= bytes; s += lanes) {
      const int32_t at = groupStart(g, p.blockShift, p.blockOffset) + s;
      // WorkBuffer byte w is block byte w + 2; the block's last two are check bytes.
      if (at + lanes > p.blockBytes - 4) continue;
      bool covered = false;
      for (int later = g + 1; later < groups; ++later) {
        const int32_t from = groupStart(later, p.blockShift, p.blockOffset);
        covered = covered || (at + lanes > from && at < from + bytes);
      }
      if (covered) continue;
      const std::array<uint32_t, 4> own = slotNames(apart, groupStart(g, 0, apart.placement.blockOffset) + s, lanes);
      for (int i = 0; i < lanes; ++i) record(map, own[i], Slot{at + 2, lanes, i});
    }
  }
  return map;
}

}  // namespace

CardMap mapCard(const CardModel& m, const CardPlacement& p, int32_t channels) { return mapOfPlacement(m, p, channels); }

CardMap mapAlwaysCarried(const CardModel& m, int32_t portsUsed, int32_t channels) {
  // Every block shift, the smallest block, and both ends of the block offset's
  // range (the lowest overlaps most, the highest runs furthest).
  CardMap always = emptyMap(m, portsUsed, channels);
  for (ChannelSource& s : always.channel) s.at = 0;
  for (ChannelSource& s : always.white) s.at = 0;
  const DrawnValue& offset = portsUsed >= 4 ? m.offsetFrom4 : m.offsetBelow4;
  for (int32_t shift = 0; shift < kBlockShiftRange; ++shift) {
    for (int32_t h : {offset.base, offset.base + offset.range - 1}) {
      CardPlacement p{portsUsed, h, shift, 0};
      p.blockBytes = (m.blockPerPort.base * portsUsed + shift + 511) / 512 * 512;
      if (!placementFits(m, p)) return emptyMap(m, portsUsed, channels);
      const CardMap one = mapOfPlacement(m, p, channels);
      for (std::size_t i = 0; i < one.channel.size(); ++i) {
        if (!one.channel[i].onCard()) always.channel[i].at = -1;
      }
      for (std::size_t i = 0; i < one.white.size(); ++i) {
        if (!one.white[i].onCard()) always.white[i].at = -1;
      }
    }
  }
  return always;
}

uint8_t sourceValue(const uint8_t* block, const ChannelSource& s) {
  const uint8_t* slot = block + s.at;
  const uint8_t value = s.lanes == 4 ? unpackLane(slot, s.lane) : slot[0];
  if (s.bit == ChannelSource::kWholeByte) return value;
  return (value >> s.bit & 1) ? 255 : 0;
}

std::optional<std::string> CardDecoder::open(const std::string& path) {
  if (auto e = file_.open(path)) return e->text;
  uint64_t size = 0;
  if (auto e = file_.size(size)) return e->text;
  if (size < kSectorBytes) return std::string("the file is shorter than a card's header sector");
  std::array<uint8_t, kSectorBytes> sector{};
  if (auto e = file_.readAt(0, sector.data(), sector.size())) return e->text;
  bool modeFileMagic = false;
  model_ = cardModelOfMagic(sector.data(), modeFileMagic);
  if (model_ == nullptr) return std::string("not a card file (no card model has its first six letters)");
  header_ = decodeCardHeader(sector.data());
  if (!header_.checksOk) return std::string("the header sector's check bytes do not hold");
  const DecodedHeader& h = header_;
  if (!h.ports || !h.frameSectors || !h.blockShift || h.frames < 0 ||
      *h.frameSectors > int32_t(kWorkingBufferBytes / kSectorBytes)) {
    return std::string("the header's ports, frames or frame block size cannot be decoded");
  }
  placement_ = CardPlacement{*h.ports, h.blockOffset, *h.blockShift, *h.frameSectors * int32_t(kSectorBytes)};
  if (!placementFits(*model_, placement_)) {
    return "the header declares a placement no " + std::string(cardModelName(model_)) + " card has (" +
           decimal(placement_.portsUsed) + " ports, block offset " + decimal(placement_.blockOffset) +
           ", block shift " + decimal(placement_.blockShift) + ", " + decimal(*h.frameSectors) + " sectors per frame)";
  }
  framesOnCard_ = model_->frameCap > 0 ? std::min(h.frames, model_->frameCap) : h.frames;
  const uint64_t blocks = (size - kSectorBytes) / uint64_t(placement_.blockBytes);
  wholeBlocks_ = int32_t(std::min<uint64_t>(blocks, uint64_t(framesOnCard_)));
  map_ = mapCard(*model_, placement_, channelsOfHeader(std::min(h.channelBytes, model_->channelBytesCap)));
  block_.assign(std::size_t(placement_.blockBytes), 0);
  return std::nullopt;
}

CardDecoder::FrameState CardDecoder::read(int32_t f, CardFrame& out) {
  out.channels.resize(map_.channel.size());
  out.white.resize(map_.white.size());
  if (f < 1 || f > wholeBlocks_) return FrameState::kMissing;
  const uint64_t offset = kSectorBytes + uint64_t(f - 1) * uint64_t(placement_.blockBytes);
  if (auto e = file_.readAt(offset, block_.data(), block_.size())) {
    readError_ = e;
    return FrameState::kReadError;
  }
  for (std::size_t i = 0; i < map_.channel.size(); ++i) {
    out.channels[i] = map_.channel[i].onCard() ? sourceValue(block_.data(), map_.channel[i]) : 0;
  }
  for (std::size_t i = 0; i < map_.white.size(); ++i) {
    out.white[i] = map_.white[i].onCard() ? sourceValue(block_.data(), map_.white[i]) : 0;
  }
  return checkBytesHold(block_.data(), block_.size()) ? FrameState::kOk : FrameState::kCheckBytesDiffer;
}

}  // namespace led2vqn
