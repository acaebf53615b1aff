#include "CliProgress.h"
#include "TerminalText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int BarWidth = 20;
constexpr auto RedrawInterval = std::chrono::milliseconds(100);

// "M:SS", or "H:MM:SS" from an hour on.
std::string ClockText(double seconds) {
  const auto whole = static_cast<long>(seconds + 0.5);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  }
  return text;
}

// Columns a UTF-8 text takes: one per character (continuation bytes take none).
size_t Columns(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first `columns` characters of a UTF-8 text.
std::string Cut(const std::string& text, size_t columns) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & 0xC0) != 0x80 && seen++ == columns) {
      return text.substr(0, i);
    }
  }
  return text;
}

int TerminalWidth() {
  winsize size{};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

bool LiveTerminal() {
  const char* term = std::getenv("TERM");
  return ::isatty(STDERR_FILENO) == 1 && !(term != nullptr && std::strcmp(term, "dumb") == 0);
}

void WriteError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

std::string ProgressLine(const std::string& name, int32_t percent, double audioSeconds, double elapsedSeconds,
                         int width) {
  percent = std::clamp(percent, 0, 100);
  const int filled = percent * BarWidth / 100;
  std::string tail = " [" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(BarWidth - filled), '.') + "] ";
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%3d%%", percent);
  tail += numbers;
  if (audioSeconds > 0 && elapsedSeconds > 0 && percent > 0) {
    const double speed = audioSeconds * percent / 100.0 / elapsedSeconds;
    std::snprintf(numbers, sizeof numbers, speed < 100 ? "  %5.1fx" : "  %5.0fx", speed);
  } else {
    std::snprintf(numbers, sizeof numbers, "  %6s", "--x");
  }
  tail += numbers;
  tail += "  ETA " + (percent > 0 ? ClockText(elapsedSeconds * (100 - percent) / percent) : std::string("--:--"));
  // The line never reaches the last column, where a terminal would wrap; the name gives way first.
  const size_t room = static_cast<size_t>(std::max(width - 1, 0));
  if (Columns(tail) >= room) {
    return Cut(tail, room);
  }
  const size_t nameRoom = room - Columns(tail);
  if (Columns(name) <= nameRoom) {
    return name + std::string(nameRoom - Columns(name), ' ') + tail;
  }
  return (nameRoom > 3 ? Cut(name, nameRoom - 3) + "..." : Cut("...", nameRoom)) + tail;
}

std::string TotalLine(int32_t finished, int32_t count, int width) {
  count = std::max(count, 1);
  finished = std::clamp(finished, 0, count);
  const int filled = finished * BarWidth / count;
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, "] %3d/%d files", finished, count);
  const std::string line = "total [" + std::string(static_cast<size_t>(filled), '#') +
                           std::string(static_cast<size_t>(BarWidth - filled), '.') + numbers;
  return Cut(line, static_cast<size_t>(std::max(width - 1, 0)));
}

TProgressBoard::TProgressBoard(TWrite write, TWidth width, TClock clock)
    : FWrite(std::move(write)), FWidth(std::move(width)), FClock(std::move(clock)) {}

std::string TProgressBoard::Erase() const {
  // Up over the live lines, then clear to the end of the screen.
  return FShown == 0 ? std::string() : "\r\x1b[" + std::to_string(FShown) + "A\x1b[J";
}

std::string TProgressBoard::Lines(TProgressClock::time_point now) const {
  std::string lines;
  const int width = FWidth();
  for (const TLive& live : FLive) {
    const double elapsed = std::chrono::duration<double>(now - live.Started).count();
    lines += ProgressLine(live.Name, live.Percent, live.AudioSeconds, elapsed, width) + "\n";
  }
  if (FCount > 0) {
    lines += TotalLine(FFinished, FCount, width) + "\n";
  }
  return lines;
}

void TProgressBoard::Draw(std::string frame) {
  const TProgressClock::time_point now = FClock();
  frame += Lines(now);
  FShown = FLive.size() + (FCount > 0 ? 1 : 0);
  FLastDrawn = now;
  FWrite(frame);
}

void TProgressBoard::Add(int32_t row, const std::string& name, double audioSeconds) {
  Remove(row);
  FLive.push_back({row, name, audioSeconds, 0, FClock()});
  Draw(Erase());
}

void TProgressBoard::Update(int32_t row, int32_t percent) {
  for (TLive& live : FLive) {
    if (live.Row == row) {
      live.Percent = percent;
    }
  }
  Tick();
}

void TProgressBoard::Remove(int32_t row) {
  const auto gone = std::remove_if(FLive.begin(), FLive.end(), [row](const TLive& live) { return live.Row == row; });
  if (gone != FLive.end()) {
    FLive.erase(gone, FLive.end());
    Draw(Erase());
  }
}

void TProgressBoard::SetTotal(int32_t finished, int32_t count) {
  FFinished = finished;
  FCount = count;
  Draw(Erase());
}

void TProgressBoard::Print(const std::string& line) { Draw(Erase() + line + "\n"); }

