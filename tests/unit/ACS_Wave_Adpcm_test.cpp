// The WAV source on IMA and MS ADPCM files, and the WAV sink writing IMA ADPCM.

#include <gtest/gtest.h>

#include "formats/wave/ACS_Wave.h"
#include "support/AdpcmSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> DviFile(const std::vector<int16_t>& pcm, uint16_t channels, uint16_t blockAlign,
                             std::vector<std::vector<uint8_t>> trailing = {}) {
  const int perBlock = channels == 1 ? DviMonoSamplesPerBlock(blockAlign) : DviStereoSamplesPerBlock(blockAlign);
  std::vector<std::vector<uint8_t>> chunks = {
      Chunk("fmt ", DviFormatBody(channels, 44100, blockAlign, static_cast<uint16_t>(perBlock))),
      Chunk("fact", FactBody(static_cast<uint32_t>(pcm.size() / channels))),
      Chunk("data", EncodeDviBlocks(pcm, channels, blockAlign))};
  chunks.insert(chunks.end(), trailing.begin(), trailing.end());
  return RiffWave(chunks);
}

// A source over an image held by the test.
struct MemorySource {
  explicit MemorySource(std::vector<uint8_t> bytes) : Stream(std::move(bytes)) { Source.SetStream(&Stream); }
  TMemoryStream Stream;
  TWaveIn Source;
};

TEST(WaveInDvi, MonoBlockAlign256DeliversWholeBlocksOf505Samples) {
  MemorySource file(DviFile(MakeSine16(1200, 1, 44100), 1, 256));
  EXPECT_EQ(file.Source.GetBitsPerSample(), 16);
  file.Source.OpenFile();
  EXPECT_TRUE(file.Source.Valid());
  EXPECT_EQ(file.Source.WavType(), wtDVIADPCM);
  EXPECT_EQ(file.Source.TotalSamples(), 1200);
  EXPECT_EQ(file.Source.Size(), 2400);
  file.Source.CloseFile();
  // The last block is delivered whole: 3 x 505 frames for 1200 frames of audio.
  EXPECT_EQ(DeliverySizes(file.Source), (std::vector<int32_t>{1010, 1010, 1010}));
}

TEST(WaveInDvi, StereoBlockAlign512Delivers505Frames) {
  MemorySource file(DviFile(MakeSine16(600, 2, 44100), 2, 512));
  EXPECT_EQ(DeliverySizes(file.Source), (std::vector<int32_t>{2020, 2020}));
}

TEST(WaveInDvi, SmallRequestsGetTheSameAudioAsLargeOnes) {
  const std::vector<int16_t> pcm = MakeSine16(3000, 2, 44100, 1000.0);
  MemorySource file(DviFile(pcm, 2, 256));
  const std::vector<int16_t> pieces = BytesToSamples(ReadAllPcm(file.Source, 333 * 4));
  EXPECT_EQ(pieces, BytesToSamples(ReadAllPcm(file.Source, 65536)));
  ASSERT_EQ(pieces.size(), 2u * 249 * 13);
  // The step index starts at 0, so the decoder needs a few frames to catch up with the sine.
  for (size_t i = 64; i < pcm.size(); ++i) {
    ASSERT_NEAR(pieces[i], pcm[i], 1500) << i;
  }
}

TEST(WaveInDvi, DataAfterTheDataChunkIsNotDecoded) {
  std::vector<int16_t> pcm = MakeSine16(505 * 2, 1, 44100);
  // The fact chunk overstates the audio, so only the data chunk's end can stop the delivery.
  std::vector<uint8_t> bytes = DviFile(pcm, 1, 256, {Chunk("LIST", std::vector<uint8_t>(600, 'x'))});
  bytes[48] = 0xFF;
  bytes[49] = 0xFF;
  MemorySource file(bytes);
  EXPECT_EQ(DeliverySizes(file.Source), (std::vector<int32_t>{1010, 1010}));
}

