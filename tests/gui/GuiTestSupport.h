#pragma once

// Helpers of the widget tests: a private user (settings, runtime folder), sample audio files,
// waiting on the event loop, and simulated drops.

#include <functional>
#include <string>

#include <QStringList>

class QWidget;

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

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Drops local files on `target` as a file manager would.
void DropFiles(QWidget* target, const QStringList& files);

}  // namespace gui_testing
