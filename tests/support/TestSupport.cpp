#include "support/TestSupport.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrune-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary folder");
  }
  FPath = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + fileName);
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + fileName);
  }
}

std::vector<int16_t> MakeSine16(int frames, int channels, int sampleRate, double frequency) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  std::mt19937 noise(1234);
  std::uniform_int_distribution<int> jitter(-200, 200);
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double phase = 2.0 * M_PI * frequency * (1.0 + 0.01 * c) * i / sampleRate;
      samples[static_cast<size_t>(i) * channels + c] =
          static_cast<int16_t>(std::lround(20000.0 * std::sin(phase)) + jitter(noise));
    }
  }
  return samples;
}

std::vector<uint8_t> MakeSine8(int frames, int channels, int sampleRate, double frequency) {
  std::vector<uint8_t> samples(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double phase = 2.0 * M_PI * frequency * (1.0 + 0.01 * c) * i / sampleRate;
      samples[static_cast<size_t>(i) * channels + c] = static_cast<uint8_t>(128 + std::lround(100.0 * std::sin(phase)));
    }
  }
  return samples;
}

std::vector<uint8_t> SamplesToBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    AppendLe16(bytes, static_cast<uint16_t>(s));
  }
  return bytes;
}

std::vector<int16_t> BytesToSamples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(Le16At(bytes, 2 * i));
  }
  return samples;
}

void AppendLe16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

uint32_t Le32At(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes.at(offset)) | (static_cast<uint32_t>(bytes.at(offset + 1)) << 8) |
         (static_cast<uint32_t>(bytes.at(offset + 2)) << 16) | (static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}

uint16_t Le16At(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

std::vector<uint8_t> Chunk(const std::string& id, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out(id.begin(), id.end());
  out.resize(4, ' ');
  AppendLe32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> PcmFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample) {
  std::vector<uint8_t> body;
  const auto blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  AppendLe16(body, 1);
  AppendLe16(body, channels);
  AppendLe32(body, sampleRate);
  AppendLe32(body, sampleRate * blockAlign);
  AppendLe16(body, blockAlign);
  AppendLe16(body, bitsPerSample);
  return body;
}

std::vector<uint8_t> RiffWave(const std::vector<std::vector<uint8_t>>& chunks) {
  std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
  for (const auto& chunk : chunks) {
    body.insert(body.end(), chunk.begin(), chunk.end());
  }
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
  AppendLe32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> PcmWaveFile(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                                 const std::vector<uint8_t>& data) {
  return RiffWave({Chunk("fmt ", PcmFormatBody(channels, sampleRate, bitsPerSample)), Chunk("data", data)});
}

ToolResult RunTool(const std::string& command) {
  ToolResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  std::array<char, 4096> buffer{};
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.Output.append(buffer.data(), got);
  }
  const int status = ::pclose(pipe);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool HaveTool(const std::string& name) { return RunTool("command -v " + Quote(name) + " >/dev/null 2>&1").ExitCode == 0; }

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string BuiltBinary(const std::string& name) { return std::string(KESTRUNE_BIN_DIR) + "/" + name; }

}  // namespace testing_support
