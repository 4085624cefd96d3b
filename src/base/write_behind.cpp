#include "base/write_behind.hpp"

#include <system_error>
#include <utility>

#include "base/platform.hpp"

namespace led2vqn {

WriteBehind::WriteBehind(AtomicFile& file, bool threaded, Finish finish) : file_(file), finish_(finish) {
  if (!threaded) return;
  try {
    thread_ = std::thread([this] { run(); });
    threaded_ = true;
  } catch (const std::system_error&) {
    // No thread to be had: push() writes.
  }
}

WriteBehind::~WriteBehind() {
  if (!threaded_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  queued_.notify_one();
  thread_.join();
}

void WriteBehind::push(uint8_t* data, std::size_t n) {
  if (!threaded_) {
    queue_[pushed_ % kMaxQueued] = Entry{data, n};
    ++pushed_;
    if (failure_) return;
    if (finish_ != nullptr) finish_(data, n);
    if (std::optional<IoError> failure = file_.append(data, n)) {
      failure_ = std::move(failure);
    } else {
      ++done_;
    }
    return;
  }
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_[pushed_ % kMaxQueued] = Entry{data, n};
    ++pushed_;
    // A writer that has caught up is woken for two blocks at once (or when
    // the caller waits): half as many wake-ups where writing is the quicker part.
    wake = pushed_ - done_ >= 2;
  }
  if (wake) queued_.notify_one();
}

void WriteBehind::run() {
  platform::blockSignalsOnThisThread();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return ending_ || (!failure_ && done_ < pushed_); });
    if (ending_) return;
    // The block's bytes and the file are this thread's until done_ counts
    // the block; the caller touches neither meanwhile.
    const Entry e = queue_[done_ % kMaxQueued];
    lock.unlock();
    if (finish_ != nullptr) finish_(e.data, e.size);
    std::optional<IoError> failure = file_.append(e.data, e.size);
    lock.lock();
    if (failure) {
      failure_ = std::move(failure);
    } else {
      ++done_;
    }
    written_.notify_one();
  }
}

bool WriteBehind::waitForRoom(int unwritten) {
  if (!threaded_) return !failure_;
  std::unique_lock<std::mutex> lock(mutex_);
  if (pushed_ - done_ > unwritten) queued_.notify_one();
  written_.wait(lock, [&] { return failure_ || pushed_ - done_ <= unwritten; });
  return !failure_;
}

std::optional<IoError> WriteBehind::drain(int64_t& written) {
  if (threaded_) {
    std::unique_lock<std::mutex> lock(mutex_);
    queued_.notify_one();
    written_.wait(lock, [&] { return failure_ || done_ == pushed_; });
  }
  written = done_;
  return failure_;
}

}  // namespace led2vqn
