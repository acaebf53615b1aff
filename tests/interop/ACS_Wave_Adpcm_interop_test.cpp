// ADPCM and MPEG-in-WAV files from other writers decode as their decoders decode them, and our
// IMA ADPCM output decodes elsewhere exactly as we decode it.

#include <gtest/gtest.h>

#include <algorithm>

#include "formats/wave/ACS_Wave.h"
#include "support/AdpcmSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<int16_t> DecodeOurs(const std::string& fileName, int32_t* totalSamples = nullptr) {
  TWaveIn source;
  source.SetFileName(fileName);
  source.OpenFile();
  EXPECT_TRUE(source.Valid()) << fileName;
  if (totalSamples != nullptr) {
    *totalSamples = source.TotalSamples();
  }
  source.CloseFile();
  return BytesToSamples(ReadAllPcm(source));
}

std::vector<int16_t> DecodeWithFfmpeg(const std::string& fileName) {
  const ToolResult result = RunTool("ffmpeg -v error -i " + Quote(fileName) + " -f s16le -");
  EXPECT_EQ(result.ExitCode, 0);
  return BytesToSamples(std::vector<uint8_t>(result.Output.begin(), result.Output.end()));
}

std::vector<int16_t> DecodeWithSox(const std::string& fileName) {
  const ToolResult result = RunTool("sox " + Quote(fileName) + " -t raw -e signed -b 16 -L -");
  EXPECT_EQ(result.ExitCode, 0);
  return BytesToSamples(std::vector<uint8_t>(result.Output.begin(), result.Output.end()));
}

// Equal, or the index of the first difference and the two values.
void ExpectSameSamples(const std::vector<int16_t>& ours, const std::vector<int16_t>& theirs, const std::string& what) {
  ASSERT_EQ(ours.size(), theirs.size()) << what;
  for (size_t i = 0; i < ours.size(); ++i) {
    ASSERT_EQ(ours[i], theirs[i]) << what << " at sample " << i;
  }
}

// FFmpeg's IMA ADPCM decoder computes each difference as ((2 x code + 1) x step) shr 3 in one
// go, where ours (and sox's) adds step shr 3, step shr 2, step shr 1 and step, each truncated, and
// it clamps to -32768 rather than -32767. This model decodes a file's blocks with that arithmetic,
// so a test can show that those two rules explain every sample where FFmpeg differs from us.
std::vector<int16_t> DecodeImaAsFfmpeg(const std::string& fileName) {
  TWaveIn source;
  source.SetFileName(fileName);
  source.OpenFile();
  const int channels = source.GetChannels();
  const size_t dataOffset = source.DataOffset();
  source.CloseFile();
  const std::vector<uint8_t> bytes = ReadFileBytes(fileName);
  const size_t blockAlign = Le16At(bytes, 32);
  const size_t dataEnd = dataOffset + Le32At(bytes, dataOffset - 4);
  std::vector<int16_t> out;
  for (size_t block = dataOffset; block + blockAlign <= dataEnd; block += blockAlign) {
    int predictor[2] = {0, 0};
    int index[2] = {0, 0};
    for (int c = 0; c < channels; ++c) {
      predictor[c] = static_cast<int16_t>(Le16At(bytes, block + 4 * c));
      index[c] = std::min<int>(bytes[block + 4 * c + 2], 88);
    }
    auto expand = [&](int c, int code) {
      const int step = StepTable[index[c]];
      const int diff = ((2 * (code & 7) + 1) * step) >> 3;
      predictor[c] = std::clamp(code & 8 ? predictor[c] - diff : predictor[c] + diff, -32768, 32767);
      index[c] = std::clamp(index[c] + IndexTable[code], 0, 88);
      return static_cast<int16_t>(predictor[c]);
    };
    const size_t frames = channels == 1 ? DviMonoSamplesPerBlock(static_cast<int32_t>(blockAlign))
                                        : DviStereoSamplesPerBlock(static_cast<int32_t>(blockAlign));
    std::vector<int16_t> decoded(frames * channels);
    for (int c = 0; c < channels; ++c) {
      decoded[c] = static_cast<int16_t>(predictor[c]);
    }
    const uint8_t* data = bytes.data() + block + 4 * channels;
    for (size_t k = 0; k + 1 < frames; ++k) {
      for (int c = 0; c < channels; ++c) {
        const size_t byte = channels == 1 ? k / 2 : (k / 8) * 8 + 4 * c + (k % 8) / 2;
        const int code = k % 2 == 0 ? data[byte] & 0x0F : data[byte] >> 4;
        decoded[(k + 1) * channels + c] = expand(c, code);
      }
    }
    out.insert(out.end(), decoded.begin(), decoded.end());
  }
  return out;
}

// Ours must equal sox's decoding; FFmpeg's must equal the model of its arithmetic on the same
// blocks, and so differ from ours only where its rounding and clamping rules give another value.
void ExpectImaDecodesLikeOthers(const std::string& file, const std::string& what) {
  const std::vector<int16_t> ours = DecodeOurs(file);
  ExpectSameSamples(ours, DecodeWithSox(file), "sox decoding " + what);
  const std::vector<int16_t> ffmpeg = DecodeWithFfmpeg(file);
  const std::vector<int16_t> model = DecodeImaAsFfmpeg(file);
  ASSERT_GE(model.size(), ffmpeg.size());
  ExpectSameSamples(std::vector<int16_t>(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(ffmpeg.size())),
                    ffmpeg, "ffmpeg decoding " + what);
  EXPECT_GE(ffmpeg.size() + 1024 * 2, ours.size()) << what;
}

