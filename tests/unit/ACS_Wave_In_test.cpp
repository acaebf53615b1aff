#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "formats/wave/ACS_Wave.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> Ramp(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>(i * 13 + i / 256);
  }
  return bytes;
}

// A WAVE_FORMAT_EXTENSIBLE "fmt " body; `code` leads the subformat GUID.
std::vector<uint8_t> ExtensibleBody(uint16_t channels, uint16_t bits, uint16_t code, uint32_t mask) {
  auto body = PcmFormatBody(channels, 48000, bits);
  body[0] = 0xFE;
  body[1] = 0xFF;
  AppendLe16(body, 22);
  AppendLe16(body, bits);
  AppendLe32(body, mask);
  AppendLe16(body, code);
  for (const uint8_t byte : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
    body.push_back(byte);
  }
  return body;
}

std::vector<uint8_t> ReadAll(TWaveIn& source, size_t request = 5000) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(request);
  source.Init();
  while (const int32_t n = source.GetData(buffer)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  source.Flush();
  return out;
}

class WaveInTest : public ::testing::Test {
protected:
  TempDir dir;

  std::string Write(const std::vector<uint8_t>& bytes, const std::string& name = "in.wav") {
    const std::string path = dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }

  std::unique_ptr<TWaveIn> Open(const std::vector<uint8_t>& bytes) {
    auto source = std::make_unique<TWaveIn>();
    source->SetFileName(Write(bytes));
    return source;
  }
};

TEST_F(WaveInTest, CanonicalFileDeliversTheDataChunkOnly) {
  const auto data = Ramp(40000);
  auto file = PcmWaveFile(2, 44100, 16, data);
  const auto trailer = Chunk("LIST", std::vector<uint8_t>(100, 'x'));
  file.insert(file.end(), trailer.begin(), trailer.end());
  auto source = Open(file);
  EXPECT_EQ(source->GetChannels(), 2);
  EXPECT_EQ(source->GetSampleRate(), 44100);
  EXPECT_EQ(source->GetBitsPerSample(), 16);
  source->OpenFile();
  EXPECT_TRUE(source->Valid());
  EXPECT_EQ(source->WavType(), wtPCM);
  EXPECT_EQ(source->DataOffset(), 44);
  EXPECT_EQ(source->Size(), 40000);
  EXPECT_EQ(source->TotalSamples(), 10000);
  source->CloseFile();
  EXPECT_EQ(source->OpenCount(), 0);
  EXPECT_EQ(ReadAll(*source), data);
}

TEST_F(WaveInTest, ChunkLayoutsThatAreRead) {
  const auto data = Ramp(1000);
  const auto fmt = Chunk("fmt ", PcmFormatBody(1, 8000, 8));
  const auto list = Chunk("LIST", std::vector<uint8_t>(33, 'i'));
  const auto fact = Chunk("fact", {1, 0, 0, 0});
  struct Layout {
    const char* name;
    std::vector<uint8_t> file;
  };
  std::vector<Layout> layouts = {
      {"LIST and fact between fmt and data", RiffWave({fmt, list, fact, Chunk("data", data)})},
      {"LIST before fmt", RiffWave({list, fmt, Chunk("data", data)})},
      {"lower-case identifiers", [&] {
         auto file = RiffWave({fmt, Chunk("data", data)});
         std::memcpy(file.data(), "riff", 4);
         std::memcpy(file.data() + 8, "wave", 4);
         std::memcpy(file.data() + 36, "DATA", 4);
         return file;
       }()},
      {"garbage before RIFF", [&] {
         std::vector<uint8_t> file(3000, 0x5A);
         const auto wave = RiffWave({fmt, Chunk("data", data)});
         file.insert(file.end(), wave.begin(), wave.end());
         return file;
       }()},
  };
  for (const auto& layout : layouts) {
    auto source = Open(layout.file);
    EXPECT_EQ(ReadAll(*source), data) << layout.name;
  }
}

