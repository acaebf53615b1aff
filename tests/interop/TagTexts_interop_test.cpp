// Tag texts from files made by other tools, through the driver into each output, read back by
// mutagen: a 300-character title, non-ASCII text and two artists arrive as the source has them.

#include <gtest/gtest.h>

#include "app/ConversionDriver.h"
#include "app/RowFromFile.h"
#include "support/ReferenceTools.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

// Title, artists (joined with "; "), album and album artist as mutagen reads them.
constexpr const char* ReadTexts = R"(
import sys, mutagen
from mutagen.id3 import ID3
f = mutagen.File(sys.argv[1])
t = f.tags
if isinstance(t, ID3):
    get = lambda k: list(t[k].text) if k in t else []
    print(get("TIT2"), get("TPE1"), get("TALB"), get("TPE2"), sep="|")
else:
    print(t.get("title", []), t.get("artist", []), t.get("album", []), t.get("albumartist", []), sep="|")
)";

// Sets the texts with mutagen, as its own tag kind for each format.
constexpr const char* WriteTexts = R"(
import sys, mutagen
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TPE2
path, title = sys.argv[1], "T" * 290 + " Caf\u00e9 \u2603"
f = mutagen.File(path)
if path.endswith((".mp3", ".wav")):
    if f.tags is None:
        f.add_tags()
    for frame in (TIT2(encoding=3, text=[title]), TPE1(encoding=3, text=["Ana", "B\u00f8"]),
                  TALB(encoding=3, text=["Alb"]), TPE2(encoding=3, text=["Va"])):
        f.tags.add(frame)
    f.save(v2_version=4) if path.endswith(".mp3") else f.save()
else:
    f["title"], f["artist"], f["album"], f["albumartist"] = [title], ["Ana", "B\u00f8"], ["Alb"], ["Va"]
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
    const std::string path = FDir.File(name);
    if (RunTool("sh -c " + Quote(make) + " " + Quote(wav) + " " + Quote(path)).ExitCode != 0) {
      return {};
    }
    const std::string script = FDir.File("write.py");
    WriteFileBytes(script, std::vector<uint8_t>(WriteTexts, WriteTexts + std::char_traits<char>::length(WriteTexts)));
    EXPECT_EQ(RunTool("/usr/bin/python3 " + Quote(script) + " " + Quote(path)).ExitCode, 0);
    return path;
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
                           {"in.wav", "cp \"$0\" \"$1\""}};
  for (const TInput& input : inputs) {
    const std::string source = Source(input.Name, input.Make);
    ASSERT_FALSE(source.empty()) << input.Name;
    const std::string expected = Texts(source);
    ASSERT_NE(expected.find("'Ana', 'B"), std::string::npos) << input.Name << ": " << expected;
    for (const char* format : {"MP3", "OGG", "FLAC", "WAV"}) {
      TSettings settings;
      settings.SetText(sn::ConvFilePath, FDir.File(std::string("out-") + input.Name) + "/");
      settings.SetText(sn::OutputPattern, "<Source Name>");
      settings.SetText(sn::RipToFormat, format);
      TConversionDriver driver(settings, BuiltBinary(""));
      const TBatchResult result = driver.Convert({ReadConversionRow(source)});
      ASSERT_TRUE(result.AllCompleted()) << input.Name << " to " << format << ": " << result.Rows.at(0).Message;
      EXPECT_EQ(Texts(result.Rows.at(0).Output), expected) << input.Name << " to " << format;
    }
  }
}

}  // namespace
