// Appending blocks to a file on a second thread while the first one goes on
// computing the next ones.
//
// Blocks are written in the order they were queued; after the first failed
// write nothing more is written. Where no thread is started (`threaded`
// false, as platform::writerThreadAvailable() says for a build without
// threads, or the system refuses one), push() writes at once on the
// caller's thread, so that callers have one path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/file_io.hpp"

namespace led2vqn {

class WriteBehind {
 public:
  static constexpr int kMaxQueued = 8;
  // What is done to each block just before its write, on the thread that
  // writes it (the last part of making it, taken off the caller's thread).
  using Finish = void (*)(uint8_t* block, std::size_t n);

  // Starts the writer thread when `threaded` (and one can be started). The
  // thread blocks every signal: they reach the caller's thread.
  WriteBehind(AtomicFile& file, bool threaded, Finish finish = nullptr);
  // Drops what is still queued and waits for the thread to end.
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  bool threaded() const { return threaded_; }
  // Queues n bytes at data, which must stay untouched until the block is
  // written (waitForRoom or drain says so); `finish` runs on them first. A
  // block queued after a failed write is neither finished nor written.
  // REQUIRES: fewer than kMaxQueued blocks unwritten.
  void push(uint8_t* data, std::size_t n);
  // Waits until at most `unwritten` queued blocks are not yet written.
  // False when a write has failed.
  bool waitForRoom(int unwritten);
  // Waits until every queued block is written or one failed. `written` is
  // the count of blocks written before the failure (or of all of them).
  std::optional<IoError> drain(int64_t& written);

 private:
  struct Entry {
    uint8_t* data = nullptr;
    std::size_t size = 0;
  };

  void run();

  AtomicFile& file_;
  Finish finish_;
  bool threaded_ = false;
  Entry queue_[kMaxQueued];
  int64_t pushed_ = 0;              // blocks queued since the start
  int64_t done_ = 0;                // of those, blocks written
  std::optional<IoError> failure_;  // the first failed write; nothing is written after it
  bool ending_ = false;              // the thread is to end
  std::mutex mutex_;                 // guards all of the above once the thread runs
  std::condition_variable queued_;   // the writer waits for blocks or the end
  std::condition_variable written_;  // the caller waits for room or the drain
  std::thread thread_;
};

}  // namespace led2vqn
