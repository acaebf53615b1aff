#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "formats/mp3/ACS_LAME.h"
#include "formats/mp3/Id3v2Writer.h"
#include "support/FakeComponents.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

uint32_t Be32At(const std::vector<uint8_t>& bytes, size_t at) {
  return (static_cast<uint32_t>(bytes.at(at)) << 24) | (bytes.at(at + 1) << 16) | (bytes.at(at + 2) << 8) |
         bytes.at(at + 3);
}

size_t Id3v2Length(const std::vector<uint8_t>& file) {
  if (file.size() < 10 || file[0] != 'I' || file[1] != 'D' || file[2] != '3') {
    return 0;
  }
  return 10 + ((file[6] << 21) | (file[7] << 14) | (file[8] << 7) | file[9]);
}

// Offsets of the MPEG-1 Layer III frames from `at` up to the ID3v1 trailer.
std::vector<size_t> FrameOffsets(const std::vector<uint8_t>& file, size_t at) {
  static const int Kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static const int Rates[] = {44100, 48000, 32000, 0};
  const size_t end = file.size() - 128;
  std::vector<size_t> offsets;
  while (at + 4 <= end && file[at] == 0xFF && (file[at + 1] & 0xFE) == 0xFA) {
    const int kbps = Kbps[file[at + 2] >> 4];
    const int rate = Rates[(file[at + 2] >> 2) & 3];
    if (kbps == 0 || rate == 0) {
      break;
    }
    offsets.push_back(at);
    at += static_cast<size_t>(144 * kbps * 1000 / rate + ((file[at + 2] >> 1) & 1));
  }
  return offsets;
}

struct TMp3Run {
  TRunOutcome Outcome;
  std::vector<uint8_t> File;
};

TMp3Run Encode(TMP3Out& sink, TACSInput& source, const std::string& fileName, bool stopEarly = false) {
  sink.SetInput(&source);
  sink.SetFileName(fileName);
  TMp3Run run;
  run.Outcome = stopEarly ? RunToEnd(sink, [&] { sink.Stop(); }) : RunToEnd(sink);
  if (std::filesystem::exists(fileName)) {
    run.File = ReadFileBytes(fileName);
  }
  return run;
}

}  // namespace

TEST(ACS_LAME, Id3v2TagHoldsEveryFieldInFullAsUtf8) {
  const std::string title(200, 'x');
  const auto tag = BuildId3v2Tag({title, "Ünïcødé ☃", "", "2024", "7", "Note", "Rock", "", "", "", {}});
  ASSERT_GE(tag.size(), 10u);
  EXPECT_EQ(std::string(tag.begin(), tag.begin() + 5), std::string("ID3\x04\x00", 5));
  EXPECT_EQ(Id3v2Length(tag), tag.size());
  const std::string text(tag.begin(), tag.end());
  // TIT2: 201 body bytes, size in four 7-bit groups.
  EXPECT_NE(text.find(std::string("TIT2\x00\x00\x01\x49\x00\x00\x03", 11) + title), std::string::npos);
  EXPECT_NE(text.find("TPE1" + std::string("\x00\x00\x00\x10\x00\x00\x03", 7) + "Ünïcødé ☃"), std::string::npos);
  EXPECT_EQ(text.find("TALB"), std::string::npos);
  EXPECT_NE(text.find(std::string("COMM\x00\x00\x00\x09\x00\x00\x03" "eng\x00" "Note", 19)), std::string::npos);
  EXPECT_NE(text.find("TDRC"), std::string::npos);
  EXPECT_NE(text.find("TRCK"), std::string::npos);
  EXPECT_NE(text.find("TCON"), std::string::npos);
  EXPECT_TRUE(BuildId3v2Tag({}).empty());
  const auto extras = BuildId3v2Tag({"", "", "", "", "", "", "", "Va", "1/2", "Cy", {}});
  const std::string extraText(extras.begin(), extras.end());
  for (const std::string& frame : {"TPE2" + std::string("\0\0\0\x03\0\0\x03", 7) + "Va",
                                  "TPOS" + std::string("\0\0\0\x04\0\0\x03", 7) + "1/2",
                                  "TCOM" + std::string("\0\0\0\x03\0\0\x03", 7) + "Cy"}) {
    EXPECT_NE(extraText.find(frame), std::string::npos) << frame.substr(0, 4);
  }
}

TEST(ACS_LAME, Latin1TrailerTextKeepsWhatLatin1Holds) {
  EXPECT_EQ(Utf8ToLatin1("Ünïcødé ☃"), "\xDCn\xEF" "c\xF8" "d\xE9 ?");
  EXPECT_EQ(Utf8ToLatin1("plain"), "plain");
  EXPECT_EQ(Utf8ToLatin1("bad\xC3"), "bad?");
}

