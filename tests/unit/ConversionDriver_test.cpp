#include "app/ConversionDriver.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "formats/wave/ACS_Wave.h"
#include "platform/IniFiles.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;
namespace sn = SettingNames;

namespace {

// The "data" chunk of a canonical WAV file: the audio without the tag chunks the row adds after it.
std::vector<uint8_t> WaveData(const std::string& fileName) {
  const std::vector<uint8_t> bytes = ReadFileBytes(fileName);
  const size_t end = std::min<size_t>(bytes.size(), 44 + (bytes.size() >= 44 ? Le32At(bytes, 40) : 0));
  return std::vector<uint8_t>(bytes.begin() + std::min<size_t>(36, end), bytes.begin() + end);
}

// Records what the driver reports; can stop the batch at a chosen moment.
class TRecorder : public TConversionObserver {
public:
  explicit TRecorder(TConversionDriver& driver) : FDriver(driver) {}

  void RowStarted(int32_t row, const std::string&, const std::string&) override { Started.push_back(row); }
  void FileProgress(int32_t row, int32_t) override {
    if (row == StopAtRow) {
      FDriver.Stop();
    }
  }
  void RowStatus(int32_t row, const std::string& status) override { Statuses[row] = status; }
  void RowFailed(int32_t, const std::string& message) override { Failures.push_back(message); }
  void TotalProgress(int32_t position, int32_t maximum) override { Total = {position, maximum}; }
  void Inform(const std::string& text, const std::string& title) override { Notice = text + "|" + title; }
  void WaitForRow(TRowWait& wait) override {
    ++Waits;
    if (StopAfterWaits > 0 && Waits >= StopAfterWaits) {
      FDriver.Stop();
    }
    wait.WaitFor(std::chrono::milliseconds(20));
  }
  bool ContinueAfterFailure() const override { return Continue; }

  std::vector<int32_t> Started;
  std::map<int32_t, std::string> Statuses;
  std::vector<std::string> Failures;
  std::pair<int32_t, int32_t> Total{-1, -1};
  std::string Notice;
  int Waits = 0;
  int StopAfterWaits = 0;
  int32_t StopAtRow = 0;
  bool Continue = true;

private:
  TConversionDriver& FDriver;
};

class ConversionDriverTest : public ::testing::Test {
protected:
  ConversionDriverTest() {
    Settings.SetText(sn::RipToFormat, "WAV");
    Settings.SetText(sn::ConvFilePath, Out() + "/");
    Settings.SetInteger(sn::OutputFileNameFormat, 2);
    Settings.SetInteger(sn::Jobs, 1);
    Driver.SetObserver(&Recorder);
  }

  std::string Out() const { return Dir.File("out"); }

  std::string Wave16(const std::string& name, int frames = 4410) {
    const std::string file = Dir.File(name);
    WriteFileBytes(file, PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(frames, 2, 44100))));
    return file;
  }

  static TConversionRow Row(const std::string& file, const std::string& title, bool checked = true) {
    TConversionRow row;
    row.FileName = file;
    row.Title = title;
    row.Checked = checked;
    row.Duration = "0:00:01";
    return row;
  }

  TempDir Dir;
  TSettings Settings;
  TConversionDriver Driver{Settings, Dir.Path().string()};
  TRecorder Recorder{Driver};
};

}  // namespace

