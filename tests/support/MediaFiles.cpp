#include "support/MediaFiles.h"

#include <memory>
#include <stdexcept>

#include "platform/MediaReader.h"
#include "platform/MediaWriter.h"
#include "support/TestSupport.h"

namespace testing_support {

namespace {

void Require(bool ok, const std::string& what) {
  if (!ok) {
    throw std::runtime_error(what);
  }
}

}  // namespace

void WriteWmaFile(const std::string& fileName, const std::vector<int16_t>& samples, int channels, int sampleRate,
                  int bitrate) {
  auto profile = std::make_shared<TWMProfile>();
  profile->Bitrate = bitrate;
  profile->SampleRate = sampleRate;
  profile->Channels = channels;
  TWMWriter writer;
  Require(writer.SetProfile(profile) == WR_OK, "SetProfile");
  Require(writer.SetOutputFilename(fileName) == WR_OK, "SetOutputFilename");
  Require(writer.BeginWriting() == WR_OK, "BeginWriting");
  const std::vector<uint8_t> bytes = SamplesToBytes(samples);
  std::unique_ptr<TNSSBuffer> sample;
  Require(writer.AllocateSample(static_cast<uint32_t>(bytes.size()), sample) == WR_OK, "AllocateSample");
  uint8_t* data = nullptr;
  sample->GetBuffer(data);
  std::copy(bytes.begin(), bytes.end(), data);
  sample->SetLength(static_cast<uint32_t>(bytes.size()));
  Require(writer.WriteSample(0, 0, 0, *sample) == WR_OK, "WriteSample");
  Require(writer.EndWriting() == WR_OK, "EndWriting");
}

std::vector<uint8_t> DecodeWithReader(const std::string& fileName, size_t pieceSize) {
  TMediaStream stream;
  Require(stream.OpenFile(fileName) == MR_OK, "OpenFile " + fileName);
  std::vector<uint8_t> all;
  std::vector<uint8_t> piece(pieceSize);
  for (;;) {
    int32_t filled = 0;
    int64_t start = 0;
    int64_t end = 0;
    const TMediaResult result = stream.Update(piece, filled, start, end);
    if (result == MS_S_ENDOFSTREAM) {
      return all;
    }
    Require(result == MR_OK, "Update");
    all.insert(all.end(), piece.begin(), piece.begin() + filled);
  }
}

std::vector<uint8_t> ProfileFileBytes(const std::string& xml) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (const char c : xml) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  return bytes;
}

std::string ProfileXml(int bitrate, int sampleRate, int channels) {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<profile version=\"1\" name=\"test\">\r\n"
         "  <audio codec=\"wmav2\" bitrate=\"" + std::to_string(bitrate) + "\" samplerate=\"" + std::to_string(sampleRate) +
         "\" channels=\"" + std::to_string(channels) + "\"/>\r\n</profile>\r\n";
}

std::string ShippedProfile(const std::string& name) { return BuiltBinary("Profiles/" + name + ".prx"); }

}  // namespace testing_support
