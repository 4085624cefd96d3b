// The process-wide working state of a run: the generator, the three working
// buffers and the tables the writers leave behind for each other. One object
// of this type is owned by the window model; nothing here is ever cleared
// except where a writer says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/bytes.hpp"
#include "base/platform.hpp"
#include "base/write_behind.hpp"
#include "output/random.hpp"

namespace led2vqn {

inline constexpr std::size_t kWorkingBufferBytes = 350000;
inline constexpr std::size_t kFillerBytes = 300000;

// Eight rows, each long enough for a whole port stream (3 * 16002 bytes), so
// a row never runs on into the next. The RGBW writer keeps the companion's
// port streams here and the Z6 writer uses the same rows as its streams.
inline constexpr int kWhiteRows = 8;
inline constexpr std::size_t kWhiteRowBytes = 48006;

// The Z6 writer's per-port bit planes.
inline constexpr int kPortBitRows = 8;
inline constexpr std::size_t kPortBitRowBytes = 20000;

// A fixed-size byte buffer, zero at start, allocated once.
class ByteBuffer {
 public:
  explicit ByteBuffer(std::size_t size) : size_(size), data_(new uint8_t[size]()) {}
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  uint8_t& operator[](std::size_t i) { return data_[i]; }
  uint8_t operator[](std::size_t i) const { return data_[i]; }

 private:
  std::size_t size_;
  std::unique_ptr<uint8_t[]> data_;
};

struct EngineState {
  EngineState()
      : sector(kWorkingBufferBytes),
        frame(kWorkingBufferBytes),
        work(kWorkingBufferBytes),
        companion(kWorkingBufferBytes),
        white(kWhiteRows * kWhiteRowBytes),
        portBits(kPortBitRows * kPortBitRowBytes) {}
  EngineState(const EngineState&) = delete;
  EngineState& operator=(const EngineState&) = delete;

  uint8_t* whiteRow(int q) { return white.data() + q * kWhiteRowBytes; }
  uint8_t* portBitRow(int q) { return portBits.data() + q * kPortBitRowBytes; }

  // The filler an output button lays before its batch: for i = 0 .. 299999,
  // sector[i], frame[i], work[i] = byte(200) + 39 each (900000 draws).
  void fillBatchFiller();

  Generator rng;
  // Frame blocks a card writer may have built ahead of the file: 1 writes
  // each block before the next frame is read; more hand the writes to a
  // second thread, with as many blocks in flight (at most
  // WriteBehind::kMaxQueued). The bytes are the same either way.
  int writerSlots = platform::writerThreadAvailable() ? 4 : 1;
  ByteBuffer sector;     // header sector, then each frame block
  ByteBuffer frame;      // one program file frame; trailer filler
  ByteBuffer work;       // pixel routines' scratch
  ByteBuffer companion;  // one frame of the RGBW companion file
  ByteBuffer white;      // kWhiteRows rows of kWhiteRowBytes
  ByteBuffer portBits;   // kPortBitRows rows of kPortBitRowBytes
};

}  // namespace led2vqn