TEST_F(WaveInTest, LayoutsThatAreNotSupported) {
  const auto data = Ramp(1000);
  std::vector<uint8_t> imaFmt;
  AppendLe16(imaFmt, 0x11);
  AppendLe16(imaFmt, 1);
  AppendLe32(imaFmt, 8000);
  AppendLe32(imaFmt, 4055);
  AppendLe16(imaFmt, 256);
  AppendLe16(imaFmt, 4);
  AppendLe16(imaFmt, 2);
  AppendLe16(imaFmt, 505);
  auto extensible = PcmFormatBody(2, 44100, 16);
  extensible[0] = 0xFE;
  extensible[1] = 0xFF;
  std::vector<uint8_t> farGarbage(9000, 0x5A);
  const auto wave = PcmWaveFile(1, 8000, 8, data);
  farGarbage.insert(farGarbage.end(), wave.begin(), wave.end());
  struct Layout {
    const char* name;
    std::vector<uint8_t> file;
    TWavType type;
  };
  std::vector<Layout> layouts = {
      {"ADPCM without fact", RiffWave({Chunk("fmt ", imaFmt), Chunk("data", data)}), wtUnsupported},
      {"extensible format", RiffWave({Chunk("fmt ", extensible), Chunk("data", data)}), wtUnsupported},
      {"chunks before data beyond 8192 bytes",
       RiffWave({Chunk("fmt ", PcmFormatBody(1, 8000, 8)), Chunk("LIST", std::vector<uint8_t>(9000)), Chunk("data", data)}),
       wtUnsupported},
      {"RIFF beyond 8192 bytes", farGarbage, wtUnsupported},
      {"not a RIFF file at all", std::vector<uint8_t>(500, 0xFF), wtUnsupported},
      {"empty file", {}, wtUnsupported},
      {"header cut inside fmt", std::vector<uint8_t>(wave.begin(), wave.begin() + 30), wtUnsupported},
  };
  for (const auto& layout : layouts) {
    auto source = Open(layout.file);
    source->OpenFile();
    EXPECT_FALSE(source->Valid()) << layout.name;
    EXPECT_EQ(source->WavType(), layout.type) << layout.name;
    source->CloseFile();
    EXPECT_TRUE(ReadAll(*source).empty()) << layout.name;
  }
}

TEST_F(WaveInTest, HeadersThatWouldMisleadTheDecodersAreNotValid) {
  const auto data = Ramp(1000);
  auto withFormat = [&](uint16_t channels, uint16_t bits, uint16_t blockAlign) {
    auto body = PcmFormatBody(channels, 44100, bits);
    body[12] = static_cast<uint8_t>(blockAlign);
    body[13] = static_cast<uint8_t>(blockAlign >> 8);
    return RiffWave({Chunk("fmt ", body), Chunk("data", data)});
  };
  auto pastTheEnd = RiffWave({Chunk("fmt ", PcmFormatBody(1, 8000, 8)), Chunk("LIST", std::vector<uint8_t>(10))});
  pastTheEnd[40] = 0xFF;  // the LIST size now claims far more than the file holds
  pastTheEnd[41] = 0xFF;
  auto withRate = [&](uint32_t rate) {
    auto body = PcmFormatBody(2, rate, 16);
    return RiffWave({Chunk("fmt ", body), Chunk("data", data)});
  };
  auto floatOf = [&](uint16_t bits) {
    auto body = PcmFormatBody(1, 44100, bits);
    body[0] = 3;
    return RiffWave({Chunk("fmt ", body), Chunk("data", data)});
  };
  struct Layout {
    const char* name;
    std::vector<uint8_t> file;
    const char* reason;
  };
  std::vector<Layout> layouts = {
      {"no channels", withFormat(0, 16, 4), "0 channels"},
      {"nine channels", withFormat(9, 16, 18), "9 channels"},
      {"12 bits per sample", withFormat(2, 12, 4), "12 bits per sample"},
      {"zero block align", withFormat(2, 16, 0), "block align 0 for 2 channels of 16 bits"},
      {"block align of another width", withFormat(2, 24, 4), "block align 4 for 2 channels of 24 bits"},
      {"rate 0", withRate(0), "sample rate 0 Hz"},
      {"rate above 768 kHz", withRate(768001), "sample rate 768001 Hz"},
      {"64-bit floats", floatOf(64), "64-bit float samples"},
      {"unknown extensible subformat", RiffWave({Chunk("fmt ", ExtensibleBody(2, 16, 2, 3)), Chunk("data", data)}),
       "unknown extensible subformat 0x0002"},
      {"unknown format tag", [&] {
         auto body = PcmFormatBody(2, 44100, 16);
         body[0] = 0x61;
         return RiffWave({Chunk("fmt ", body), Chunk("data", data)});
       }(), "unsupported format tag 0x0061"},
      {"chunk before data runs past the end", pastTheEnd, "damaged header"},
  };
  for (const auto& layout : layouts) {
    auto source = Open(layout.file);
    source->OpenFile();
    EXPECT_FALSE(source->Valid()) << layout.name;
    EXPECT_EQ(source->InvalidReason(), layout.reason) << layout.name;
    source->CloseFile();
    EXPECT_TRUE(ReadAll(*source).empty()) << layout.name;
  }
}

