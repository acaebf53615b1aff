// Tag texts from files made by other tools, through the driver into each output, read back by
// mutagen (and ffprobe for WMA and WAV): a 300-character title, non-ASCII text and two artists
// arrive as the source has them.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "app/RowFromFile.h"
#include "support/ReferenceTools.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

// Title, artists, album and album artist as mutagen reads them, each field's values joined with
// " + ", so a list written back as one "A; B" value shows as a fault.
constexpr const char* ReadTexts = R"(
import sys, mutagen
from mutagen.id3 import ID3
from mutagen.asf import ASFTags
from mutagen.apev2 import APEv2
from mutagen.mp4 import MP4Tags
f = mutagen.File(sys.argv[1])
t = f.tags
if isinstance(t, ID3):
    keys = ("TIT2", "TPE1", "TALB", "TPE2")
    get = lambda k: list(t[k].text) if k in t else []
elif isinstance(t, ASFTags):
    keys = ("Title", "Author", "WM/AlbumTitle", "WM/AlbumArtist")
    get = lambda k: [str(v) for v in t.get(k, [])]
elif isinstance(t, APEv2):
    keys = ("Title", "Artist", "Album", "Album Artist")
    get = lambda k: list(t[k]) if k in t else []
elif isinstance(t, MP4Tags):
    keys = ("\xa9nam", "\xa9ART", "\xa9alb", "aART")
    get = lambda k: list(t.get(k, []))
else:
    keys = ("title", "artist", "album", "albumartist")
    get = lambda k: t.get(k, [])
print(*[" + ".join(get(k)) for k in keys], sep="|")
)";

// Sets the texts with mutagen, as its own tag kind for each format.
constexpr const char* WriteTexts = R"(
import sys, mutagen
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TPE2
from mutagen.apev2 import APEv2
path, title = sys.argv[1], "T" * 290 + " Caf\u00e9 \u2603"
artists = ["Ana", "B\u00f8"]
if path.lower().endswith(".ape"):
    f = APEv2()
    f["Title"], f["Artist"], f["Album"], f["Album Artist"] = title, artists, "Alb", "Va"
    f.save(path)
    sys.exit()
f = mutagen.File(path)
if f.tags is None:
    f.add_tags()
if path.lower().endswith((".mp3", ".wav")):
    for frame in (TIT2(encoding=3, text=[title]), TPE1(encoding=3, text=artists),
                  TALB(encoding=3, text=["Alb"]), TPE2(encoding=3, text=["Va"])):
        f.tags.add(frame)
    f.save(v2_version=4) if path.lower().endswith(".mp3") else f.save()
    sys.exit()
if path.lower().endswith(".wma"):
    keys = ("Title", "Author", "WM/AlbumTitle", "WM/AlbumArtist")
elif path.lower().endswith(".m4a"):
    keys = ("\xa9nam", "\xa9ART", "\xa9alb", "aART")
else:
    keys = ("title", "artist", "album", "albumartist")
for key, value in zip(keys, ([title], artists, ["Alb"], ["Va"])):
    f[key] = value
f.save()
)";

class TagTextsTest : public ::testing::Test {
protected:
  // `make` is a shell command that turns the plain WAV ($0) into the new file ($1).
  std::string Source(const std::string& name, const std::string& make) {
    const std::string wav = FDir.File("plain.wav");
    if (RunTool("sox -n -r 44100 -c 2 -b 16 " + Quote(wav) + " synth 1 sine 440").ExitCode != 0) {
      return {};
    }
    std::string path = FDir.File(name);
    if (make.empty()) {
      path = Converted(wav, "APE");
    } else if (RunTool("sh -c " + Quote(make) + " " + Quote(wav) + " " + Quote(path)).ExitCode != 0) {
      return {};
    }
    const std::string script = FDir.File("write.py");
    WriteFileBytes(script, std::vector<uint8_t>(WriteTexts, WriteTexts + std::char_traits<char>::length(WriteTexts)));
    EXPECT_EQ(RunTool("/usr/bin/python3 " + Quote(script) + " " + Quote(path)).ExitCode, 0);
    return path;
  }

  std::string Converted(const std::string& source, const std::string& format) {
    TSettings settings;
    settings.SetWmaProfiles(ListWmaProfiles(BuiltBinary("")));
    settings.SetText(sn::ConvFilePath, FDir.File("out-" + std::filesystem::path(source).filename().string()) + "/");
    settings.SetText(sn::OutputPattern, "<Source Name>");
    settings.SetText(sn::RipToFormat, format);
    TConversionDriver driver(settings, BuiltBinary(""));
    const TBatchResult result = driver.Convert({ReadConversionRow(source)});
    EXPECT_TRUE(result.AllCompleted()) << source << " to " << format << ": " << result.Rows.at(0).Message;
    return result.Rows.at(0).Output;
  }

  std::string Texts(const std::string& file) {
    const std::string script = FDir.File("read.py");
    WriteFileBytes(script, std::vector<uint8_t>(ReadTexts, ReadTexts + std::char_traits<char>::length(ReadTexts)));
    return RunTool("/usr/bin/python3 " + Quote(script) + " " + Quote(file)).Output;
  }

  TempDir FDir;
};

TEST_F(TagTextsTest, EveryInputKindKeepsItsTextsInEveryOutput) {
  if (!HaveMutagen()) {
    GTEST_SKIP() << "mutagen is not installed";
  }
  struct TInput {
    const char* Name;
    const char* Make;
  };
  const TInput inputs[] = {{"in.flac", "flac -s -f -o \"$1\" \"$0\""},
                           {"in.ogg", "oggenc -Q -o \"$1\" \"$0\""},
                           {"in.mp3", "lame --quiet \"$0\" \"$1\""},
                           {"in.wav", "cp \"$0\" \"$1\""},
                           {"in.ape", ""},
                           {"in.wma", "ffmpeg -v error -y -i \"$0\" -c:a wmav2 \"$1\""},
                           {"in.m4a", "ffmpeg -v error -y -i \"$0\" -c:a aac \"$1\""},
                           {"in.opus", "ffmpeg -v error -y -i \"$0\" -c:a libopus \"$1\""}};
  for (const TInput& input : inputs) {
    const std::string source = Source(input.Name, input.Make);
    ASSERT_FALSE(source.empty()) << input.Name;
    const std::string expected = Texts(source);
    ASSERT_NE(expected.find("|Ana + B"), std::string::npos) << input.Name << ": " << expected;
    const std::string title = expected.substr(0, expected.find('|')) + "\n";
    for (const char* format : {"MP3", "OGG", "FLAC", "WAV", "APE", "WMA"}) {
      const std::string output = Converted(source, format);
      EXPECT_EQ(Texts(output), expected) << input.Name << " to " << format;
      if (std::string_view(format) == "WMA" || std::string_view(format) == "WAV") {
        EXPECT_EQ(RunTool("ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 " + Quote(output))
                      .Output,
                  title)
            << input.Name << " to " << format;
      }
    }
  }
}

}  // namespace
