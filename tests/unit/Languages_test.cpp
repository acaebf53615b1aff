#include "app/Languages.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "support/ConfigHome.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& file, const std::string& text = "") {
  fs::create_directories(file.parent_path());
  WriteFileBytes(file.string(), std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

TEST(Languages, ListsAreSortedAndTakeOnlyTheirFiles) {
  TempDir app;
  Touch(app.Path() / "Languages" / "RUS.ini");
  Touch(app.Path() / "Languages" / "ENGLISH.INI");
  Touch(app.Path() / "Languages" / "notes.txt");
  fs::create_directories(app.Path() / "Languages" / "dir.ini");
  Touch(app.Path() / "Profiles" / "64 kbps.prx");
  Touch(app.Path() / "Profiles" / "128 kbps.prx");
  EXPECT_EQ(ListLanguages(app.Path().string()), (std::vector<std::string>{"ENG", "RUS"}));
  EXPECT_EQ(ListWmaProfiles(app.Path().string()), (std::vector<std::string>{"128 kbps", "64 kbps"}));
  EXPECT_TRUE(ListLanguages(app.File("missing")).empty());
}

TEST(Languages, SplitCaption) {
  const auto check = [](const std::string& text, const std::string& caption, const std::string& hint) {
    const TCaptionHint split = SplitCaption(text);
    EXPECT_EQ(split.Caption, caption) << text;
    EXPECT_EQ(split.Hint, hint) << text;
  };
  check("Open Files||Opens audio files", "Open Files", "Opens audio files");
  check("Open Files||", "Open Files", "");
  check("Open||x", "Open", "x");
  check("Open", "Open", "");
  check("a||b||c", "a", "b||c");
}

TEST(Languages, KeysAreComponentNamesAndItemsCarryTheirIndex) {
  TempDir app;
  const fs::path file = app.Path() / "Languages" / "DEU.ini";
  Touch(file, "[FrmConverter]\nToolButton1=Öffnen||Dateien öffnen\nListView12=Zustand\nTabSheet1=Allgemein||x\n");
  TLanguageFile language(file.string());
  const TCaptionHint open = language.CaptionAndHint("FrmConverter", "ToolButton1", "Open Files");
  EXPECT_EQ(open.Caption, "Öffnen");
  EXPECT_EQ(open.Hint, "Dateien öffnen");
  EXPECT_EQ(language.CaptionAndHint("FrmConverter", "ToolButton3", "Convert").Caption, "Convert");
  EXPECT_EQ(language.Item("FrmConverter", "ListView1", 2, "Status"), "Zustand");
  EXPECT_EQ(language.Item("FrmConverter", "ListView1", 3, "Artist"), "Artist");
  EXPECT_EQ(language.Caption("FrmConverter", "TabSheet1", "Common"), "Allgemein||x");
  language.BeginForm("FrmConverter", "Kestrune");
  EXPECT_EQ(GetPrivateProfileString("FrmConverter", "FrmConverter", "", file.string()), "Kestrune");
}

TEST(Languages, ReadOnlyProgramFolderUsesTheUsersCopy) {
  ScopedConfigHome home;
  TempDir app;
  Touch(app.Path() / "Languages" / "ENG.ini", "[OptionsFrm]\nCheckBox1=Tell me\n");
  EXPECT_EQ(LanguageFileFor(app.Path().string(), "ENG"), (app.Path() / "Languages" / "ENG.ini").string());
  if (::geteuid() == 0) {
    GTEST_SKIP() << "root writes into read-only folders";
  }
  fs::permissions(app.Path() / "Languages", fs::perms::owner_read | fs::perms::owner_exec);
  fs::permissions(app.Path() / "Languages" / "ENG.ini", fs::perms::owner_read);
  const std::string own = LanguageFileFor(app.Path().string(), "ENG");
  EXPECT_EQ(own, home.Path() + "/Quillmar/Kestrune/Languages/ENG.ini");
  TLanguageFile language(own);
  language.BeginForm("OptionsFrm", "Options");
  EXPECT_EQ(language.CaptionAndHint("OptionsFrm", "CheckBox1", "").Caption, "Tell me");
  fs::permissions(app.Path() / "Languages", fs::perms::owner_all);
}