TEST_F(WaveInTest, WideFloatMultichannelAndRf64LayoutsAreReadWithTheirFormat) {
  const auto data = Ramp(288 * 20);  // whole frames of every layout below
  auto floatBody = PcmFormatBody(2, 48000, 32);
  floatBody[0] = 3;
  std::vector<uint8_t> ds64;
  AppendLe32(ds64, 0xFFFFFFFFu);
  AppendLe32(ds64, 0);
  AppendLe32(ds64, static_cast<uint32_t>(data.size()));  // the data size, 64 bits
  AppendLe32(ds64, 0);
  AppendLe32(ds64, 0);
  AppendLe32(ds64, 0);
  AppendLe32(ds64, 0);
  std::vector<uint8_t> unsized = Chunk("data", data);
  for (int i = 4; i < 8; ++i) {
    unsized[static_cast<size_t>(i)] = 0xFF;
  }
  auto rf64 = RiffWave({Chunk("ds64", ds64), Chunk("fmt ", PcmFormatBody(2, 48000, 24)), unsized});
  std::memcpy(rf64.data(), "RF64", 4);
  auto trailed = rf64;  // a chunk after the data: only the ds64 size tells where the data ends
  const auto list = Chunk("LIST", std::vector<uint8_t>(24, 'x'));
  trailed.insert(trailed.end(), list.begin(), list.end());
  constexpr uint32_t wide = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_FRONT_CENTER | SPEAKER_LOW_FREQUENCY |
                            SPEAKER_SIDE_LEFT | SPEAKER_SIDE_RIGHT;
  struct Layout {
    const char* name;
    std::vector<uint8_t> file;
    TPcmFormat format;
  };
  const std::vector<Layout> layouts = {
      {"extensible 16-bit stereo", RiffWave({Chunk("fmt ", ExtensibleBody(2, 16, 1, 3)), Chunk("data", data)}),
       {16, TSampleKind::skInteger, 2, 48000, 0}},
      {"extensible 24-bit 5.1 with side speakers",
       RiffWave({Chunk("fmt ", ExtensibleBody(6, 24, 1, wide)), Chunk("data", data)}),
       {24, TSampleKind::skInteger, 6, 48000, wide}},
      {"extensible 32-bit 8 channels", RiffWave({Chunk("fmt ", ExtensibleBody(8, 32, 1, 0)), Chunk("data", data)}),
       {32, TSampleKind::skInteger, 8, 48000, 0}},
      {"float tag", RiffWave({Chunk("fmt ", floatBody), Chunk("data", data)}), {32, TSampleKind::skFloat, 2, 48000, 0}},
      {"extensible float", RiffWave({Chunk("fmt ", ExtensibleBody(1, 32, 3, 4)), Chunk("data", data)}),
       {32, TSampleKind::skFloat, 1, 48000, 0}},
      {"RF64 with ds64", rf64, {24, TSampleKind::skInteger, 2, 48000, 0}},
      {"RF64 with a chunk after the data", trailed, {24, TSampleKind::skInteger, 2, 48000, 0}},
  };
  for (const auto& layout : layouts) {
    auto source = Open(layout.file);
    EXPECT_EQ(source->GetFormat(), layout.format) << layout.name;
    EXPECT_EQ(ReadAll(*source), data) << layout.name;
  }
}

TEST_F(WaveInTest, DataChunkLongerThanTheFileIsReadToTheEnd) {
  const auto data = Ramp(3000);
  for (uint32_t claimed : {6000u, 0xFFFFFFFFu, 0x80000000u}) {
    auto file = PcmWaveFile(2, 44100, 16, data);
    file[40] = static_cast<uint8_t>(claimed);
    file[41] = static_cast<uint8_t>(claimed >> 8);
    file[42] = static_cast<uint8_t>(claimed >> 16);
    file[43] = static_cast<uint8_t>(claimed >> 24);
    auto source = Open(file);
    EXPECT_EQ(ReadAll(*source), data) << claimed;
    source->OpenFile();
    EXPECT_EQ(source->Size(), 3000) << "Size is what can be delivered, so progress ends at 100";
    source->CloseFile();
  }
}

