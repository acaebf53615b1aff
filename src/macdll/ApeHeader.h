#pragma once

// The descriptor and header at the start of an APE file.

#include <cstdint>
#include <string>

// What the descriptor and header say (the fields from Level on only for version 3980 or later).
struct TApeHeaderInfo {
  bool CurrentLayout = false;  // version 3980 or later
  uint32_t SeekTableBytes = 0;
  int64_t AudioEnd = 0;        // where the frames and the stored WAV trailer end (current layout)
  int64_t FileSize = 0;
  uint16_t Version = 0;
  uint16_t Level = 0;
  uint16_t Flags = 0;
  uint32_t BlocksPerFrame = 0;
  uint32_t FinalFrameBlocks = 0;
  uint32_t TotalFrames = 0;
  uint16_t BitsPerSample = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
};

// Reads the header of an APE file (after an ID3v2 tag, if any); false when there is none.
bool ReadApeHeader(const std::string& fileName, TApeHeaderInfo& info);
