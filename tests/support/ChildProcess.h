#pragma once

// A program run as a child, its standard error read line by line as it comes, so a test can act
// at a point the program reports (a progress line) and then signal it or wait for its end.

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support {

class ChildProcess {
public:
  // Starts `arguments` (the program first) in `folder`, standard output and error both into the
  // pipe this object reads. With `fileSizeLimit` >= 0 no file the child writes may grow past that
  // many bytes (a disk that is full at that point); SIGXFSZ is ignored, so writes fail instead.
  ChildProcess(const std::vector<std::string>& arguments, const std::string& folder, int64_t fileSizeLimit = -1);
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Reads until a line containing `text` has come; false when the output ended first.
  bool WaitForLine(const std::string& text);
  // Closes the reading end: the child's next write to it fails with EPIPE.
  void CloseOutput();
  void Signal(int signal);
  // Waits for the end: the exit status, or 128 + the signal that ended it.
  int Wait();
  // Everything read so far.
  const std::string& Output() const { return FOutput; }

private:
  bool ReadMore();

  pid_t FPid = -1;
  int FOutputPipe = -1;
  std::string FOutput;
  size_t FScanned = 0;
};

// A digest of each file's bytes, to check that a batch left its inputs as they were.
std::vector<uint64_t> FileDigests(const std::vector<std::string>& fileNames);

}  // namespace testing_support