TEST_F(WaveInTest, DataBeyond2GiBIsCountedWhole) {
  constexpr uint32_t dataSize = 0xC0000000u;  // 3 GiB
  auto file = PcmWaveFile(2, 44100, 16, {});
  for (int i = 0; i < 4; ++i) {
    file[40 + i] = static_cast<uint8_t>(dataSize >> (8 * i));
  }
  const std::string path = Write(file);
  std::filesystem::resize_file(path, 44 + static_cast<uintmax_t>(dataSize));  // sparse: no disk used
  TWaveIn source;
  source.SetFileName(path);
  source.OpenFile();
  EXPECT_EQ(source.Size(), int64_t{dataSize});
  EXPECT_EQ(source.TotalSamples(), int64_t{dataSize} / 4);
  source.CloseFile();
  EXPECT_EQ(source.GetTotalTime(), 18261);
  source.SetStartSample(int64_t{dataSize} / 4 - 1000);
  source.Init();
  EXPECT_EQ(source.Size(), 4000);
  std::vector<uint8_t> buffer(8192);
  EXPECT_EQ(source.GetData(buffer), 4000) << "read from the seek target past 2 GiB";
  source.Flush();
}

TEST_F(WaveInTest, StartAndEndSampleCutTheDelivery) {
  const auto data = Ramp(4 * 1000);
  auto source = Open(PcmWaveFile(2, 44100, 16, data));
  source->SetStartSample(100);
  source->SetEndSample(200);
  source->Init();
  EXPECT_EQ(source->Size(), 400);
  source->Flush();
  EXPECT_EQ(ReadAll(*source, 333), std::vector<uint8_t>(data.begin() + 400, data.begin() + 800));
  source->SetEndSample(-1);
  source->Init();
  EXPECT_EQ(source->Size(), (1000 - 100) * 4);
  source->Flush();
  EXPECT_EQ(ReadAll(*source), std::vector<uint8_t>(data.begin() + 400, data.end()));
}

TEST_F(WaveInTest, SeekPositionsAtTheFrame) {
  const auto data = Ramp(4 * 2000);
  auto source = Open(PcmWaveFile(2, 44100, 16, data));
  source->OpenFile();
  EXPECT_TRUE(source->Seek(1000));
  EXPECT_EQ(source->Stream()->Position(), 4000 + 44);
  source->CloseFile();
}

TEST_F(WaveInTest, LoopRestartsAtTheStartSample) {
  const auto data = Ramp(400);
  auto source = Open(PcmWaveFile(1, 8000, 8, data));
  source->SetLoop(true);
  source->SetStartSample(100);
  source->Init();
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(128);
  while (out.size() < 1000) {
    const int32_t n = source->GetData(buffer);
    ASSERT_GT(n, 0);
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  source->Flush();
  for (size_t i = 0; i < 900; ++i) {
    ASSERT_EQ(out[i], data[100 + i % 300]) << i;
  }
}

TEST_F(WaveInTest, FailuresBeforeAndWithoutAFile) {
  TWaveIn source;
  std::vector<uint8_t> buffer(16);
  try {
    source.GetData(buffer);
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "The Stream is not opened");
  }
  try {
    source.Init();
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "The file name is not assigned");
  }
  source.SetFileName(dir.File("missing.wav"));
  EXPECT_EQ(source.GetChannels(), 0);
  source.Init();
  EXPECT_FALSE(source.Valid());
  EXPECT_EQ(source.GetData(buffer), 0);
  try {
    source.Init();
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "The component is buisy");
  }
  // A nested open does not make a missing file valid.
  source.OpenFile();
  EXPECT_FALSE(source.Valid());
  source.CloseFile();
  source.Flush();
  source.CloseFile();
  EXPECT_EQ(source.OpenCount(), 0);
}

TEST_F(WaveInTest, TotalTimeIsRoundedSeconds) {
  auto source = Open(PcmWaveFile(1, 8000, 8, std::vector<uint8_t>(8000 * 5 + 4100, 128)));
  EXPECT_EQ(source->GetTotalTime(), 6);
  EXPECT_EQ(source->OpenCount(), 0);
}

TEST_F(WaveInTest, SuppliedStreamIsRewoundNotFreed) {
  TMemoryStream stream(PcmWaveFile(1, 8000, 8, Ramp(100)));
  TWaveIn source;
  source.SetStream(&stream);
  EXPECT_EQ(ReadAll(source), Ramp(100));
  EXPECT_EQ(stream.Position(), 0);
}

}  // namespace
