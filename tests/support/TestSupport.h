#pragma once

// Helpers shared by the tests: temporary folders, generated audio, WAV images and external tools.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// A folder removed with everything in it when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
  std::filesystem::path FPath;
};

std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);

// Interleaved 16-bit samples of a sine (one per channel, slightly detuned) with a little noise.
std::vector<int16_t> MakeSine16(int frames, int channels, int sampleRate, double frequency = 440.0);
// 8-bit unsigned samples of the same kind.
std::vector<uint8_t> MakeSine8(int frames, int channels, int sampleRate, double frequency = 440.0);
std::vector<uint8_t> SamplesToBytes(const std::vector<int16_t>& samples);
std::vector<int16_t> BytesToSamples(const std::vector<uint8_t>& bytes);

// One RIFF chunk: identifier, 32-bit size, body (no pad byte).
std::vector<uint8_t> Chunk(const std::string& id, const std::vector<uint8_t>& body);
// A "fmt " body of 16 bytes for PCM.
std::vector<uint8_t> PcmFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample);
// "RIFF" + size + "WAVE" + the chunks given.
std::vector<uint8_t> RiffWave(const std::vector<std::vector<uint8_t>>& chunks);
// A canonical 44-byte-header PCM file.
std::vector<uint8_t> PcmWaveFile(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                                 const std::vector<uint8_t>& data);

void AppendLe16(std::vector<uint8_t>& out, uint16_t value);
void AppendLe32(std::vector<uint8_t>& out, uint32_t value);
uint32_t Le32At(const std::vector<uint8_t>& bytes, size_t offset);
uint16_t Le16At(const std::vector<uint8_t>& bytes, size_t offset);

struct ToolResult {
  int ExitCode = -1;
  std::string Output;  // standard output
};
// Runs a shell command; standard error goes to the test's own.
ToolResult RunTool(const std::string& command);
bool HaveTool(const std::string& name);
std::string Quote(const std::string& text);

// The programs and libraries built next to the tests.
std::string BuiltBinary(const std::string& name);

}  // namespace testing_support
