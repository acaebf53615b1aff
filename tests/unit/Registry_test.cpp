#include "platform/Registry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/ConfigHome.h"

using namespace testing_support;

namespace {

std::string ReadText(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& fileName, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(fileName).parent_path());
  std::ofstream(fileName, std::ios::binary) << text;
}

}  // namespace

TEST(Registry, LivesUnderXdgConfigHome) {
  ScopedConfigHome home;
  EXPECT_EQ(DefaultRegistryFile(), home.RegistryFile());
}

TEST(Registry, EveryTypeSurvivesAReopen) {
  ScopedConfigHome home;
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Quillmar\\Kestrune\\Main", true));
    registry.WriteString("Text", "C:\\My \"Musik\"\\ äö");
    registry.WriteExpandString("Expand", "%HOME%/x");
    registry.WriteInteger("Number", -2);
    registry.WriteBinaryData("Bytes", {0, 1, 0xFE});
    registry.WriteString("Lines", "one\ntwo");
  }
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("software\\QUILLMAR\\kestrune\\main", false));
  EXPECT_EQ(registry.ReadString("text"), "C:\\My \"Musik\"\\ äö");
  EXPECT_EQ(registry.GetDataType("Expand"), rdExpandString);
  EXPECT_EQ(registry.ReadString("Expand"), "%HOME%/x");
  EXPECT_EQ(registry.ReadInteger("Number"), -2);
  EXPECT_EQ(registry.ReadBinaryData("Bytes"), (std::vector<uint8_t>{0, 1, 0xFE}));
  EXPECT_EQ(registry.ReadString("Lines"), "one\ntwo");
  EXPECT_TRUE(registry.SetAsideFile().empty());
}

TEST(Registry, ReadStringOfAnotherTypeFailsWithTheValueName) {
  ScopedConfigHome home;
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("Software\\Quillmar\\Kestrune\\Main", true));
  registry.WriteInteger("UseVBR", 1);
  registry.WriteBinaryData("Empty", {});
  try {
    registry.ReadString("UseVBR");
    FAIL() << "no exception";
  } catch (const ERegistryException& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'UseVBR'");
  }
  EXPECT_EQ(registry.ReadString("Empty"), "");
  EXPECT_EQ(registry.ReadString("Missing"), "");
}

TEST(Registry, TextEndsAtItsFirstZeroCharacterAndUnknownTypesAreKept) {
  ScopedConfigHome home;
  WriteText(home.RegistryFile(),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quillmar\\Kestrune\\Main]\r\n"
            "\"Cut\"=hex(1):41,42,00,43\r\n\"Long\"=hex(2):41,\\\r\n  42,00\r\n\"Odd\"=hex(7):01,02\r\n");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("Software\\Quillmar\\Kestrune\\Main", false));
  EXPECT_EQ(registry.ReadString("Cut"), "AB");
  EXPECT_EQ(registry.ReadString("Long"), "AB");
  EXPECT_THROW(registry.ReadString("Odd"), ERegistryException);
  registry.WriteString("New", "x");
  EXPECT_NE(ReadText(home.RegistryFile()).find("\"Odd\"=hex(7):01,02"), std::string::npos);
}

TEST(Registry, DamagedFileIsSetAsideAndTheHiveStartsEmpty) {
  ScopedConfigHome home;
  const std::string damaged = "garbage\n[HKEY_CURRENT_USER\\Software]\n\"A\"=\"1\"\n";
  WriteText(home.RegistryFile(), damaged);
  TRegistry registry;
  ASSERT_FALSE(registry.SetAsideFile().empty());
  EXPECT_EQ(ReadText(registry.SetAsideFile()), damaged);
  EXPECT_FALSE(registry.OpenKey("Software", false));
  ASSERT_TRUE(registry.OpenKey("Software", true));
  registry.WriteString("A", "2");
  EXPECT_EQ(TRegistry().SetAsideFile(), "");
}

