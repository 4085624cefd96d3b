#include "gui/batch_relay.hpp"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace led2vqn::gui {

bool BatchRelay::onGuiThread() const { return gui_ && QThread::currentThread() == gui_->thread(); }

void BatchRelay::showNotice(const std::string& text, Notice kind) {
  if (onGuiThread()) {
    outer_.showNotice(text, kind);
    return;
  }
  const std::lock_guard<std::mutex> lock(heldMutex_);
  held_.push_back(Held{false, kind, text});
}

void BatchRelay::reportError(const std::string& text) {
  if (onGuiThread()) {
    outer_.reportError(text);
    return;
  }
  const std::lock_guard<std::mutex> lock(heldMutex_);
  held_.push_back(Held{true, Notice::kWarning, text});
}

void BatchRelay::showHeldBack() {
  std::vector<Held> held;
  {
    const std::lock_guard<std::mutex> lock(heldMutex_);
    held.swap(held_);
  }
  for (const Held& h : held) {
    if (h.error) {
      outer_.reportError(h.text);
    } else {
      outer_.showNotice(h.text, h.kind);
    }
  }
}

void BatchRelay::rowStarted(int row) {
  frame_ = 0;
  if (onGuiThread() || !gui_) return;  // the window re-reads the model itself after a handler
  QMetaObject::invokeMethod(gui_, [this, row] {
    if (onRowStarted) onRowStarted(row);
  }, Qt::QueuedConnection);
}

void BatchRelay::progressChanged(int32_t position, int32_t maximum) {
  if (onGuiThread() || !gui_) return;
  position_ = position;
  maximum_ = maximum;
  if (progressQueued_.exchange(true)) return;  // the queued call will read the latest values
  QMetaObject::invokeMethod(gui_, [this] { deliverProgress(); }, Qt::QueuedConnection);
}

void BatchRelay::deliverProgress() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastShown_ < kProgressPeriod) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kProgressPeriod - (now - lastShown_));
    QTimer::singleShot(wait, gui_, [this] { deliverProgress(); });
    return;
  }
  lastShown_ = now;
  progressQueued_ = false;  // before reading: a later change queues another call
  if (onProgress) onProgress(position_, maximum_);
}

bool BatchRelay::keepConverting() {
  if (frameHook) frameHook(++frame_);
  return !cancel_;
}

}  // namespace led2vqn::gui
