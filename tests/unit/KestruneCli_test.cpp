// Runs the real kestrune-cli with its settings in a temporary folder.

#include <filesystem>
#include <gtest/gtest.h>

#include "support/ConfigHome.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class KestruneCliTest : public ::testing::Test {
protected:
  ToolResult Cli(const std::string& arguments) {
    return RunTool("cd " + Quote(Work.Path().string()) + " && " + Home.EnvironmentPrefix() +
                   Quote(BuiltBinary("kestrune-cli")) + " " + arguments + " 2>&1");
  }

  std::string Wave(const std::string& name) {
    WriteFileBytes(Work.File(name), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(8820, 2, 44100))));
    return name;
  }

  ScopedConfigHome Home;
  TempDir Work;
};

std::string Text(const std::string& fileName) {
  const auto bytes = ReadFileBytes(fileName);
  return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST_F(KestruneCliTest, ConvertsNamesTheOutputsByStyleAndWritesThePlaylist) {
  Wave("a.wav");
  Wave("b.wav");
  const ToolResult run = Cli("-f WAV -o out a.wav b.wav --playlist m3u --name-style 2");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  const std::string out = fs::canonical(Work.File("out")).string();
  EXPECT_EQ(ReadFileBytes(out + "/01-a.WAV"), ReadFileBytes(Work.File("a.wav")));
  EXPECT_EQ(ReadFileBytes(out + "/02-b.WAV"), ReadFileBytes(Work.File("b.wav")));
  std::string playlist;
  for (const auto& entry : fs::directory_iterator(out)) {
    if (entry.path().extension() == ".m3u") {
      playlist = Text(entry.path().string());
      EXPECT_TRUE(entry.path().filename().string().starts_with("PlayList-"));
    }
  }
  // The files hold no tags, so the entries' titles are empty; the names fall back to the files' names.
  EXPECT_EQ(playlist, "#EXTM3U\r\n#EXTINF:0,-\r\n01-a.WAV\r\n#EXTINF:0,-\r\n02-b.WAV\r\n");
  EXPECT_NE(run.Output.find("2 of 2 files converted"), std::string::npos) << run.Output;
  EXPECT_FALSE(fs::exists(Home.RegistryFile()));  // nothing stored without --save
}

TEST_F(KestruneCliTest, AFolderStandsForItsAudioFilesAndKeepFoldersMirrorsItsTree) {
  fs::create_directories(Work.File("lib/A/B"));
  fs::create_directories(Work.File("lib/C"));
  Wave("lib/A/B/x.wav");
  Wave("lib/C/y.wav");
  Wave("lib/top.wav");
  WriteFileBytes(Work.File("lib/C/notes.txt"), {1});
  const ToolResult run = Cli("-q -f WAV -o out --keep-folders --pattern '<Source Name>' lib");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_EQ(ReadFileBytes(Work.File("out/A/B/x.WAV")), ReadFileBytes(Work.File("lib/A/B/x.wav")));
  EXPECT_TRUE(fs::is_regular_file(Work.File("out/C/y.WAV")));
  EXPECT_TRUE(fs::is_regular_file(Work.File("out/top.WAV")));
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(Work.File("out")), {}), 6);  // 3 files, 3 folders
}

TEST_F(KestruneCliTest, EveryFailureIsPrintedAndTheOtherFilesAreStillConverted) {
  Wave("a.wav");
  const ToolResult run = Cli("-q -f WAV -o out --name-style 1 missing.wav a.wav notes.txt");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Output.find("missing.wav: cannot open (No such file or directory)"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("notes.txt: not converted"), std::string::npos) << run.Output;
  EXPECT_TRUE(fs::exists(Work.File("out/a.WAV")));
}

TEST_F(KestruneCliTest, BadUsageExitsWithTwo) {
  for (const char* arguments : {"-f AAC a.wav", "--name-style 7 a.wav", "--bogus a.wav", "--set NoSuch=1 a.wav",
                                "--existing keep a.wav", "--set OGGCompressionLevel=5 a.wav", "-o", ""}) {
    const ToolResult run = Cli(arguments);
    EXPECT_EQ(run.ExitCode, 2) << arguments << "\n" << run.Output;
  }
  const ToolResult help = Cli("--help");
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_TRUE(help.Output.starts_with("Usage: kestrune-cli [options] FILE..."));
}

TEST_F(KestruneCliTest, ErrorsNameTheOptionNotTheSetting) {
  const std::pair<const char*, const char*> runs[] = {{"-f AAC a.wav", "--format: \"AAC\""},
                                                      {"--format=AAC a.wav", "--format: \"AAC\""},
                                                      {"--playlist xspf a.wav", "--playlist: \"xspf\""},
                                                      {"--info -j 0 a.wav", "--jobs: \"0\""},
                                                      {"--set RipToFormat=AAC a.wav", "RipToFormat: \"AAC\""}};
  for (const auto& [arguments, message] : runs) {
    const ToolResult run = Cli(arguments);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Output.starts_with(std::string("kestrune-cli: ") + message)) << run.Output;
  }
}

