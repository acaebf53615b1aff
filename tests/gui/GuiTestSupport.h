#pragma once

// Helpers of the widget tests: a private user (settings, runtime folder), sample audio files,
// waiting on the event loop, simulated drops, and batches that can be held at a chosen file.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <QStringList>

#include "app/DriverFormats.h"

class QWidget;
class TFrmConverter;

namespace gui_testing {

// Points XDG_CONFIG_HOME and XDG_RUNTIME_DIR at fresh folders for as long as it lives.
class IsolatedUser {
public:
  IsolatedUser();
  ~IsolatedUser();
  IsolatedUser(const IsolatedUser&) = delete;
  IsolatedUser& operator=(const IsolatedUser&) = delete;

private:
  std::string FRoot;
};

// A 16-bit PCM WAV file of `seconds` of sine, with `channels` channels at 8000 Hz.
void WriteWave(const std::string& fileName, double seconds, int channels = 2, int bitsPerSample = 16);

// Runs the event loop until `done` holds; returns `done()`. The time limit only keeps a broken
// test from hanging.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000);

// Drops local files on `target` as a file manager would.
void DropFiles(QWidget* target, const QStringList& files);

// Shows `window` and waits until it is the active window, so its shortcuts work.
bool ShowActive(QWidget& window);

// Presses Convert and waits until the batch has ended.
bool ConvertAndWait(TFrmConverter& window);

// Holds the conversion of one input: the first read of a file whose name contains "held" waits
// until Open.
class TInputGate {
public:
  void Pass();
  void Open();
  bool Entered() const { return FEntered > 0; }
  // How many reads have come to the gate.
  int EnteredCount() const { return FEntered; }

private:
  std::mutex FMutex;
  std::condition_variable FOpened;
  bool FOpen = false;
  std::atomic<int> FEntered{0};
};

// The program's formats, with WAV input read through `gate`.
TFormatTable GatedFormats(std::shared_ptr<TInputGate> gate);

}  // namespace gui_testing