TEST(WaveInDvi, TruncatedLastBlockDeliversWhatItHolds) {
  std::vector<uint8_t> bytes = DviFile(MakeSine16(505 * 2, 1, 44100), 1, 256);
  bytes.resize(bytes.size() - 200);  // 56 bytes of the second block remain: 4 header + 52 data
  MemorySource file(bytes);
  EXPECT_EQ(DeliverySizes(file.Source), (std::vector<int32_t>{1010, 2 * (1 + 2 * 52)}));
}

TEST(WaveInDvi, SeekStartsAtTheBlockHoldingTheFrame) {
  const std::vector<int16_t> pcm = MakeSine16(2000, 1, 44100);
  MemorySource file(DviFile(pcm, 1, 256));
  file.Source.SetStartSample(1000);
  const std::vector<int16_t> decoded = BytesToSamples(ReadAllPcm(file.Source));
  ASSERT_FALSE(decoded.empty());
  EXPECT_EQ(decoded[0], pcm[505]);  // frame 1000 is in block 1, which starts with frame 505
  EXPECT_EQ(file.Source.Size(), 2000);
}

TEST(WaveInDvi, UnsoundLayoutsAreNotValid) {
  const std::vector<uint8_t> blocks(512, 0);
  struct Case {
    const char* what;
    std::vector<uint8_t> format;
  };
  const std::vector<Case> cases = {
      {"bits per sample 3", DviFormatBody(1, 8000, 256, 505, 3)},
      {"block align above 4096", DviFormatBody(1, 8000, 8192, 16377)},
      {"samples per block not matching", DviFormatBody(1, 8000, 256, 1000)},
      {"block no larger than its headers", DviFormatBody(2, 8000, 8, 1)},
      {"three channels", DviFormatBody(3, 8000, 256, 505)},
  };
  for (const Case& c : cases) {
    MemorySource file(RiffWave({Chunk("fmt ", c.format), Chunk("fact", FactBody(505)), Chunk("data", blocks)}));
    file.Source.OpenFile();
    EXPECT_FALSE(file.Source.Valid()) << c.what;
    file.Source.CloseFile();
  }
}

TEST(WaveInDvi, FileWithoutFactIsUnsupported) {
  MemorySource file(RiffWave({Chunk("fmt ", DviFormatBody(1, 8000, 256, 505)), Chunk("data", std::vector<uint8_t>(256))}));
  file.Source.OpenFile();
  EXPECT_FALSE(file.Source.Valid());
  EXPECT_EQ(file.Source.WavType(), wtUnsupported);
  file.Source.CloseFile();
}

std::vector<uint8_t> MsBlock(const std::vector<uint8_t>& header, size_t blockAlign, uint8_t fill) {
  std::vector<uint8_t> block = header;
  block.resize(blockAlign, fill);
  return block;
}

TEST(WaveInMs, MonoBlockAlign256With500SamplesDelivers1000Bytes) {
  // Predictor 0 (256, 0), delta 16, sample1 10, sample2 5; codes 0 keep the signal at 10.
  const std::vector<uint8_t> header = {0, 16, 0, 10, 0, 5, 0};
  std::vector<uint8_t> data = MsBlock(header, 256, 0);
  const std::vector<uint8_t> second = MsBlock(header, 256, 0);
  data.insert(data.end(), second.begin(), second.end());
  MemorySource file(RiffWave({Chunk("fmt ", MsFormatBody(1, 22050, 256, 500)), Chunk("fact", FactBody(1000)),
                              Chunk("data", data)}));
  const std::vector<int16_t> decoded = BytesToSamples(ReadAllPcm(file.Source, 65536));
  ASSERT_EQ(decoded.size(), 1000u);
  EXPECT_EQ(decoded[0], 5);
  EXPECT_EQ(decoded[1], 10);
  EXPECT_EQ(decoded[499], 10);
  EXPECT_EQ(decoded[500], 5);
}