class AdpcmInterop : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg") || !HaveTool("sox")) {
      GTEST_SKIP() << "ffmpeg and sox are needed";
    }
  }

  std::string PcmSource(int channels, int frames = 30011) {
    const std::string name = Dir.File("source" + std::to_string(channels) + ".wav");
    WriteFileBytes(name, PcmWaveFile(static_cast<uint16_t>(channels), 22050, 16,
                                     SamplesToBytes(MakeSine16(frames, channels, 22050, 523.0))));
    return name;
  }

  std::string Convert(const std::string& command, const std::string& name) {
    const std::string out = Dir.File(name);
    EXPECT_EQ(RunTool(command + " " + Quote(out) + " >/dev/null 2>&1").ExitCode, 0) << command;
    return out;
  }

  TempDir Dir;
};

TEST_F(AdpcmInterop, SoxAdpcmFilesDecodeAsFfmpegDecodesThem) {
  for (int channels : {1, 2}) {
    for (const char* encoding : {"ima-adpcm", "ms-adpcm"}) {
      const std::string what = std::string(encoding) + " x" + std::to_string(channels);
      const std::string file =
          Convert("sox " + Quote(PcmSource(channels)) + " -e " + encoding, "sox-" + what.substr(0, 3) + ".wav");
      if (std::string(encoding) == "ima-adpcm") {
        ExpectImaDecodesLikeOthers(file, "sox " + what);
      } else {
        ExpectSameSamples(DecodeOurs(file), DecodeWithFfmpeg(file), "sox " + what);
      }
    }
  }
}

TEST_F(AdpcmInterop, FfmpegAdpcmFilesDecodeAsFfmpegDecodesThem) {
  for (int channels : {1, 2}) {
    for (const char* codec : {"adpcm_ima_wav", "adpcm_ms"}) {
      const std::string what = std::string(codec) + " x" + std::to_string(channels);
      const std::string file =
          Convert("ffmpeg -v error -y -i " + Quote(PcmSource(channels)) + " -c:a " + codec, "ff.wav");
      if (std::string(codec) == "adpcm_ima_wav") {
        ExpectImaDecodesLikeOthers(file, "ffmpeg " + what);
      } else {
        ExpectSameSamples(DecodeOurs(file), DecodeWithFfmpeg(file), "ffmpeg " + what);
      }
    }
  }
}

TEST_F(AdpcmInterop, OurImaOutputDecodesElsewhereAsWeDecodeIt) {
  for (int channels : {1, 2}) {
    TWaveIn pcm;
    pcm.SetFileName(PcmSource(channels, 44100));
    TWaveOut sink;
    sink.SetWavType(wtDVIADPCM);
    sink.SetBlockSize(1024);
    const std::string file = Dir.File("ours" + std::to_string(channels) + ".wav");
    sink.SetFileName(file);
    sink.SetInput(&pcm);
    ASSERT_EQ(RunToEnd(sink), "");
    ExpectImaDecodesLikeOthers(file, "our output x" + std::to_string(channels));
    int32_t totalSamples = 0;
    DecodeOurs(file, &totalSamples);
    EXPECT_EQ(totalSamples, 44100);
  }
}

TEST_F(AdpcmInterop, Mp3DataInWavDecodesToFfmpegsSamplesAndLength) {
  for (int channels : {1, 2}) {
    const std::string file = Convert("ffmpeg -v error -y -i " + Quote(PcmSource(channels)) +
                                         " -c:a libmp3lame -b:a 96k -f wav",
                                     "mp3-" + std::to_string(channels) + ".wav");
    int32_t totalSamples = 0;
    const std::vector<int16_t> ours = DecodeOurs(file, &totalSamples);
    const std::vector<int16_t> ffmpeg = DecodeWithFfmpeg(file);
    ExpectSameSamples(ours, ffmpeg, "mp3 x" + std::to_string(channels));
    // Known before decoding from the fact chunk, which leaves out the decoder's delay and padding
    // of less than two MPEG frames.
    EXPECT_NEAR(static_cast<double>(totalSamples) * channels, static_cast<double>(ours.size()), 2 * 1152.0 * channels);
    TWaveIn run;
    run.SetFileName(file);
    const size_t bytes = ReadAllPcm(run).size();
    EXPECT_EQ(run.Size(), static_cast<int64_t>(bytes)) << "the length is exact once the data is decoded";
    // The data is decoded from its start up to a start frame, so the frame has an exact place.
    TWaveIn source;
    source.SetFileName(file);
    source.SetStartSample(1000);
    const std::vector<int16_t> tail = BytesToSamples(ReadAllPcm(source));
    ExpectSameSamples(tail, std::vector<int16_t>(ffmpeg.begin() + 1000 * channels, ffmpeg.end()), "mp3 from 1000");
  }
}

TEST_F(AdpcmInterop, MpegDecodingIsReleasedAfterAResetInsideANestedOpen) {
  const std::string file = Convert("ffmpeg -v error -y -i " + Quote(PcmSource(1)) + " -c:a libmp3lame -f wav", "m.wav");
  TFileStream stream(file, fmOpenRead);
  TWaveIn source;
  source.SetStream(&stream);
  source.Init();
  source.OpenFile();
  source.Reset();
  EXPECT_EQ(source.OpenCount(), 0);
  source.OpenFile();
  EXPECT_EQ(source.WavType(), wtACM);
  source.CloseFile();
  EXPECT_EQ(source.Stream(), &stream) << "the supplied stream is the source's stream again";
  EXPECT_EQ(stream.Position(), 0);
}

}  // namespace
