// The per-frame pixel work of the card writers: FrameNormalisation, the
// splitting of interleaved ports into port streams, the Z6 port bits, and the
// column writer that lays a frame image out in the WorkBuffer.
//
// Program frames interleave the ports: in every group of 3P bytes come colour
// component 1 of ports 1 .. P, then component 2, then component 3, so
// channel k of port p is frame byte k * P + p - 1.
//
// Column image of one group, for a geometry of C columns, L lines of stride T
// and `width` w channels per column (line l = L - 1 - j, channel t of the
// line is channel T * l + t of the port, the channels of column c are
// w*c + w-1 down to w*c):
//
//   one port:   out[(c*L + j)*w + e]           = value(l, w*c + w-1-e)
//   four ports: out[((c*L + j)*w + e)*4 + 0..3] = BitPlanePack(value of ports 1 .. 4)
//
// PortsUsed 1 and 4 write one group at BlockShift; 2 and 8 a second one
// (port 2, or ports 5 .. 8) at HeadBlockOffset + BlockShift, after the first,
// so where the two overlap the second one's bytes stand.
#pragma once

#include <array>
#include <cstdint>

#include "output/card_model.hpp"
#include "output/engine_state.hpp"

namespace led2vqn {

// What a source byte x becomes: value[x] is the low 8 bits of (x * b) div
// 100, truncated toward zero; planes[i][x] holds the bits of value[x] where
// BitPlanePack puts those of its input i + 1 (byte k of the little-endian
// word takes bits 7-2k and 6-2k at bits 4+i and i), so that four inputs pack
// as planes[0][in1] | planes[1][in2] | planes[2][in3] | planes[3][in4].
struct ScaleTable {
  std::array<uint8_t, 256> value{};
  bool identity = false;  // value[x] == x for every x
  std::array<std::array<uint32_t, 256>, 4> planes{};
};
ScaleTable brightnessTable(int32_t brightness);
ScaleTable identityTable();

// FrameNormalisation: in each of `groups` groups of 3 * ports bytes from
// byte 0, reverses the order of the ports within every colour component, so
// port 1 becomes the file's last port. Nothing changes for one port.
// REQUIRES: 1 <= ports <= 8; frame holds groups * 3 * ports bytes.
void frameNormalisation(uint8_t* frame, int ports, int32_t groups);

// The same as copying the `length` bytes at `raw` over frame bytes 0 ..
// length-1 and then calling frameNormalisation(frame, ports, groups), with
// the runs that lie wholly inside those bytes reversed on the way over. With
// usedPorts < ports, those runs get only their first usedPorts bytes (what
// becomes ports 1 .. usedPorts) and completeNormalisationFrom gives them the
// rest; bytes past `length` that the groups cover are always reversed in
// place, as frameNormalisation does.
// REQUIRES: raw and frame do not overlap; frame holds max(length, groups * 3
// * ports) bytes; usedPorts is 1, 2 or at least ports.
void normaliseFrameFrom(const uint8_t* raw, int32_t length, uint8_t* frame, int ports, int32_t groups,
                        int usedPorts = 8);
// The bytes of the runs wholly inside `length` as a whole normalisation of
// `raw` leaves them; repeating it changes nothing.
void completeNormalisationFrom(const uint8_t* raw, int32_t length, uint8_t* frame, int ports, int32_t groups);

// De-interleaves ports: rows[q][u] = frame[u * ports + q] for u < streamBytes
// and q < ports. REQUIRES: rows[0 .. ports-1] hold streamBytes bytes each.
void splitPorts(const uint8_t* frame, int ports, int32_t streamBytes, uint8_t* const* rows);

// Z6 port bits: bits[b] has bit k set when stream[8b + k] > 100, for
// b < streamBytes div 8. Bytes of bits from there on are not touched.
void buildPortBits(const uint8_t* stream, int32_t streamBytes, uint8_t* bits);

// The groups of PortsUsed 1, 2, 4 and 8: how many, how many ports each, and
// where group g (0: the first, 1: the second) starts in the WorkBuffer.
constexpr int portsPerGroup(int portsUsed) { return portsUsed >= 4 ? 4 : 1; }
constexpr int groupCount(int portsUsed) { return portsUsed == 2 || portsUsed == 8 ? 2 : 1; }
constexpr int32_t groupStart(int g, int32_t blockShift, int32_t blockOffset) {
  return g == 0 ? blockShift : blockOffset + blockShift;
}

// The placement of a whole frame into state.work (or, with `into`, into a
// buffer standing for it) for PortsUsed 1, 2, 4 or 8 (other counts place
// nothing). The sources are the normalised FrameBuffer with P ports, or the
// port bits; the white column reads state.white. Nothing placed is read.
// REQUIRES: 1 <= ports <= 8, the groups fit in the WorkBuffer (card_model.cpp
// checks this for every model), `into` holds placementEnd(...) bytes.
void placeFrame(const ColumnGeometry& g, EngineState& state, int ports, int portsUsed,
                int32_t blockShift, int32_t blockOffset, const ScaleTable& scale, uint8_t* into = nullptr);

// The end of the last byte placeFrame writes, from the start of the WorkBuffer.
constexpr int64_t placementEnd(const ColumnGeometry& g, int portsUsed, int32_t blockShift, int32_t blockOffset) {
  return groupStart(groupCount(portsUsed) - 1, blockShift, blockOffset) + groupBytes(g, portsPerGroup(portsUsed));
}

}  // namespace led2vqn