TEST(ACS_LAME, CbrRunWritesTagFirstCompletedInfoFrameAndTrailer) {
  TempDir dir;
  const int frames = 44100 * 3;
  TMemorySource source(SamplesToBytes(MakeSine16(frames, 2, 44100)), 16, 2, 44100);
  TMP3Out sink;
  EXPECT_EQ(sink.BitRate(), TMP3BitRate::br128);
  EXPECT_TRUE(sink.Original());
  sink.SetBitRate(TMP3BitRate::br192);
  sink.SetId3TagTitle("Ünïcødé ☃");
  const TMp3Run run = Encode(sink, source, dir.File("c.mp3"));
  ASSERT_TRUE(run.Outcome.Done) << run.Outcome.Message;
  const size_t audio = Id3v2Length(run.File);
  ASSERT_GT(audio, 0u);
  const auto offsets = FrameOffsets(run.File, audio);
  ASSERT_GT(offsets.size(), 100u);
  // The first frame is LAME's header frame; its frame count was written back at the end.
  const std::string first(run.File.begin() + audio, run.File.begin() + audio + 200);
  const size_t info = first.find("Info");
  ASSERT_NE(info, std::string::npos);
  EXPECT_EQ(Be32At(run.File, audio + info + 8), offsets.size() - 1);
  const size_t trailer = run.File.size() - 128;
  EXPECT_EQ(std::string(run.File.begin() + trailer, run.File.begin() + trailer + 3 + 9),
            std::string("TAG\xDCn\xEF" "c\xF8" "d\xE9 ?"));
  EXPECT_EQ(source.FlushCount, 1);
}

TEST(ACS_LAME, VbrHeaderCountsTheFramesAndMinAboveMaxIsSwapped) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(44100 * 2, 1, 44100)), 16, 1, 44100);
  TMP3Out sink;
  sink.SetEnableVBR(true);
  sink.SetWriteVBRHeader(true);
  sink.SetVBRMinBitrate(192);
  sink.SetVBRMaxBitrate(128);
  const TMp3Run run = Encode(sink, source, dir.File("v.mp3"));
  ASSERT_TRUE(run.Outcome.Done) << run.Outcome.Message;
  EXPECT_EQ(sink.VBRMinBitrate(), 128);
  EXPECT_EQ(sink.VBRMaxBitrate(), 192);
  EXPECT_EQ(Id3v2Length(run.File), 0u) << "no tag fields, no ID3v2 tag";
  const auto offsets = FrameOffsets(run.File, 0);
  const std::string first(run.File.begin(), run.File.begin() + 200);
  const size_t xing = first.find("Xing");
  ASSERT_NE(xing, std::string::npos);
  EXPECT_EQ(Be32At(run.File, xing + 8), offsets.size() - 1);
}

TEST(ACS_LAME, StoppedRunStillEndsWithFlushAndTrailer) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(44100 * 60, 2, 44100)), 16, 2, 44100);
  TMP3Out sink;
  sink.SetId3TagArtist("A");
  const TMp3Run run = Encode(sink, source, dir.File("s.mp3"), true);
  EXPECT_TRUE(run.Outcome.Done);
  ASSERT_GT(run.File.size(), 128u);
  EXPECT_EQ(std::string(run.File.end() - 128, run.File.end() - 125), "TAG");
  EXPECT_LT(run.File.size(), 60u * 128000 / 8 / 2);
  const auto offsets = FrameOffsets(run.File, Id3v2Length(run.File));
  const size_t last = offsets.back();
  EXPECT_GT(offsets.size(), 2u);
  EXPECT_LE(last, run.File.size() - 128);
}

TEST(ACS_LAME, EightBitInputIsRefusedAtPrepareAndLeavesNoFile) {
  TempDir dir;
  TMemorySource source(MakeSine8(4000, 2, 44100), 8, 2, 44100);
  TMP3Out sink;
  const TMp3Run run = Encode(sink, source, dir.File("b.mp3"));
  EXPECT_TRUE(run.Outcome.Failed);
  EXPECT_EQ(run.Outcome.Message, dir.File("b.mp3") + ": the MP3 encoder takes 16-bit samples, the input has 8");
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.mp3")));
  EXPECT_EQ(source.InitCount, source.FlushCount);
}

TEST(ACS_LAME, RatesOutsideWhatLameTakesAreAskedAtTheNearestOrTheChosenOutputRate) {
  TMP3Out sink;
  for (const auto& [chosen, offered, accepted] :
       {std::tuple{TMP3SampleRate::srDefault, 44100, 44100}, std::tuple{TMP3SampleRate::srDefault, 96000, 48000},
        std::tuple{TMP3SampleRate::srDefault, 6000, 8000}, std::tuple{TMP3SampleRate::sr32kHz, 96000, 32000},
        std::tuple{TMP3SampleRate::sr32kHz, 22050, 22050}}) {
    sink.SetSampleRate(chosen);
    const TPcmFormat format = sink.AcceptedFormat(TPcmFormat{24, TSampleKind::skInteger, 6, offered, 0});
    EXPECT_EQ(format, (TPcmFormat{16, TSampleKind::skInteger, 2, accepted, 0})) << offered << " Hz, choice " << chosen;
  }
}
