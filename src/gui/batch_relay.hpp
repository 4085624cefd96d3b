// The window model's port in the Qt window, seen from both threads of a batch.
//
// A row's conversion (one timer tick) runs on its own thread while the GUI
// thread stays free. What the model says during that tick reaches the GUI
// thread this way:
//
//   call from the tick       reaches the GUI thread as
//   showNotice, reportError  held back, shown in order once the tick is over
//   rowStarted               a queued call: the row is highlighted at once
//   progressChanged          a queued call that shows the latest position,
//                            at most once per kProgressPeriod
//   keepConverting           false once Cancel was asked for (an atomic flag)
//
// On the GUI thread every call goes straight to the window's own port.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>

#include "app/window_port.hpp"

namespace led2vqn::gui {

class BatchRelay : public WindowPort {
 public:
  static constexpr std::chrono::milliseconds kProgressPeriod{33};  // ~30 updates a second

  // `outer` shows the boxes and dialogs; queued calls run in `gui`'s thread.
  BatchRelay(WindowPort& outer, QObject* gui) : outer_(outer), gui_(gui) {}

  // Run on the GUI thread: a row starts, the progress bar moves.
  std::function<void(int row)> onRowStarted;
  std::function<void(int32_t position, int32_t maximum)> onProgress;
  // Tests: called on the converting thread before each frame of a card,
  // counted from 1 (it may wait there).
  std::function<void(int32_t frame)> frameHook;

  // Cancel during a row: the conversion stops before its next frame.
  void requestCancel() { cancel_ = true; }
  // Whether Cancel was asked for since the last call; clears the request.
  bool takeCancel() { return cancel_.exchange(false); }
  // Shows what the tick held back, in order (GUI thread, after the tick).
  void showHeldBack();

  void showMessage(const std::string& text) override { showNotice(text, Notice::kWarning); }
  void showNotice(const std::string& text, Notice kind) override;
  std::optional<std::string> openDialog(DialogKind kind) override { return outer_.openDialog(kind); }
  std::vector<std::string> openFilesDialog(DialogKind kind) override { return outer_.openFilesDialog(kind); }
  void reportError(const std::string& text) override;
  void rowStarted(int row) override;
  void progressChanged(int32_t position, int32_t maximum) override;
  bool keepConverting() override;

 private:
  struct Held {
    bool error;
    Notice kind;
    std::string text;
  };

  bool onGuiThread() const;
  // Shows the latest progress now, or once kProgressPeriod has passed since the last time.
  void deliverProgress();

  WindowPort& outer_;
  QPointer<QObject> gui_;
  std::mutex heldMutex_;
  std::vector<Held> held_;  // boxes the tick asked for
  std::atomic<bool> cancel_{false};
  int32_t frame_ = 0;  // frames asked about since the row started (converting thread)
  std::atomic<int32_t> position_{0};
  std::atomic<int32_t> maximum_{0};
  std::atomic<bool> progressQueued_{false};              // a progress call waits in the GUI's queue
  std::chrono::steady_clock::time_point lastShown_{};  // GUI thread only
};

}  // namespace led2vqn::gui
