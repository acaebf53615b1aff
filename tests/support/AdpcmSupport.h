#pragma once

// Helpers for the ADPCM and compressed-WAV tests: building IMA and MS ADPCM files in memory,
// draining a source, and running a sink to its end.

#include <cstdint>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"

namespace testing_support {

// The standard seven MS ADPCM coefficient pairs.
extern const std::vector<std::pair<int16_t, int16_t>> StandardMsCoefs;

// A "fmt " body for IMA ADPCM (20 bytes) and for MS ADPCM (with the coefficient table).
std::vector<uint8_t> DviFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t blockAlign,
                                   uint16_t samplesPerBlock, uint16_t bitsPerSample = 4);
std::vector<uint8_t> MsFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t blockAlign, uint16_t samplesPerBlock,
                                  const std::vector<std::pair<int16_t, int16_t>>& coefs = StandardMsCoefs);
std::vector<uint8_t> FactBody(uint32_t frames);

// IMA ADPCM blocks of the given PCM, encoded with our own routines (the last block zero-padded).
std::vector<uint8_t> EncodeDviBlocks(const std::vector<int16_t>& samples, int channels, int blockAlign);

// Init, GetData in pieces of `piece` bytes until 0, Flush.
std::vector<uint8_t> ReadAllPcm(TACSInput& source, size_t piece = 4096);
// The sizes of the successive deliveries when each request is large.
std::vector<int32_t> DeliverySizes(TACSInput& source);

// Runs the sink and waits for its done or failure event; returns the failure text ("" when done).
std::string RunToEnd(TACSOutput& sink);

}  // namespace testing_support
