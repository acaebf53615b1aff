// Files written by independent tools, read by the file-info summary and compared with what
// mutagen (tags) and ffprobe (stream values) read from the same files.

#include "tags/SongInformation.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

#include "support/ReferenceTools.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

int LeadingNumber(const std::string& text) { return std::atoi(text.c_str()); }

int ChannelCount(const std::string& mode) {
  if (mode == "Mono") {
    return 1;
  }
  if (mode == "Stereo" || mode == "Joint Stereo" || mode == "Dual Channel") {
    return 2;
  }
  return LeadingNumber(mode);
}

enum TBitRateCheck { brNone, brStream, brAverage };

class ReaderInterop : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* tool : {"sox", "ffprobe", "ffmpeg"}) {
      if (!HaveTool(tool)) {
        GTEST_SKIP() << tool << " is missing";
      }
    }
  }

  // A ten-second two-tone signal, so that encoders have something to spend bits on.
  std::string Source(int channels = 2, int rate = 44100, int bits = 16) {
    const std::string file = Dir.File("source-" + std::to_string(channels) + "-" + std::to_string(rate) + "-" +
                                      std::to_string(bits) + ".wav");
    Run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b " + std::to_string(bits) +
        " " + Quote(file) + " synth 10 sine 440 sine 660 vol 0.5");
    return file;
  }

  void Run(const std::string& command) { ASSERT_EQ(RunTool(command + " >/dev/null 2>&1").ExitCode, 0) << command; }

  void Tag(const std::string& file, const std::string& python) {
    ASSERT_TRUE(HaveMutagen());
    Run("/usr/bin/python3 -c " + Quote("import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TCON, COMM, TRCK\npath = sys.argv[1]\n" + python) + " " +
        Quote(file));
  }

  void ExpectTagsAsMutagen(const SongInformation& info, const std::string& file) {
    if (!HaveMutagen()) {
      return;
    }
    auto tags = MutagenTags(file);
    EXPECT_EQ(info.Title, tags["title"]);
    EXPECT_EQ(info.Artist, tags["artist"]);
    EXPECT_EQ(info.Album, tags["album"]);
    EXPECT_EQ(info.Year, tags["year"]);
    EXPECT_EQ(info.Genre, tags["genre"]);
    EXPECT_EQ(info.Comment, tags["comment"]);
    EXPECT_EQ(info.Track, tags["track"]);
  }

  // Duration within 1% or one frame of ffprobe's, the same rate and channels; bit rate from the
  // stream's own figure or, for variable rates, the file's average.
  // Differences the readers keep on purpose: a constant-rate MP3's duration counts every byte between
  // the ID3v2 tag and the trailing tags (the encoder's info frame included), and an Ogg file's
  // average bit rate counts its header pages; both stay within these margins.
  void ExpectStreamAsProbe(const SongInformation& info, const std::string& file, double frameSeconds,
                           TBitRateCheck bitRate) {
    const MPEGInfo& stream = info.StreamInfo;
    const double duration = std::stod(ProbeValue(file, "format=duration"));
    EXPECT_NEAR(stream.Duration, duration, std::max(duration * 0.01, frameSeconds));
    EXPECT_EQ(LeadingNumber(stream.SampleRate), std::stoi(ProbeValue(file, "stream=sample_rate")));
    EXPECT_EQ(ChannelCount(stream.ChannelMode), std::stoi(ProbeValue(file, "stream=channels")));
    if (bitRate == brStream) {
      EXPECT_EQ(LeadingNumber(stream.BitRate), std::stoi(ProbeValue(file, "stream=bit_rate")) / 1000);
    } else if (bitRate == brAverage) {
      const double average = std::stod(ProbeValue(file, "format=bit_rate")) / 1000;
      EXPECT_NEAR(LeadingNumber(stream.BitRate), average, average * 0.03 + 1);
    }
  }

  TempDir Dir;
};

constexpr double Mp3Frame = 1152.0 / 44100;

}  // namespace

TEST_F(ReaderInterop, LameMp3WithVersion23AndVersion1Tags) {
  if (!HaveTool("lame")) {
    GTEST_SKIP();
  }
  const std::string mp3 = Dir.File("lame.mp3");
  Run("lame --quiet -b 128 --add-id3v2 --tt 'The Title' --ta 'The Artist' --tl 'The Album' --ty 2004 "
      "--tc 'A comment' --tn 5/12 --tg Jazz " + Quote(Source()) + " " + Quote(mp3));
  const SongInformation info = ReadSongInformation(mp3);
  EXPECT_EQ(info.TagVersion, "2.3");
  ExpectTagsAsMutagen(info, mp3);
  ExpectStreamAsProbe(info, mp3, Mp3Frame, brStream);
  EXPECT_EQ(info.StreamInfo.Format, "MPEG 1 Layer III");
  EXPECT_TRUE(info.StreamInfo.BitRate.ends_with("kbit/s CBR"));
  EXPECT_TRUE(info.StreamInfo.EncoderName.starts_with("LAME"));
}