void TProgressBoard::Tick() {
  if (!FLive.empty() && FClock() - FLastDrawn >= RedrawInterval) {
    Draw(Erase());
  }
}

void TProgressBoard::Clear() {
  FLive.clear();
  FCount = 0;
  if (FShown > 0) {
    Draw(Erase());
  }
}

double TProgressBoard::Elapsed(int32_t row) const {
  for (const TLive& live : FLive) {
    if (live.Row == row) {
      return std::chrono::duration<double>(FClock() - live.Started).count();
    }
  }
  return 0;
}

TCliProgress::TCliProgress(TConversionDriver& driver, const std::vector<TConversionRow>& rows, bool quiet,
                           std::function<bool()> stopAsked)
    : FDriver(driver),
      FRows(rows),
      FQuiet(quiet),
      FTerminal(LiveTerminal()),
      FStopAsked(std::move(stopAsked)),
      FBoard(WriteError, TerminalWidth) {}

void TCliProgress::Line(const std::string& text) {
  if (FTerminal) {
    FBoard.Print(TerminalText(text));
  } else {
    WriteError(TerminalText(text) + "\n");
  }
}

double TCliProgress::AudioSeconds(int32_t row) const {
  if (row < 1 || static_cast<size_t>(row) > FRows.size()) {
    return 0;
  }
  return std::max(ParseDuration(FRows[static_cast<size_t>(row - 1)].Duration), 0);
}

void TCliProgress::BatchStarted(int32_t fileCount) {
  FFileCount = fileCount;
  if (FTerminal && !FQuiet) {
    FBoard.SetTotal(0, fileCount);
  }
  if (FStopAsked && FStopAsked()) {
    FDriver.Stop();
  }
}

void TCliProgress::RowStarted(int32_t row, const std::string& input, const std::string& output) {
  FLastShown.erase(row);
  if (FQuiet) {
    return;
  }
  // On a terminal the row's line comes when it ends, so rows running side by side never mix.
  if (FTerminal) {
    FRunning[row] = input + " -> " + output;
    FBoard.Add(row, TerminalText(std::filesystem::path(input).filename().string()), AudioSeconds(row));
    return;
  }
  Line(RowLabel(row) + input + " -> " + output);
}

std::string TCliProgress::RowLabel(int32_t row) const {
  return "[" + std::to_string(row) + "/" + std::to_string(FFileCount) + "] ";
}

void TCliProgress::RowOutput(int32_t row, const std::string& output) {
  if (!FQuiet) {
    Line(RowLabel(row) + "written as " + output + " (the name was taken meanwhile)");
  }
}

void TCliProgress::FileProgress(int32_t row, int32_t percent) {
  if (FQuiet || percent < 0) {
    return;
  }
  if (FTerminal) {
    FBoard.Update(row, percent);
    return;
  }
  // In a log only every quarter is worth a line.
  const auto shown = FLastShown.find(row);
  if (shown == FLastShown.end() || percent / 25 != shown->second / 25) {
    WriteError("  " + RowLabel(row) + std::to_string(percent) + "%\n");
  }
  FLastShown[row] = percent;
}

void TCliProgress::RowStatus(int32_t row, const std::string& status) {
  const bool stopped = status == "Stopped";
  const bool skipped = status == "Skipped";
  if (FQuiet || (status != "Complete" && !stopped && !skipped)) {
    return;
  }
  if (!FTerminal) {
    Line(RowLabel(row) + (stopped ? "stopped" : skipped ? "skipped (its output is there already)" : "done"));
    return;
  }
  if (skipped) {
    FBoard.Remove(row);
    FBoard.Print(TerminalText(RowLabel(row) + FRunning[row] + ": skipped (its output is there already)"));
    FRunning.erase(row);
    return;
  }
  const double elapsed = FBoard.Elapsed(row);
  const double audio = AudioSeconds(row);
  FBoard.Remove(row);
  std::string done =
      TerminalText(RowLabel(row) + FRunning[row]) + ": " + (stopped ? "stopped after " : "done in ") + ClockText(elapsed);
  FRunning.erase(row);
  if (audio > 0 && elapsed > 0) {
    char speed[48];
    std::snprintf(speed, sizeof speed, ", %.1fx real time", audio / elapsed);
    done += speed;
  }
  FBoard.Print(done);
}

void TCliProgress::RowFailed(int32_t row, const std::string& message) {
  if (FTerminal) {
    FBoard.Remove(row);
    FRunning.erase(row);
  }
  Line(message);
}

void TCliProgress::TotalProgress(int32_t position, int32_t maximum) {
  if (FQuiet) {
    return;
  }
  if (FTerminal) {
    FBoard.SetTotal(position, maximum);
  } else if (position > 0) {
    WriteError("  total: " + std::to_string(position) + " of " + std::to_string(maximum) + "\n");
  }
}

void TCliProgress::BatchEnded(const TBatchResult&) {
  if (FTerminal) {
    FBoard.Clear();
  }
}

void TCliProgress::WaitForRow(TRowWait& wait) {
  if (FTerminal && !FQuiet) {
    FBoard.Tick();
  }
  wait.WaitFor(std::chrono::milliseconds(100));
}