TEST(Registry, APipeOrAnOversizedFileIsSetAsideWithoutWaiting) {
  ScopedConfigHome home;
  WriteText(home.RegistryFile(), "");
  std::filesystem::remove(home.RegistryFile());
  ASSERT_EQ(::mkfifo(home.RegistryFile().c_str(), 0600), 0);
  TRegistry pipe;
  ASSERT_FALSE(pipe.SetAsideFile().empty());
  EXPECT_TRUE(std::filesystem::is_fifo(pipe.SetAsideFile()));
  WriteText(home.RegistryFile(), "REGEDIT4\n" + std::string(2 << 20, '\n'));
  TRegistry big;
  ASSERT_FALSE(big.SetAsideFile().empty());
  EXPECT_EQ(std::filesystem::file_size(big.SetAsideFile()), 9 + (2u << 20));
  EXPECT_FALSE(big.OpenKey("Software", false));
  EXPECT_TRUE(std::filesystem::is_fifo(pipe.SetAsideFile()));  // set aside in the same second, still there
}

TEST(Registry, ValueLinesThatAreNotREGEDIT4AreDamage) {
  for (const char* line : {"\"A\"=dword:123456789", "\"A\"=hex:1g", "\"A\"=\"open", "\"A\" 1", "A=1"}) {
    EXPECT_THROW(TRegistryHive::Parse(std::string("REGEDIT4\n[HKEY_CURRENT_USER\\K]\n") + line + "\n"),
                 ERegistryException)
        << line;
  }
  EXPECT_THROW(TRegistryHive::Parse("REGEDIT4\n\"A\"=\"1\"\n"), ERegistryException);
  EXPECT_THROW(TRegistryHive::Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n"), ERegistryException);
  EXPECT_NO_THROW(TRegistryHive::Parse(""));
  EXPECT_NO_THROW(TRegistryHive::Parse("\xEF\xBB\xBFREGEDIT4\r\n"));
}

TEST(Registry, BatchedWritesSaveOnceAndLeaveNoTemporaryFile) {
  ScopedConfigHome home;
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("Software\\Quillmar\\Kestrune\\Main", true));
  registry.BeginUpdate();
  registry.WriteString("A", "1");
  EXPECT_FALSE(std::filesystem::exists(home.RegistryFile()));
  registry.EndUpdate();
  const auto entries = std::distance(std::filesystem::directory_iterator(home.Path() + "/Quillmar"),
                                     std::filesystem::directory_iterator());
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(ReadText(home.RegistryFile()),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillmar\\Kestrune\\Main]\n\"A\"=\"1\"\n");
}

TEST(Registry, OpenKeyIsRelativeUnlessItStartsWithTheSeparator) {
  ScopedConfigHome home;
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("Software\\Quillmar", true));
  ASSERT_TRUE(registry.OpenKey("Kestrune", true));
  EXPECT_EQ(registry.CurrentPath(), "Software\\Quillmar\\Kestrune");
  ASSERT_TRUE(registry.OpenKey("\\Software", false));
  EXPECT_EQ(registry.CurrentPath(), "Software");
  EXPECT_TRUE(registry.KeyExists("\\Software\\Quillmar"));
}

TEST(RegIniFile, IntegersAreDecimalTextWithTheDefaultForAnythingElse) {
  ScopedConfigHome home;
  TRegIniFile store("Software\\Quillmar\\Kestrune");
  store.WriteString("Main", "Good", "75");
  store.WriteString("Main", "Bad", "7x");
  store.WriteString("Main", "Huge", "99999999999");
  store.WriteBool("Main", "Flag", true);
  EXPECT_EQ(store.ReadInteger("Main", "Good", 1), 75);
  EXPECT_EQ(store.ReadInteger("Main", "Bad", 1), 1);
  EXPECT_EQ(store.ReadInteger("Main", "Huge", 1), 1);
  EXPECT_EQ(store.ReadInteger("Other", "Good", 3), 3);
  EXPECT_TRUE(store.ReadBool("Main", "Flag", false));
  EXPECT_EQ(store.ReadString("Main", "Flag", ""), "1");
}

TEST(Registry, WritesOfAnotherWriterAreSeenAndKept) {
  ScopedConfigHome home;
  TRegIniFile first("Software\\Quillmar\\Kestrune");
  TRegIniFile second("Software\\Quillmar\\Kestrune");
  first.WriteString("Main", "A", "1");
  second.WriteString("Main", "B", "2");
  EXPECT_EQ(first.ReadString("Main", "B", ""), "2");
  first.WriteString("Main", "C", "3");
  EXPECT_EQ(second.ReadString("Main", "A", ""), "1");
  EXPECT_EQ(second.ReadString("Main", "C", ""), "3");
}
