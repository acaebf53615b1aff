#pragma once

// Follows a batch on standard error: each file's progress and the batch's, and every failure. On
// a terminal every running row has one live line and the batch one total line, redrawn in place,
// below one line per finished row; elsewhere (a log, a pipe) each file gets plain lines, naming
// its row, at its start, at every quarter and at its end.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/ConversionDriver.h"

using TProgressClock = std::chrono::steady_clock;

// One live line: "<name> [#########...........]  45%  12.3x  ETA 0:04", cut to `width` columns.
// The speed is the audio converted per second of wall time (times real time) and shows only
// when the audio's length is known; the time left shows once the row has made progress.
std::string ProgressLine(const std::string& name, int32_t percent, double audioSeconds, double elapsedSeconds,
                         int width);

// The batch's live line: "total [#####...............]   4/16 files", cut to `width` columns.
std::string TotalLine(int32_t finished, int32_t count, int width);

// The live lines of the rows that run, at the bottom of a terminal, and the batch's total below
// them once it is set. Rows come and go in any
// order (several may run at once); a line printed through the board goes above the live lines,
// which are then drawn again below it. Every change is written as one piece.
class TProgressBoard {
public:
  using TWrite = std::function<void(const std::string&)>;
  using TWidth = std::function<int()>;
  using TClock = std::function<TProgressClock::time_point()>;

  TProgressBoard(TWrite write, TWidth width, TClock clock = TProgressClock::now);

  void Add(int32_t row, const std::string& name, double audioSeconds);
  // Draws again when the last drawing is older than a tenth of a second.
  void Update(int32_t row, int32_t percent);
  void Remove(int32_t row);
  // Rows finished of the batch's `count`; drawn at once.
  void SetTotal(int32_t finished, int32_t count);
  // A line that stays, above the live ones.
  void Print(const std::string& line);
  // Speeds and times left change while no progress comes: draws again when due.
  void Tick();
  // Takes the live lines and the total off the screen.
  void Clear();

  // Seconds since the row was added; 0 for a row that is not on the board.
  double Elapsed(int32_t row) const;

private:
  struct TLive {
    int32_t Row = 0;
    std::string Name;
    double AudioSeconds = 0;
    int32_t Percent = 0;
    TProgressClock::time_point Started;
  };

  // Moves up over the live lines and clears them from the screen.
  std::string Erase() const;
  std::string Lines(TProgressClock::time_point now) const;
  void Draw(std::string frame);

  TWrite FWrite;
  TWidth FWidth;
  TClock FClock;
  std::vector<TLive> FLive;  // in the order the rows started
  int32_t FFinished = 0;
  int32_t FCount = 0;        // no total line while 0
  size_t FShown = 0;         // live lines on the screen now; the cursor is below the last
  TProgressClock::time_point FLastDrawn;
};

class TCliProgress : public TConversionObserver {
public:
  // `rows` are the batch's rows (their playing times give the speeds); `stopAsked` tells whether a
  // stop signal came before the batch started, which then stops at once.
  TCliProgress(TConversionDriver& driver, const std::vector<TConversionRow>& rows, bool quiet,
               std::function<bool()> stopAsked);

  void BatchStarted(int32_t fileCount) override;
  void RowStarted(int32_t row, const std::string& input, const std::string& output) override;
  void RowOutput(int32_t row, const std::string& output) override;
  void FileProgress(int32_t row, int32_t percent) override;
  void RowStatus(int32_t row, const std::string& status) override;
  void RowFailed(int32_t row, const std::string& message) override;
  void TotalProgress(int32_t position, int32_t maximum) override;
  void BatchEnded(const TBatchResult& result) override;
  void WaitForRow(TRowWait& wait) override;
  bool ContinueAfterFailure() const override { return true; }

private:
  void Line(const std::string& text);
  std::string RowLabel(int32_t row) const;  // "[3/16] "
  double AudioSeconds(int32_t row) const;

  TConversionDriver& FDriver;
  const std::vector<TConversionRow>& FRows;
  bool FQuiet;
  bool FTerminal;
  std::function<bool()> FStopAsked;
  int32_t FFileCount = 0;
  std::map<int32_t, int32_t> FLastShown;  // plain lines: each running row's last percentage printed
  std::map<int32_t, std::string> FRunning;  // terminal: each running row's "input -> output"
  TProgressBoard FBoard;
};