TEST_F(ReaderInterop, Mp3WithLyricsApeAndId3v1TrailersCountsOnlyItsAudio) {
  if (!HaveTool("lame") || !HaveMutagen()) {
    GTEST_SKIP();
  }
  const std::string plain = Dir.File("plain.mp3");
  const std::string mp3 = Dir.File("trailers.mp3");
  Run("lame --quiet -b 128 --tt Trailing --id3v1-only " + Quote(Source()) + " " + Quote(plain));
  Run("cp " + Quote(plain) + " " + Quote(mp3));
  // Lyrics3v2 and a 50 kB APEv2 tag go in before the ID3v1 trailer, as taggers leave them. ffprobe
  // estimates the duration of the tagged file from its size, the tags included, so the file
  // before tagging is its reference.
  Run("/usr/bin/python3 -c " + Quote(R"(import sys
from mutagen.apev2 import APEv2
path = sys.argv[1]
data = open(path, "rb").read()
body = b"LYRICSBEGININD0000210LYR00005la la"
open(path, "wb").write(data[:-128] + body + b"%06dLYRICS200" % len(body))
tag = APEv2()
tag["Lyrics"] = "la " * 17000
tag.save(path)
open(path, "ab").write(data[-128:]))") + " " + Quote(mp3));
  ExpectStreamAsProbe(ReadSongInformation(mp3), plain, Mp3Frame, brStream);
}

TEST_F(ReaderInterop, Mp3TaggedByMutagenInVersion24WithUnicodeText) {
  if (!HaveTool("lame")) {
    GTEST_SKIP();
  }
  const std::string mp3 = Dir.File("v24.mp3");
  Run("lame --quiet -b 96 -m m " + Quote(Source(1, 22050)) + " " + Quote(mp3));
  Tag(mp3,
      "t = ID3()\n"
      "t.add(TIT2(encoding=3, text='Gr\\u00fc\\u00dfe \\u266a'))\n"
      "t.add(TPE1(encoding=1, text='\\u00c4rtist \\u4e2d'))\n"
      "t.add(TALB(encoding=2, text='Album \\U0001F3B5'))\n"
      "t.add(TDRC(encoding=0, text='2019-03-04'))\n"
      "t.add(TCON(encoding=0, text='(17)'))\n"
      "t.add(COMM(encoding=3, lang='eng', desc='', text='Nice \\u263a'))\n"
      "t.add(COMM(encoding=0, lang='eng', desc='iTunNORM', text=' 0000 1111'))\n"
      "t.add(TRCK(encoding=0, text='7/10'))\n"
      "t.save(path, v2_version=4)\n");
  const SongInformation info = ReadSongInformation(mp3);
  EXPECT_EQ(info.TagVersion, "2.4");
  EXPECT_EQ(info.Title, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x99\xAA");
  ExpectTagsAsMutagen(info, mp3);
  ExpectStreamAsProbe(info, mp3, 1152.0 / 22050, brStream);
  EXPECT_EQ(info.StreamInfo.ChannelMode, "Mono");
}

TEST_F(ReaderInterop, Mp3TaggedByMutagenInVersion23WithUtf16Text) {
  if (!HaveTool("lame")) {
    GTEST_SKIP();
  }
  const std::string mp3 = Dir.File("v23.mp3");
  Run("lame --quiet -b 160 " + Quote(Source()) + " " + Quote(mp3));
  Tag(mp3,
      "t = ID3()\n"
      "t.add(TIT2(encoding=1, text='\\u041f\\u0435\\u0441\\u043d\\u044f'))\n"
      "t.add(TPE1(encoding=0, text='Bj\\u00f6rk'))\n"
      "t.add(TALB(encoding=1, text='Caf\\u00e9'))\n"
      "t.add(TDRC(encoding=0, text='1997'))\n"
      "t.add(TCON(encoding=0, text='Trip-Hop'))\n"
      "t.add(COMM(encoding=1, lang='eng', desc='', text='\\u00bfQu\\u00e9?'))\n"
      "t.add(TRCK(encoding=0, text='11'))\n"
      "t.save(path, v2_version=3)\n");
  const SongInformation info = ReadSongInformation(mp3);
  EXPECT_EQ(info.TagVersion, "2.3");
  ExpectTagsAsMutagen(info, mp3);
  ExpectStreamAsProbe(info, mp3, Mp3Frame, brStream);
}

TEST_F(ReaderInterop, LameVariableBitRateMp3) {
  if (!HaveTool("lame")) {
    GTEST_SKIP();
  }
  const std::string mp3 = Dir.File("vbr.mp3");
  Run("lame --quiet -V 4 " + Quote(Source()) + " " + Quote(mp3));
  const SongInformation info = ReadSongInformation(mp3);
  EXPECT_TRUE(info.StreamInfo.BitRate.ends_with("kbit/s VBR")) << info.StreamInfo.BitRate;
  ExpectStreamAsProbe(info, mp3, Mp3Frame, brAverage);
}

TEST_F(ReaderInterop, OggencVorbisWithComments) {
  if (!HaveTool("oggenc")) {
    GTEST_SKIP();
  }
  const std::string ogg = Dir.File("song.ogg");
  Run("oggenc -Q -q 3 -t 'Ogg \xE2\x99\xAA Title' -a 'Art\xC3\xAFst' -l Album -d 2011 -G Ambient -N 3 "
      "-c 'comment=Spoken here' " + Quote(Source()) + " -o " + Quote(ogg));
  const SongInformation info = ReadSongInformation(ogg);
  ExpectTagsAsMutagen(info, ogg);
  ExpectStreamAsProbe(info, ogg, 0.01, brAverage);
  EXPECT_TRUE(info.StreamInfo.BitRate.ends_with(", nominal " + std::to_string(
      std::stoi(ProbeValue(ogg, "stream=bit_rate")) / 1000))) << info.StreamInfo.BitRate;
}

TEST_F(ReaderInterop, FlacWithVorbisComments) {
  if (!HaveTool("flac")) {
    GTEST_SKIP();
  }
  const std::string flac = Dir.File("song.flac");
  Run("flac -s -T 'TITLE=Flac \xC3\xA9t\xC3\xA9' -T ARTIST=Band -T ALBUM=Record -T DATE=2020 -T GENRE=Folk "
      "-T COMMENT=Lossless -T TRACKNUMBER=9 " + Quote(Source(1, 48000)) + " -o " + Quote(flac));
  const SongInformation info = ReadSongInformation(flac);
  ExpectTagsAsMutagen(info, flac);
  ExpectStreamAsProbe(info, flac, 0.01, brNone);
}

TEST_F(ReaderInterop, FfmpegWmaWithMetadata) {
  const std::string wma = Dir.File("song.wma");
  Run("ffmpeg -v error -y -i " + Quote(Source()) + " -c:a wmav2 -b:a 128k -metadata 'title=Wma \xE2\x99\xAA' "
      "-metadata artist=Singer -metadata album=Disc -metadata date=2008 -metadata genre=Pop "
      "-metadata comment=Windows -metadata track=4 " + Quote(wma));
  const SongInformation info = ReadSongInformation(wma);
  EXPECT_EQ(info.TagExists, "Yes");
  ExpectTagsAsMutagen(info, wma);
  ExpectStreamAsProbe(info, wma, 2048.0 / 44100, brStream);

  const std::string mono = Dir.File("mono.wma");
  Run("ffmpeg -v error -y -i " + Quote(Source(1, 22050)) + " -c:a wmav1 -b:a 32k " + Quote(mono));
  ExpectStreamAsProbe(ReadSongInformation(mono), mono, 2048.0 / 22050, brStream);
}

TEST_F(ReaderInterop, PcmWavFromFfmpegAndSox) {
  const std::string listed = Dir.File("ffmpeg.wav");
  Run("ffmpeg -v error -y -i " + Quote(Source()) + " -c:a pcm_s16le " + Quote(listed));
  const SongInformation info = ReadSongInformation(listed);
  EXPECT_EQ(info.StreamInfo.Valid, "Yes");
  ExpectStreamAsProbe(info, listed, 0.001, brNone);

  const std::string eightBit = Source(1, 22050, 8);
  ExpectStreamAsProbe(ReadSongInformation(eightBit), eightBit, 0.001, brNone);
}

TEST_F(ReaderInterop, AdpcmWavFromSox) {
  for (const char* encoding : {"ima-adpcm", "ms-adpcm"}) {
    const std::string wav = Dir.File(std::string(encoding) + ".wav");
    Run("sox " + Quote(Source()) + " -e " + encoding + " " + Quote(wav));
    const SongInformation info = ReadSongInformation(wav);
    EXPECT_EQ(info.StreamInfo.Valid, "Yes") << encoding;
    ExpectStreamAsProbe(info, wav, 2048.0 / 44100, brNone);
  }
}