TEST_F(ConversionDriverTest, CheckedRowsBecomeNumberedFilesAndUncheckedOnesAreSkipped) {
  const std::string mono8 = Dir.File("c.wav");
  WriteFileBytes(mono8, PcmWaveFile(1, 22050, 8, MakeSine8(2205, 1, 22050)));
  Settings.SetInteger(sn::SavePlayList, 1);
  Settings.SetText(sn::PlaylistPaths, "Absolute");
  Settings.SetBoolean(sn::InformWhenDone, true);
  const TBatchResult result = Driver.Convert({Row(Wave16("a.wav"), "A"), Row(Wave16("b.wav"), "B", false), Row(mono8, "C")});

  EXPECT_TRUE(result.AllCompleted());
  EXPECT_EQ(Recorder.Started, (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(Recorder.Total, std::make_pair(3, 3));
  EXPECT_EQ(Recorder.Statuses[1], "Complete");
  EXPECT_EQ(Recorder.Statuses[3], "Complete");
  EXPECT_EQ(Recorder.Notice, "Operation complete successful|All Done");
  EXPECT_TRUE(fs::exists(Out() + "/01-A.WAV"));
  EXPECT_FALSE(fs::exists(Out() + "/02-B.WAV"));

  // The 8-bit mono row went through both stages: 16-bit stereo at its own rate.
  const auto converted = ReadFileBytes(Out() + "/03-C.WAV");
  EXPECT_EQ(Le16At(converted, 22), 2);
  EXPECT_EQ(Le32At(converted, 24), 22050u);
  EXPECT_EQ(Le16At(converted, 34), 16);
  EXPECT_EQ(Le32At(converted, 40), 2205u * 4);

  ASSERT_FALSE(result.PlaylistFile.empty());
  const auto playlist = ReadFileBytes(result.PlaylistFile);
  EXPECT_EQ(std::string(playlist.begin(), playlist.end()),
            "#EXTM3U\r\n#EXTINF:1,-A\r\n" + Out() + "/01-A.WAV\r\n#EXTINF:1,-C\r\n" + Out() + "/03-C.WAV\r\n");
}

TEST_F(ConversionDriverTest, FailedRowIsReportedAndTheCommandLineGoesOn) {
  const TBatchResult result = Driver.Convert({Row(Dir.File("missing.wav"), "M"), Row(Wave16("a.wav"), "A")});
  ASSERT_EQ(result.Rows.size(), 2u);
  EXPECT_FALSE(result.Rows[0].Completed);
  EXPECT_EQ(result.Rows[0].Message, Dir.File("missing.wav") + ": cannot open (No such file or directory)");
  EXPECT_EQ(Recorder.Failures, std::vector<std::string>{result.Rows[0].Message});
  EXPECT_TRUE(result.Rows[1].Completed);
  EXPECT_FALSE(result.AllCompleted());
  EXPECT_EQ(Recorder.Statuses.count(1), 0u);  // the failed row keeps its status text
  EXPECT_FALSE(fs::exists(Out() + "/01-M.WAV"));
}

TEST_F(ConversionDriverTest, FailedRowWaitsForStopInTheWindow) {
  Recorder.Continue = false;
  Recorder.StopAfterWaits = 3;
  Settings.SetBoolean(sn::InformWhenDone, true);
  const TBatchResult result = Driver.Convert({Row(Dir.File("missing.wav"), "M"), Row(Wave16("a.wav"), "A")});
  EXPECT_GE(Recorder.Waits, 3);
  EXPECT_TRUE(result.Stopped);
  EXPECT_EQ(Recorder.Started, std::vector<int32_t>{1});
  EXPECT_EQ(Recorder.Notice, "");  // a batch with a failure is not called successful
  EXPECT_FALSE(Driver.Converting());
}

TEST_F(ConversionDriverTest, StopDuringTheSecondRowFinishesItsFileAndStartsNoOther) {
  Settings.SetInteger(sn::SavePlayList, 2);
  Recorder.StopAtRow = 2;
  std::vector<TConversionRow> rows;
  for (int i = 0; i < 5; ++i) {
    rows.push_back(Row(Wave16("in" + std::to_string(i) + ".wav", 44100 * 3), "T" + std::to_string(i)));
  }
  const TBatchResult result = Driver.Convert(rows);
  EXPECT_TRUE(result.Stopped);
  ASSERT_EQ(result.Rows.size(), 2u);
  EXPECT_TRUE(result.Rows[1].Completed);
  EXPECT_TRUE(result.Rows[1].Stopped);
  EXPECT_FALSE(result.Rows[0].Stopped);
  EXPECT_EQ(Recorder.Statuses[2], "Stopped");
  EXPECT_EQ(Recorder.Total, std::make_pair(1, 5));
  const auto partial = ReadFileBytes(Out() + "/02-T1.WAV");
  // The audio written so far, then the row's tag chunks.
  ASSERT_LE(Le32At(partial, 40) + 48, partial.size());
  EXPECT_EQ(std::string(partial.begin() + 44 + Le32At(partial, 40), partial.begin() + 48 + Le32At(partial, 40)), "LIST");
  EXPECT_EQ(Le32At(partial, 4), partial.size() - 8);
  EXPECT_FALSE(fs::exists(Out() + "/03-T2.WAV"));
  EXPECT_EQ(GetPrivateProfileString("playlist", "NumberOfEntries", "", result.PlaylistFile), "2");
}

TEST_F(ConversionDriverTest, FormatsNotInThisBuildFailTheirRowsByName) {
  const std::string flac = Dir.File("x.flac");
  WriteFileBytes(flac, {1, 2, 3});
  const std::string text = Dir.File("x.txt");
  WriteFileBytes(text, {1});
  // A build that wires WAV alone.
  TFormatTable waveOnly;
  WireWave(waveOnly);
  TConversionDriver driver(Settings, Dir.Path().string(), waveOnly);
  TRecorder recorder(driver);
  driver.SetObserver(&recorder);
  TBatchResult result = driver.Convert({Row(flac, "F"), Row(text, "T")});
  EXPECT_EQ(result.Rows[0].Message, flac + ": reading .FLAC files is not available in this build");
  EXPECT_EQ(result.Rows[1].Message, text + ": Unsupported audio format");

  Settings.SetText(sn::RipToFormat, "OGG");
  result = driver.Convert({Row(Wave16("a.wav"), "A")});
  EXPECT_EQ(result.Rows[0].Message, Dir.File("a.wav") + ": OGG output is not available in this build");
}

TEST_F(ConversionDriverTest, UnreadableInputFailsItsRowWithoutAnOutput) {
  const std::string junk = Dir.File("junk.wav");
  WriteFileBytes(junk, std::vector<uint8_t>(300, 0x41));
  const TBatchResult result = Driver.Convert({Row(junk, "J")});
  EXPECT_EQ(result.Rows[0].Message, junk + ": cannot be read as a WAV file (damaged or an unsupported kind)");
  EXPECT_FALSE(fs::exists(Out() + "/01-J.WAV"));
}

TEST_F(ConversionDriverTest, NoOutputReplacesAnInputOfTheBatchReadAlreadyOrNot) {
  // Style 0 into the inputs' own folder, even with Overwrite: row 1 would write row 3's input
  // (not read yet), row 2 row 1's (read already), row 4 its own, row 5 a hard link to row 1's.
  Settings.SetText(sn::ConvFilePath, Dir.Path().string());
  Settings.SetInteger(sn::OutputFileNameFormat, 0);
  Settings.SetText(sn::ExistingFiles, "Overwrite");
  const std::vector<std::string> inputs = {Wave16("02.WAV"), Wave16("03.WAV", 8820), Wave16("01.WAV", 2205),
                                           Wave16("04.WAV", 1000)};
  fs::create_hard_link(inputs[0], Dir.File("05.WAV"));
  const std::vector<uint64_t> before = FileDigests(inputs);
  const TBatchResult result = Driver.Convert({Row(inputs[0], "A"), Row(inputs[1], "B"), Row(inputs[2], "C"),
                                              Row(inputs[3], "D"), Row(inputs[2], "E")});
  EXPECT_TRUE(result.AllCompleted());
  EXPECT_EQ(FileDigests(inputs), before);
  EXPECT_EQ(FileDigests({Dir.File("05.WAV")})[0], before[0]);
  std::vector<std::string> outputs;
  for (const TRowResult& row : result.Rows) {
    outputs.push_back(fs::path(row.Output).filename().string());
  }
  EXPECT_EQ(outputs, (std::vector<std::string>{"01 (2).WAV", "02 (2).WAV", "03 (2).WAV", "04 (2).WAV", "05 (2).WAV"}));
  EXPECT_EQ(WaveData(Dir.File("03 (2).WAV")), WaveData(inputs[2]));
}

TEST_F(ConversionDriverTest, ExistingFilesAreRenamedAroundSkippedOrReplacedButNeverWrittenThroughALink) {
  Settings.SetInteger(sn::OutputFileNameFormat, 1);
  Settings.SetInteger(sn::SavePlayList, 1);
  fs::create_directories(Out());
  WriteFileBytes(Dir.File("outside.txt"), {'k', 'e', 'e', 'p'});
  const auto prepare = [&] {
    for (const auto& entry : fs::directory_iterator(Out())) {
      fs::remove(entry.path());
    }
    WriteFileBytes(Out() + "/A.WAV", {'m', 'i', 'n', 'e'});
    fs::create_symlink(Dir.File("outside.txt"), Out() + "/B.WAV");
  };
  const std::vector<TConversionRow> rows = {Row(Wave16("a.wav"), "A"), Row(Wave16("b.wav"), "B")};

  prepare();
  TBatchResult result = Driver.Convert(rows);
  EXPECT_EQ(result.Rows[0].Output, Out() + "/A (2).WAV");
  EXPECT_EQ(result.Rows[1].Output, Out() + "/B (2).WAV");
  EXPECT_EQ(ReadFileBytes(Out() + "/A.WAV"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  EXPECT_EQ(WaveData(Out() + "/A (2).WAV"), WaveData(Dir.File("a.wav")));

  prepare();
  Settings.SetText(sn::ExistingFiles, "Skip");
  result = Driver.Convert(rows);
  EXPECT_TRUE(result.AllCompleted());
  EXPECT_TRUE(result.Rows[0].Skipped && result.Rows[1].Skipped);
  EXPECT_EQ(result.Rows[0].Output, Out() + "/A.WAV");
  EXPECT_EQ(Recorder.Statuses[2], "Skipped");
  EXPECT_EQ(ReadFileBytes(Out() + "/A.WAV"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(result.PlaylistFile.empty());  // nothing was written, so no playlist either

  prepare();
  Settings.SetText(sn::ExistingFiles, "Overwrite");
  result = Driver.Convert(rows);
  EXPECT_EQ(result.Rows[0].Output, Out() + "/A.WAV");
  EXPECT_EQ(WaveData(Out() + "/A.WAV"), WaveData(Dir.File("a.wav")));
  EXPECT_EQ(result.Rows[1].Output, Out() + "/B (2).WAV");
  EXPECT_TRUE(fs::is_symlink(Out() + "/B.WAV"));
  EXPECT_EQ(ReadFileBytes(Dir.File("outside.txt")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(ConversionDriverTest, PlaylistsListOnlyWrittenFilesKeepEarlierOnesAndReportFailures) {
  Settings.SetInteger(sn::SavePlayList, 1);
  const TBatchResult first = Driver.Convert({Row(Dir.File("missing.wav"), "M"), Row(Wave16("a.wav"), "A")});
  const auto firstList = ReadFileBytes(first.PlaylistFile);
  EXPECT_EQ(std::string(firstList.begin(), firstList.end()), "#EXTM3U\r\n#EXTINF:1,-A\r\n02-A.WAV\r\n");
  const TBatchResult second = Driver.Convert({});
  EXPECT_EQ(second.PlaylistFile, PlaylistBaseName(Out()) + " (2).m3u");
  EXPECT_EQ(ReadFileBytes(first.PlaylistFile), firstList);

  // A folder whose playlist name is too long for the system: the batch says why.
  std::string folder = Dir.Path().string();
  while (folder.size() < 4060) {
    folder += "/" + std::string(std::min<size_t>(200, 4060 - folder.size()), 'f');
  }
  Settings.SetText(sn::ConvFilePath, folder);
  const TBatchResult failed = Driver.Convert({});
  EXPECT_TRUE(failed.PlaylistFile.empty());
  EXPECT_NE(failed.PlaylistError.find("PlayList-"), std::string::npos);
  EXPECT_NE(failed.PlaylistError.find("(File name too long)"), std::string::npos) << failed.PlaylistError;
}

TEST_F(ConversionDriverTest, AnInputThatIsNoFileSaysWhatItIs) {
  fs::create_directories(Dir.File("x.mp3"));
  fs::create_symlink("loop.wav", Dir.File("loop.wav"));
  const TBatchResult result = Driver.Convert({Row(Dir.File("x.mp3"), "X"), Row(Dir.File("loop.wav"), "L")});
  EXPECT_EQ(result.Rows[0].Message, Dir.File("x.mp3") + ": cannot open (it is a folder)");
  EXPECT_EQ(result.Rows[1].Message, Dir.File("loop.wav") + ": cannot open (Too many levels of symbolic links)");
}

TEST_F(ConversionDriverTest, RowsWithTheSameNameGetNumberedCopies) {
  Settings.SetInteger(sn::OutputFileNameFormat, 1);
  Settings.SetInteger(sn::SavePlayList, 1);
  const TBatchResult result = Driver.Convert({Row(Wave16("a.wav"), "Same"), Row(Wave16("b.wav"), "same"),
                                              Row(Wave16("c.wav"), "")});
  EXPECT_TRUE(result.AllCompleted());
  EXPECT_TRUE(fs::exists(Out() + "/Same.WAV"));
  EXPECT_TRUE(fs::exists(Out() + "/same (2).WAV"));
  EXPECT_TRUE(fs::exists(Out() + "/c.WAV"));
  const auto playlist = ReadFileBytes(result.PlaylistFile);
  EXPECT_NE(std::string(playlist.begin(), playlist.end()).find("\nsame (2).WAV"), std::string::npos);
}

TEST_F(ConversionDriverTest, UnusableFolderOrFormatStopsTheBatchBeforeItStarts) {
  Settings.SetText(sn::ConvFilePath, "");
  EXPECT_THROW(Driver.Convert({}), EConversionError);
  WriteFileBytes(Dir.File("file"), {1});
  Settings.SetText(sn::ConvFilePath, Dir.File("file") + "/sub");
  EXPECT_THROW(Driver.Convert({}), EConversionError);
  Settings.SetText(sn::ConvFilePath, Out());
  Settings.SetInteger(sn::RipToFormat, -1);
  try {
    Driver.Convert({});
    FAIL() << "no exception";
  } catch (const EConversionError& error) {
    EXPECT_STREQ(error.what(), "No output format is chosen: RipToFormat must be one of MP3, OGG, WMA, WAV, APE, FLAC.");
  }
  EXPECT_TRUE(Recorder.Started.empty());
}

TEST_F(ConversionDriverTest, EmptyListStillWritesAnEmptyPlaylist) {
  Settings.SetInteger(sn::SavePlayList, 1);
  Settings.SetText(sn::ConvFilePath, Out() + "//");
  const TBatchResult result = Driver.Convert({});
  EXPECT_TRUE(result.AllCompleted());
  EXPECT_EQ(fs::path(result.PlaylistFile).parent_path(), fs::path(Out()));
  EXPECT_EQ(ReadFileBytes(result.PlaylistFile).size(), std::string("#EXTM3U\r\n").size());
}

TEST(ConversionDriver, DurationTexts) {
  EXPECT_EQ(ParseDuration("0:04:05"), 245);
  EXPECT_EQ(ParseDuration("1:00:00"), 3600);
  EXPECT_EQ(ParseDuration("4:05"), 245);
  EXPECT_EQ(ParseDuration(""), -1);
  EXPECT_EQ(ParseDuration("abc"), -1);
  EXPECT_EQ(ParseDuration("1:60"), -1);
  EXPECT_EQ(ParseDuration("1::2"), -1);
  EXPECT_EQ(ParseDuration("1:2:3:4"), -1);
}

TEST_F(ConversionDriverTest, KeptFoldersMirrorTheSourceTreeAndThePlaylistListsThemRelatively) {
  fs::create_directories(Dir.File("lib/A/B"));
  fs::create_directories(Dir.File("lib/C"));
  TConversionRow deep = Row(Wave16("lib/A/B/x.wav"), "X");
  TConversionRow shallow = Row(Wave16("lib/C/y.wav"), "Y");
  TConversionRow top = Row(Wave16("lib/z.wav"), "Z");
  for (TConversionRow* row : {&deep, &shallow, &top}) {
    row->SourceRoot = Dir.File("lib");
  }
  Settings.SetBoolean(sn::KeepFolders, true);
  Settings.SetInteger(sn::SavePlayList, 1);
  const TBatchResult result = Driver.Convert({deep, shallow, top});
  ASSERT_TRUE(result.AllCompleted());
  EXPECT_TRUE(fs::is_regular_file(Out() + "/A/B/01-X.WAV"));
  EXPECT_TRUE(fs::is_regular_file(Out() + "/C/02-Y.WAV"));
  EXPECT_TRUE(fs::is_regular_file(Out() + "/03-Z.WAV"));
  const auto playlist = ReadFileBytes(result.PlaylistFile);
  EXPECT_EQ(std::string(playlist.begin(), playlist.end()),
            "#EXTM3U\r\n#EXTINF:1,-X\r\nA/B/01-X.WAV\r\n#EXTINF:1,-Y\r\nC/02-Y.WAV\r\n#EXTINF:1,-Z\r\n03-Z.WAV\r\n");
}

TEST_F(ConversionDriverTest, ASkippingReRunWritesNothingAndThenOnlyWhatIsNewOrChanged) {
  Settings.SetText(sn::ExistingFiles, "Skip");
  Settings.SetInteger(sn::SavePlayList, 1);
  Settings.SetText(sn::OutputPattern, "<Title>");
  std::vector<TConversionRow> rows = {Row(Wave16("a.wav"), "A"), Row(Wave16("b.wav"), "B")};
  ASSERT_TRUE(Driver.Convert(rows).AllCompleted());
  const auto written = fs::last_write_time(Out() + "/A.WAV");
  fs::remove(Driver.Convert({}).PlaylistFile);  // an empty list still writes its empty playlist
  const size_t files = std::distance(fs::directory_iterator(Out()), {});

  const TBatchResult again = Driver.Convert(rows);
  EXPECT_TRUE(again.AllCompleted());
  EXPECT_TRUE(again.Rows[0].Skipped && again.Rows[1].Skipped);
  EXPECT_TRUE(again.PlaylistFile.empty());
  EXPECT_EQ(fs::last_write_time(Out() + "/A.WAV"), written);
  EXPECT_EQ(std::distance(fs::directory_iterator(Out()), {}), static_cast<std::ptrdiff_t>(files));

  // b changed after its output was written, c is new: only they are converted, b in place.
  fs::last_write_time(rows[1].FileName, fs::last_write_time(Out() + "/B.WAV") + std::chrono::seconds(5));
  rows.push_back(Row(Wave16("c.wav"), "C"));
  const TBatchResult later = Driver.Convert(rows);
  EXPECT_TRUE(later.Rows[0].Skipped);
  EXPECT_FALSE(later.Rows[1].Skipped);
  EXPECT_EQ(later.Rows[1].Output, Out() + "/B.WAV");
  EXPECT_TRUE(later.Rows[2].Completed);
  EXPECT_EQ(fs::last_write_time(Out() + "/A.WAV"), written);
  EXPECT_FALSE(fs::exists(Out() + "/B (2).WAV"));
}

TEST_F(ConversionDriverTest, FourJobsWriteWhatOneJobWritesAndAFailingRowFailsAlone) {
  Settings.SetInteger(sn::SavePlayList, 1);
  std::vector<TConversionRow> rows;
  for (int i = 0; i < 20; ++i) {
    const std::string name = "in" + std::to_string(i) + ".wav";
    rows.push_back(Row(i == 7 ? Dir.File("missing.wav") : Wave16(name, 4410 * (1 + i % 3)), i % 2 ? "Same" : "T"));
  }
  const auto run = [&](int32_t jobs, const std::string& folder) {
    Settings.SetInteger(sn::Jobs, jobs);
    Settings.SetText(sn::ConvFilePath, Dir.File(folder));
    const TBatchResult result = Driver.Convert(rows);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (const TRowResult& row : result.Rows) {
      EXPECT_EQ(row.Completed, row.Row != 8) << row.Row;
      files.emplace_back(fs::path(row.Output).filename().string(), row.Completed ? ReadFileBytes(row.Output) : std::vector<uint8_t>{});
    }
    files.emplace_back("playlist", ReadFileBytes(result.PlaylistFile));
    return files;
  };
  EXPECT_EQ(run(4, "four"), run(1, "one"));
}

TEST_F(ConversionDriverTest, StopWithFourJobsFinishesEveryRunningFileWellFormed) {
  Settings.SetInteger(sn::Jobs, 4);
  std::vector<TConversionRow> rows;
  for (int i = 0; i < 8; ++i) {
    rows.push_back(Row(Wave16("in" + std::to_string(i) + ".wav", 44100 * 3), "T" + std::to_string(i)));
  }
  Recorder.StopAtRow = 3;
  const TBatchResult result = Driver.Convert(rows);
  EXPECT_TRUE(result.Stopped);
  EXPECT_LT(result.Rows.size(), rows.size());
  for (const TRowResult& row : result.Rows) {
    EXPECT_TRUE(row.Completed) << row.Row << ": " << row.Message;
  }
  // Only finished files are left: no half-written one and no temporary file beside them.
  size_t files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(Out())) {
    const std::vector<uint8_t> bytes = ReadFileBytes(entry.path().string());
    ASSERT_GE(bytes.size(), 44u) << entry.path();
    EXPECT_EQ(Le32At(bytes, 4), bytes.size() - 8) << entry.path();
    EXPECT_EQ(Le32At(bytes, 40) % 4, 0u) << entry.path();
    ++files;
  }
  EXPECT_EQ(files, result.Rows.size());
}

TEST_F(ConversionDriverTest, ARowOpensItsInputOnce) {
  // Counts the opens that reach the file, not the nested ones of format queries.
  struct TCountingWaveIn : TWaveIn {
    explicit TCountingWaveIn(int& opens) : Opens(opens) {}
    void OpenFile() override {
      Opens += OpenCount() == 0 ? 1 : 0;
      TWaveIn::OpenFile();
    }
    int& Opens;
  };
  int opens = 0;
  TFormatTable formats = DefaultFormatTable();
  formats.WireSource("WaveIn1", [&opens] { return std::make_unique<TCountingWaveIn>(opens); });
  TConversionDriver driver(Settings, Dir.Path().string(), std::move(formats));
  const std::string input = Wave16("in.wav");
  const TBatchResult result = driver.Convert({Row(input, "T")});
  ASSERT_TRUE(result.AllCompleted());
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(WaveData(result.Rows[0].Output), WaveData(input));
}