TEST(WaveInMs, StereoHeaderFieldsAreInterleavedPerChannel) {
  // Left: predictor 0, delta 16, sample1 100, sample2 50. Right: predictor 1 (512, -256), delta 20,
  // sample1 -100, sample2 -50.
  const std::vector<uint8_t> header = {0, 1, 16, 0, 20, 0, 100, 0, 0x9C, 0xFF, 50, 0, 0xCE, 0xFF};
  MemorySource file(RiffWave({Chunk("fmt ", MsFormatBody(2, 22050, 64, 52)), Chunk("fact", FactBody(52)),
                              Chunk("data", MsBlock(header, 64, 0))}));
  const std::vector<int16_t> decoded = BytesToSamples(ReadAllPcm(file.Source));
  ASSERT_EQ(decoded.size(), 104u);
  EXPECT_EQ((std::vector<int16_t>(decoded.begin(), decoded.begin() + 6)),
            (std::vector<int16_t>{50, -50, 100, -100, 100, -150}));
}

TEST(WaveInMs, UnsoundLayoutsAreNotValid) {
  struct Case {
    const char* what;
    std::vector<uint8_t> format;
  };
  const std::vector<Case> cases = {
      {"no coefficients", MsFormatBody(1, 8000, 256, 500, {})},
      {"more samples per block than the block holds", MsFormatBody(1, 8000, 256, 501)},
      {"block align above 4096", MsFormatBody(1, 8000, 4100, 8188)},
  };
  for (const Case& c : cases) {
    MemorySource file(RiffWave({Chunk("fmt ", c.format), Chunk("fact", FactBody(500)), Chunk("data", std::vector<uint8_t>(256))}));
    file.Source.OpenFile();
    EXPECT_FALSE(file.Source.Valid()) << c.what;
    file.Source.CloseFile();
  }
}

// ---- the sink writing IMA ADPCM ----

struct DviRun {
  std::vector<uint8_t> Written;
  std::string Failure;
};

DviRun WriteDvi(const std::vector<uint8_t>& inputWave, uint16_t blockSize, std::vector<uint8_t> existing = {},
                TFileOutputMode mode = foRewrite) {
  MemorySource input(inputWave);
  TMemoryStream output(std::move(existing));
  TWaveOut sink;
  sink.SetWavType(wtDVIADPCM);
  sink.SetBlockSize(blockSize);
  sink.SetFileMode(mode);
  sink.SetStream(&output);
  sink.SetInput(&input.Source);
  DviRun run;
  run.Failure = RunToEnd(sink);
  run.Written = output.Bytes();
  return run;
}

TEST(WaveOutDvi, HeaderDescribesTheBlocksActuallyWritten) {
  const std::vector<int16_t> pcm = MakeSine16(2000, 1, 22050);
  const DviRun run = WriteDvi(PcmWaveFile(1, 22050, 16, SamplesToBytes(pcm)), 512);
  ASSERT_EQ(run.Failure, "");
  const std::vector<uint8_t>& out = run.Written;
  ASSERT_EQ(out.size(), 60u + 2 * 512);  // 2000 frames in blocks of 1017
  EXPECT_EQ(Le32At(out, 4), out.size() - 8);
  EXPECT_EQ(Le32At(out, 16), 20u);
  EXPECT_EQ(Le16At(out, 20), 0x0011);
  EXPECT_EQ(Le16At(out, 32), 512);
  EXPECT_EQ(Le16At(out, 34), 4);
  EXPECT_EQ(Le16At(out, 38), 1017);
  EXPECT_EQ(Le32At(out, 28), 22050u / 1017 * 512);
  EXPECT_EQ(Le32At(out, 48), 2000u);
  EXPECT_EQ(Le32At(out, 56), 1024u);
}

