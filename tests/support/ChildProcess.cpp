#include "support/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace testing_support {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& folder,
                           int64_t fileSizeLimit) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) {
    return;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  FPid = ::fork();
  if (FPid == 0) {
    ::dup2(pipe[1], STDOUT_FILENO);
    ::dup2(pipe[1], STDERR_FILENO);
    if (fileSizeLimit >= 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (::chdir(folder.c_str()) == 0) {
      ::execv(argv[0], argv.data());
    }
    ::_exit(127);
  }
  ::close(pipe[1]);
  FOutputPipe = pipe[0];
}

ChildProcess::~ChildProcess() {
  if (FPid > 0) {
    ::kill(FPid, SIGKILL);
    Wait();
  }
  CloseOutput();
}

bool ChildProcess::ReadMore() {
  if (FOutputPipe < 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t got = ::read(FOutputPipe, buffer, sizeof buffer);
  if (got <= 0) {
    return false;
  }
  FOutput.append(buffer, static_cast<size_t>(got));
  return true;
}

bool ChildProcess::WaitForLine(const std::string& text) {
  for (;;) {
    for (size_t end; (end = FOutput.find('\n', FScanned)) != std::string::npos;) {
      const bool found = FOutput.substr(FScanned, end - FScanned).find(text) != std::string::npos;
      FScanned = end + 1;
      if (found) {
        return true;
      }
    }
    if (!ReadMore()) {
      return false;
    }
  }
}

void ChildProcess::CloseOutput() {
  if (FOutputPipe >= 0) {
    ::close(FOutputPipe);
    FOutputPipe = -1;
  }
}

void ChildProcess::Signal(int signal) {
  if (FPid > 0) {
    ::kill(FPid, signal);
  }
}

int ChildProcess::Wait() {
  while (ReadMore()) {
  }
  if (FPid <= 0) {
    return -1;
  }
  int status = 0;
  while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
  }
  FPid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

std::vector<uint64_t> FileDigests(const std::vector<std::string>& fileNames) {
  std::vector<uint64_t> digests;
  for (const std::string& fileName : fileNames) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const uint8_t byte : ReadFileBytes(fileName)) {
      hash = (hash ^ byte) * 1099511628211ull;
    }
    digests.push_back(hash);
  }
  return digests;
}

}  // namespace testing_support
