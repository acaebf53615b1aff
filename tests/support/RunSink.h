#pragma once

// Runs a sink to its end on its worker and waits for the outcome.

#include <functional>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"

namespace testing_support {

struct TRunOutcome {
  bool Done = false;     // OnDone was raised
  bool Failed = false;   // OnThreadException was raised
  std::string Message;   // the failure's message
};

// Runs `sink` and waits (at most 120 s) for OnDone or OnThreadException. `duringRun` is called
// from the first OnProgress event, on the worker (for example to Stop the run).
TRunOutcome RunToEnd(TACSOutput& sink, std::function<void()> duringRun = {});

// Converts a WAV file into `outFile` with `sink`, the way a conversion chains TWaveIn and a sink.
TRunOutcome ConvertWave(const std::string& wavFile, TACSFileOut& sink, const std::string& outFile,
                        std::function<void()> duringRun = {});

// Every byte a source delivers, read until GetData returns 0, with requests of `request` bytes.
std::vector<uint8_t> DrainSource(TACSInput& source, size_t request = 4096);

// The PCM of a WAV file, as TWaveIn delivers it.
std::vector<uint8_t> ReadWavePcm(const std::string& wavFile);

}  // namespace testing_support