TEST(WaveOutDvi, WrittenFileReadsBackAsOurOwnEncoding) {
  const std::vector<int16_t> pcm = MakeSine16(1500, 2, 44100);
  const DviRun run = WriteDvi(PcmWaveFile(2, 44100, 16, SamplesToBytes(pcm)), 512);
  ASSERT_EQ(run.Failure, "");
  EXPECT_EQ(Le16At(run.Written, 38), 505);
  const std::vector<uint8_t> blocks(run.Written.begin() + 60, run.Written.end());
  EXPECT_EQ(blocks, EncodeDviBlocks(pcm, 2, 512));
  MemorySource back(run.Written);
  back.Source.OpenFile();
  EXPECT_TRUE(back.Source.Valid());
  EXPECT_EQ(back.Source.TotalSamples(), 1500);
  back.Source.CloseFile();
}

TEST(WaveOutDvi, InputEndingOnABlockBoundaryAddsNoSilentBlock) {
  const std::vector<int16_t> pcm = MakeSine16(1017 * 2, 1, 8000);
  const DviRun run = WriteDvi(PcmWaveFile(1, 8000, 16, SamplesToBytes(pcm)), 512);
  EXPECT_EQ(run.Written.size(), 60u + 2 * 512);
  EXPECT_EQ(Le32At(run.Written, 48), 2034u);
}

TEST(WaveOutDvi, RefusesEightBitInputAndUnusableBlockSizes) {
  EXPECT_EQ(WriteDvi(PcmWaveFile(1, 8000, 8, MakeSine8(100, 1, 8000)), 512).Failure,
            "Cannot encode 8 bit sound into ADPCM.");
  const std::vector<uint8_t> stereo = PcmWaveFile(2, 8000, 16, SamplesToBytes(MakeSine16(100, 2, 8000)));
  EXPECT_NE(WriteDvi(stereo, 508).Failure.find("cannot write IMA ADPCM blocks of 508 bytes"), std::string::npos);
  EXPECT_NE(WriteDvi(stereo, 8192).Failure, "");
}

TEST(WaveOutDvi, AppendCountsOldBlocksAndNewFrames) {
  const std::vector<uint8_t> first = PcmWaveFile(1, 8000, 16, SamplesToBytes(MakeSine16(1000, 1, 8000)));
  const DviRun created = WriteDvi(first, 256);
  ASSERT_EQ(created.Failure, "");
  ASSERT_EQ(created.Written.size(), 60u + 2 * 256);  // blocks of 505 frames
  const DviRun appended = WriteDvi(PcmWaveFile(1, 8000, 16, SamplesToBytes(MakeSine16(300, 1, 8000))), 512,
                                   created.Written, foAppend);
  ASSERT_EQ(appended.Failure, "");
  const std::vector<uint8_t>& out = appended.Written;
  ASSERT_EQ(out.size(), 60u + 3 * 256);  // the file's block size wins over the property
  EXPECT_EQ(Le32At(out, 56), 3u * 256);
  EXPECT_EQ(Le32At(out, 48), 2u * 505 + 300);
  EXPECT_EQ(Le32At(out, 4), out.size() - 8);
}

TEST(WaveOutDvi, AppendRefusesOtherFormatsAndCutBlocks) {
  const DviRun created = WriteDvi(PcmWaveFile(1, 8000, 16, SamplesToBytes(MakeSine16(1000, 1, 8000))), 256);
  const std::vector<uint8_t> more = PcmWaveFile(1, 11025, 16, SamplesToBytes(MakeSine16(100, 1, 11025)));
  EXPECT_EQ(WriteDvi(more, 256, created.Written, foAppend).Failure, "Cannot append data in different audio format.");
  std::vector<uint8_t> cut = created.Written;
  cut.resize(cut.size() - 10);
  const std::vector<uint8_t> same = PcmWaveFile(1, 8000, 16, SamplesToBytes(MakeSine16(100, 1, 8000)));
  EXPECT_EQ(WriteDvi(same, 256, cut, foAppend).Failure, "Cannot append data to this .wav file.");
}

}  // namespace
