#include "app/Settings.h"

#include <fstream>
#include <gtest/gtest.h>

#include "support/ConfigHome.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

TRegIniFile Store() { return TRegIniFile(SettingsKey); }

void Stored(const std::string& name, const std::string& value) { Store().WriteString(SettingsSection, name, value); }

}  // namespace

TEST(Settings, FreshUserGetsEveryDefault) {
  ScopedConfigHome home;
  TSettings settings;
  settings.SetWmaProfiles({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"});
  TRegIniFile store = Store();
  EXPECT_TRUE(settings.Load(store).empty());
  EXPECT_EQ(settings.Text(sn::RipToFormat), "MP3");
  EXPECT_EQ(settings.Text(sn::ConvFilePath), home.Path() + "/Music/Kestrune/");
  EXPECT_EQ(settings.Integer(sn::OutputFileNameFormat), 4);
  EXPECT_EQ(settings.Text(sn::OutputFileNameFormat), "<Track Number>-<Artist>-<Title>");
  EXPECT_EQ(settings.Integer(sn::OGGCompressionLevel), 75);
  EXPECT_EQ(settings.Text(sn::APECompressionLevel), "NORMAL");
  EXPECT_EQ(settings.Text(sn::SavePlayList), "None");
  EXPECT_EQ(settings.Text(sn::ExistingFiles), "Rename");
  EXPECT_EQ(settings.Text(sn::WMABitrate), "j");
  EXPECT_EQ(settings.Text(sn::CBRBitrate), "192");
  EXPECT_EQ(settings.Text(sn::MinBitrate), "128");
  EXPECT_EQ(settings.Text(sn::VBRQuality), "Level 5");
  EXPECT_EQ(settings.Text(sn::SampleRate), "Default");
  EXPECT_EQ(settings.Text(sn::DesiredNominalBitrate), "AutoSelect");
  EXPECT_TRUE(settings.Boolean(sn::Original));
  EXPECT_FALSE(settings.Boolean(sn::UseVBR));
  EXPECT_FALSE(settings.Boolean(sn::InformWhenDone));
  EXPECT_EQ(settings.Text(sn::Language), "ENG");
  EXPECT_EQ(settings.Integer(sn::Width), 541);
  EXPECT_EQ(settings.Integer(sn::Top), 113);
}

TEST(Settings, TheDefaultOutputFolderIsInTheUsersMusicFolder) {
  ScopedConfigHome home;
  const auto musicDir = [&](const std::string& line) {
    std::ofstream(home.Path() + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\n" << line << "\n";
    return TSettings().Text(sn::ConvFilePath);
  };
  EXPECT_EQ(musicDir("XDG_MUSIC_DIR=\"$HOME/Musik\""), home.Path() + "/Musik/Kestrune/");
  EXPECT_EQ(musicDir("XDG_MUSIC_DIR=\"/srv/my \\\"tunes\\\"/\""), "/srv/my \"tunes\"/Kestrune/");
  // A folder set to the home itself, or not a path, means there is none.
  EXPECT_EQ(musicDir("XDG_MUSIC_DIR=\"$HOME/\""), home.Path() + "/Music/Kestrune/");
  EXPECT_EQ(musicDir("XDG_MUSIC_DIR=Music"), home.Path() + "/Music/Kestrune/");
  // A stored folder keeps winning.
  musicDir("XDG_MUSIC_DIR=\"$HOME/Musik\"");
  Stored("ConvFilePath", "/music/out/");
  TSettings settings;
  TRegIniFile store = Store();
  settings.Load(store);
  EXPECT_EQ(settings.Text(sn::ConvFilePath), "/music/out/");
}

TEST(Settings, StoredTextsAreReadAsTheDialogWould) {
  ScopedConfigHome home;
  Stored("UseVBR", "1");
  Stored("CRC", "yes");
  Stored("Original", "0");
  Stored("OGGCompressionLevel", "5");
  Stored("RipToFormat", "ogg");
  Stored("Mode", "Surround");
  Stored("SavePlayList", "3");
  Stored("APECompressionLevel", "3");
  Stored("ConvFilePath", "/music/out/");
  TSettings settings;
  TRegIniFile store = Store();
  settings.Load(store);
  EXPECT_TRUE(settings.Boolean(sn::UseVBR));
  EXPECT_FALSE(settings.Boolean(sn::CRC));  // not a number: the default
  EXPECT_FALSE(settings.Boolean(sn::Original));
  EXPECT_EQ(settings.Integer(sn::OGGCompressionLevel), 10);
  EXPECT_EQ(settings.Text(sn::RipToFormat), "OGG");
  EXPECT_EQ(settings.Integer(sn::Mode), -1);
  EXPECT_EQ(settings.Text(sn::Mode), "");
  EXPECT_EQ(settings.Integer(sn::SavePlayList), -1);
  EXPECT_EQ(settings.Text(sn::APECompressionLevel), "EXTRA HIGH");
  EXPECT_EQ(settings.Text(sn::ConvFilePath), "/music/out/");

  Stored("OGGCompressionLevel", "150");
  settings.Load(store);
  EXPECT_EQ(settings.Integer(sn::OGGCompressionLevel), 100);
}

TEST(Settings, ValueOfAnotherTypeKeepsItsDefaultAndIsReported) {
  ScopedConfigHome home;
  TRegIniFile store = Store();
  store.WriteString(SettingsSection, "RipToFormat", "FLAC");
  store.Registry().OpenKey("\\Software\\Quillmar\\Kestrune\\Main", true);
  store.Registry().WriteInteger("UseVBR", 1);
  TSettings settings;
  const auto problems = settings.Load(store);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "Invalid data type for 'UseVBR'");
  EXPECT_FALSE(settings.Boolean(sn::UseVBR));
  EXPECT_EQ(settings.Text(sn::RipToFormat), "FLAC");
}

TEST(Settings, PositionOutsideTheProfileListSelectsNothingButIsKeptWithoutProfiles) {
  ScopedConfigHome home;
  Stored("WMABitrate", "7");
  TRegIniFile store = Store();
  TSettings withProfiles;
  withProfiles.SetWmaProfiles({"64", "128"});
  withProfiles.Load(store);
  EXPECT_EQ(withProfiles.Integer(sn::WMABitrate), -1);
  TSettings withoutProfiles;
  withoutProfiles.Load(store);
  EXPECT_EQ(withoutProfiles.Text(sn::WMABitrate), "");
  withoutProfiles.Save(store, "");
  EXPECT_EQ(store.ReadString(SettingsSection, "WMABitrate", ""), "7");
}

TEST(Settings, SaveWritesEveryValueInItsOrderAsStrings) {
  ScopedConfigHome home;
  TSettings settings;
  settings.SetText(sn::RipToFormat, "wav");
  settings.SetInteger(sn::OGGCompressionLevel, 3);
  settings.SetBoolean(sn::InformWhenDone, true);
  TRegIniFile store = Store();
  settings.Save(store, "/usr/bin/kestrune");
  std::ifstream in(home.RegistryFile());
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("\"")) {
      names.push_back(line.substr(1, line.find('"', 1) - 1));
    }
  }
  const std::vector<std::string> expected = {
      "Language", "Left", "Top", "Width", "Height", "Maximized", "InformWhenDone", "RipToFormat", "SampleRate", "Mode", "UseVBR",
      "Original", "Copyright", "CRC", "CBRBitrate", "CBRQuality", "WriteVBRHeader", "MinBitrate", "MaxBitrate",
      "VBRQuality", "OGGCompressionLevel", "WMABitrate", "OutputFileNameFormat", "ConvFilePath",
      "DesiredNominalBitrate", "DesiredMinimumBitrate", "DesiredMaximumBitrate", "APECompressionLevel",
      "SavePlayList", "FLACCompressionLevel", "FLACVerify", "WAVSampleFormat", "FLACSampleFormat", "APESampleFormat",
      "ExistingFiles", "OutputPattern", "ExtensionCase", "KeepFolders", "PlaylistPaths", "TrackNumberFrom",
      "FolderCover", "Jobs", "RunPath"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(store.ReadString(SettingsSection, "RipToFormat", ""), "WAV");
  EXPECT_EQ(store.ReadString(SettingsSection, "OGGCompressionLevel", ""), "10");
  EXPECT_EQ(store.ReadString(SettingsSection, "InformWhenDone", ""), "1");
  EXPECT_EQ(store.ReadString(SettingsSection, "RunPath", ""), "/usr/bin/kestrune");

  TSettings again;
  again.Load(store);
  EXPECT_EQ(again.Text(sn::RipToFormat), "WAV");
  EXPECT_TRUE(again.Boolean(sn::InformWhenDone));
}

TEST(Settings, AssignIsStrictAboutValues) {
  TSettings settings;
  std::string error;
  EXPECT_TRUE(settings.Assign("riptoformat", "flac", error));
  EXPECT_EQ(settings.Text(sn::RipToFormat), "FLAC");
  EXPECT_FALSE(settings.Assign(sn::RipToFormat, "AAC", error));
  EXPECT_EQ(error, "RipToFormat: \"AAC\" is not one of MP3, OGG, WMA, WAV, APE, FLAC");
  EXPECT_EQ(settings.Text(sn::RipToFormat), "FLAC");
  EXPECT_TRUE(settings.Assign(sn::SavePlayList, "pls", error));
  EXPECT_EQ(settings.Integer(sn::SavePlayList), 2);
  EXPECT_TRUE(settings.Assign(sn::SavePlayList, "1", error));
  EXPECT_EQ(settings.Integer(sn::SavePlayList), 1);
  EXPECT_FALSE(settings.Assign(sn::SavePlayList, "3", error));
  EXPECT_FALSE(settings.Assign(sn::OGGCompressionLevel, "150", error));
  EXPECT_TRUE(settings.Assign(sn::UseVBR, "true", error));
  EXPECT_TRUE(settings.Boolean(sn::UseVBR));
  EXPECT_FALSE(settings.Assign(sn::UseVBR, "maybe", error));
  EXPECT_FALSE(settings.Assign("NoSuchSetting", "1", error));
  EXPECT_EQ(error, "there is no setting named \"NoSuchSetting\"");
}
