#include "platform/IniFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string Text(const std::string& fileName) {
  const auto bytes = ReadFileBytes(fileName);
  return {bytes.begin(), bytes.end()};
}

void Put(const std::string& fileName, const std::string& text) {
  WriteFileBytes(fileName, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

TEST(IniFiles, WritingAKeyReplacesItsLineAndKeepsEverythingElse) {
  TempDir dir;
  const std::string file = dir.File("a.ini");
  Put(file, "; comment\n[One]\nA=1\nB = 2\n\n[Two]\nB=3\n");
  ASSERT_TRUE(WritePrivateProfileString("one", "b", "x", file));
  EXPECT_EQ(Text(file), "; comment\n[One]\nA=1\nb=x\n\n[Two]\nB=3\n");
}

TEST(IniFiles, MissingKeyGoesToTheEndOfItsSectionAndMissingSectionToTheEnd) {
  TempDir dir;
  const std::string file = dir.File("a.ini");
  Put(file, "[One]\r\nA=1\r\n\r\n[Two]\r\nB=3\r\n");
  ASSERT_TRUE(WritePrivateProfileString("One", "C", "4", file));
  ASSERT_TRUE(WritePrivateProfileString("Three", "D", "5", file));
  EXPECT_EQ(Text(file), "[One]\r\nA=1\r\nC=4\r\n\r\n[Two]\r\nB=3\r\n[Three]\r\nD=5\r\n");
}

TEST(IniFiles, ReadingIgnoresCaseSpacesAndSurroundingQuotes) {
  TempDir dir;
  const std::string file = dir.File("a.ini");
  Put(file, "\xEF\xBB\xBF[FrmConverter]\n  ToolButton1 =  \"Open||Opens files\"  \nEmpty=\n");
  EXPECT_EQ(GetPrivateProfileString("frmconverter", "TOOLBUTTON1", "d", file), "Open||Opens files");
  EXPECT_EQ(GetPrivateProfileString("FrmConverter", "Empty", "d", file), "");
  EXPECT_EQ(GetPrivateProfileString("FrmConverter", "Missing", "d", file), "d");
  EXPECT_EQ(GetPrivateProfileString("Nowhere", "Empty", "d", dir.File("none.ini")), "d");
}

TEST(IniFiles, MissingFileIsCreatedAndValuesStayOnOneLine) {
  TempDir dir;
  const std::string file = dir.File("new.ini");
  ASSERT_TRUE(WritePrivateProfileString("playlist", "Title1", "a\r\nb", file));
  EXPECT_EQ(Text(file), "[playlist]\r\nTitle1=a  b\r\n");
}

TEST(IniFiles, ValuesAreCutAt2047BytesOnWholeCharacters) {
  TempDir dir;
  const std::string file = dir.File("a.ini");
  ASSERT_TRUE(WritePrivateProfileString("S", "K", std::string(2046, 'x') + "ä", file));
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", file), std::string(2046, 'x'));
}

TEST(IniFiles, ReadOnlyFileIsNeitherReplacedNorTouched) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "root writes read-only files";
  }
  TempDir dir;
  const std::string file = dir.File("a.ini");
  Put(file, "[S]\nK=1\n");
  ::chmod(file.c_str(), 0444);
  EXPECT_FALSE(WritePrivateProfileString("S", "K", "2", file));
  TIniFile ini(file);
  try {
    ini.WriteString("S", "K", "2");
    FAIL() << "no exception";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + file);
  }
  EXPECT_EQ(Text(file), "[S]\nK=1\n");
}

TEST(IniFiles, WriteIntoAMissingFolderFails) {
  TempDir dir;
  TIniFile ini(dir.File("no/such/a.ini"));
  EXPECT_THROW(ini.WriteString("S", "K", "1"), EIniFileException);
}

TEST(IniFiles, APipeOrAnOversizedFileIsReadAsEmptyWithoutWaitingAndNeverReplaced) {
  TempDir dir;
  const std::string pipe = dir.File("pipe.ini");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string big = dir.File("big.ini");
  Put(big, "[S]\nK=1\n" + std::string(2 << 20, ';'));
  for (const std::string& file : {pipe, big}) {
    EXPECT_EQ(TIniFile(file).ReadString("S", "K", "none"), "none") << file;
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "2", file)) << file;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
  EXPECT_EQ(std::filesystem::file_size(big), 8 + (2u << 20));
}