TEST_F(KestruneCliTest, HelpAndVersionLoadNeitherFFmpegNorACodecLibrary) {
  const std::string version = Cli("--version").Output;
  EXPECT_TRUE(version.starts_with("kestrune-cli ") && version.find('.') != std::string::npos) << version;
  std::vector<std::string> runs = {Quote(BuiltBinary("kestrune-cli")) + " --help", Quote(BuiltBinary("kestrune-cli")) + " --version"};
  if (fs::exists(BuiltBinary("kestrune"))) {
    runs.push_back(Quote(BuiltBinary("kestrune")) + " --version");
  }
  for (const std::string& run : runs) {
    // The dynamic loader names every library it looks for, at start and on dlopen.
    const ToolResult traced = RunTool("LD_DEBUG=libs " + run + " 2>&1");
    EXPECT_EQ(traced.ExitCode, 0) << run;
    for (const char* library : {"libavformat", "libavcodec", "libavutil", "libswresample", "libogg", "libvorbis",
                                "libmp3lame", "libFLAC", "libMACDll", "libsoxr"}) {
      EXPECT_EQ(traced.Output.find(library), std::string::npos) << run << " loads " << library;
    }
  }
}

TEST_F(KestruneCliTest, ABatchWithoutMp3OrWmaInputLoadsNoFFmpeg) {
  Wave("a.wav");
  const ToolResult traced = RunTool("cd " + Quote(Work.Path().string()) + " && " + Home.EnvironmentPrefix() +
                                    "LD_DEBUG=libs " + Quote(BuiltBinary("kestrune-cli")) + " -q -f WAV -o out a.wav 2>&1");
  EXPECT_EQ(traced.ExitCode, 0) << traced.Output;
  for (const char* library : {"libavformat", "libavcodec", "libavutil"}) {
    EXPECT_EQ(traced.Output.find(library), std::string::npos) << "loads " << library;
  }
}

TEST_F(KestruneCliTest, SavedSettingsApplyToLaterRuns) {
  Wave("a.wav");
  ASSERT_EQ(Cli("--save -f wav -o saved --name-style 0 --set InformWhenDone=1").ExitCode, 0);
  const ToolResult run = Cli("a.wav");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_TRUE(fs::exists(Work.File("saved/01.WAV")));
  const std::string stored = Text(Home.RegistryFile());
  EXPECT_NE(stored.find("\"RipToFormat\"=\"WAV\""), std::string::npos);
  EXPECT_NE(stored.find("\"ConvFilePath\"=\"" + Work.File("saved") + "\""), std::string::npos) << stored;
  EXPECT_EQ(stored.find("RunPath"), std::string::npos);
  EXPECT_EQ(stored.find("\"Width\""), std::string::npos);  // no window size it never had
}

TEST_F(KestruneCliTest, InfoPrintsOneJsonObjectPerFile) {
  Wave("a.wav");
  WriteFileBytes(Work.File("notes.txt"), {'h', 'i'});
  const ToolResult run = RunTool("cd " + Quote(Work.Path().string()) + " && " + Home.EnvironmentPrefix() +
                                 Quote(BuiltBinary("kestrune-cli")) + " --info a.wav notes.txt");
  ASSERT_EQ(run.ExitCode, 0);
  const size_t firstEnd = run.Output.find('\n');
  ASSERT_NE(firstEnd, std::string::npos);
  const std::string first = run.Output.substr(0, firstEnd);
  EXPECT_EQ(first.front(), '{');
  EXPECT_EQ(first.back(), '}');
  EXPECT_NE(first.find("\"StreamInfo\":{"), std::string::npos) << first;
  EXPECT_NE(first.find("\"Duration\":0.2"), std::string::npos) << first;
  EXPECT_EQ(std::count(run.Output.begin(), run.Output.end(), '\n'), 2) << run.Output;
}

TEST_F(KestruneCliTest, OutputsAreNamedAfterTheFilesTags) {
  ASSERT_TRUE(HaveTool("flac"));
  Wave("a.wav");
  ASSERT_EQ(RunTool("cd " + Quote(Work.Path().string()) + " && flac -s --best -T TITLE=Tagged -T ARTIST=Someone -o a.flac a.wav").ExitCode, 0);
  const ToolResult run = Cli("-f WAV -o out a.flac --name-style 4");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_TRUE(fs::exists(Work.File("out") + "/01-Someone-Tagged.WAV")) << run.Output;
}
