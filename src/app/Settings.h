#pragma once

// The program's settings: every value the options dialog shows and the conversion driver reads,
// with its stored name, kind, choices and default, loaded from and saved to the settings store
// (section "Main" of the key Software\Quillmar\Kestrune).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace SettingNames {
inline constexpr const char* InformWhenDone = "InformWhenDone";
inline constexpr const char* RipToFormat = "RipToFormat";
inline constexpr const char* SampleRate = "SampleRate";
inline constexpr const char* Mode = "Mode";
inline constexpr const char* UseVBR = "UseVBR";
inline constexpr const char* Original = "Original";
inline constexpr const char* Copyright = "Copyright";
inline constexpr const char* CRC = "CRC";
inline constexpr const char* CBRBitrate = "CBRBitrate";
inline constexpr const char* CBRQuality = "CBRQuality";
inline constexpr const char* WriteVBRHeader = "WriteVBRHeader";
inline constexpr const char* MinBitrate = "MinBitrate";
inline constexpr const char* MaxBitrate = "MaxBitrate";
inline constexpr const char* VBRQuality = "VBRQuality";
inline constexpr const char* OGGCompressionLevel = "OGGCompressionLevel";
inline constexpr const char* WMABitrate = "WMABitrate";
inline constexpr const char* OutputFileNameFormat = "OutputFileNameFormat";
inline constexpr const char* ConvFilePath = "ConvFilePath";
inline constexpr const char* DesiredNominalBitrate = "DesiredNominalBitrate";
inline constexpr const char* DesiredMinimumBitrate = "DesiredMinimumBitrate";
inline constexpr const char* DesiredMaximumBitrate = "DesiredMaximumBitrate";
inline constexpr const char* APECompressionLevel = "APECompressionLevel";
inline constexpr const char* SavePlayList = "SavePlayList";
inline constexpr const char* FLACCompressionLevel = "FLACCompressionLevel";
inline constexpr const char* FLACVerify = "FLACVerify";
inline constexpr const char* WAVSampleFormat = "WAVSampleFormat";
inline constexpr const char* FLACSampleFormat = "FLACSampleFormat";
inline constexpr const char* APESampleFormat = "APESampleFormat";
inline constexpr const char* ExistingFiles = "ExistingFiles";
inline constexpr const char* OutputPattern = "OutputPattern";
inline constexpr const char* ExtensionCase = "ExtensionCase";
inline constexpr const char* KeepFolders = "KeepFolders";
inline constexpr const char* PlaylistPaths = "PlaylistPaths";
inline constexpr const char* TrackNumberFrom = "TrackNumberFrom";
inline constexpr const char* FolderCover = "FolderCover";
inline constexpr const char* Jobs = "Jobs";
inline constexpr const char* Left = "Left";
inline constexpr const char* Top = "Top";
inline constexpr const char* Width = "Width";
inline constexpr const char* Height = "Height";
inline constexpr const char* Maximized = "Maximized";
inline constexpr const char* Language = "Language";
}  // namespace SettingNames

// How a setting is stored and what its live value is.
enum TSettingKind {
  skBoolean,         // "1" / "0"; live: true or false
  skChoiceText,      // the choice's text; live: its position in Choices, -1 for none
  skChoicePosition,  // the position as a number; live: the position, -1 for none
  skText,            // free text
  skRange,           // a number kept within Min..Max
  skInteger,         // a number
};

struct TSettingDef {
  std::string Name;
  TSettingKind Kind;
  std::vector<std::string> Choices;  // for the two choice kinds (the WMA profiles come later)
  std::string Default;               // in the stored form
  int32_t Min = 0;
  int32_t Max = 0;
  bool Loaded = true;  // read by the loading pass (the window's own values are not)
};

// The registry key and section of the settings.
inline constexpr const char* SettingsKey = "Software\\Quillmar\\Kestrune";
inline constexpr const char* SettingsSection = "Main";

// The five output-name patterns, in the order of their style numbers.
const std::vector<std::string>& OutputNameFormats();
// The six output formats, in the order the options show them.
const std::vector<std::string>& OutputFormatNames();

// The user's music folder (XDG_MUSIC_DIR, else ~/Music) plus "/Kestrune/".
std::string DefaultOutputFolder();

class TSettings {
public:
  // Every setting at its default.
  TSettings();

  // In the order of the loading pass, then the window's values.
  static const std::vector<TSettingDef>& Definitions();
  // Case-insensitive; nullptr for an unknown name.
  static const TSettingDef* Find(const std::string& name);

  // The entries of the language list and the WMA profile list (the choices of "Language" and
  // "WMABitrate"), as found beside the program.
  void SetLanguages(std::vector<std::string> languages) { FLanguages = std::move(languages); }
  void SetWmaProfiles(std::vector<std::string> profiles) { FWmaProfiles = std::move(profiles); }
  const std::vector<std::string>& Languages() const { return FLanguages; }
  const std::vector<std::string>& Choices(const std::string& name) const;

  // The live values. An unknown name is a programming error (std::out_of_range).
  bool Boolean(const std::string& name) const;
  void SetBoolean(const std::string& name, bool value);
  // The position of a choice setting (-1 for none), or the number of a numeric one.
  int32_t Integer(const std::string& name) const;
  void SetInteger(const std::string& name, int32_t value);
  // The choice text ("" for none), the free text, or the number in decimal.
  std::string Text(const std::string& name) const;
  void SetText(const std::string& name, const std::string& value);

  // Sets a value from text as it would be stored, strictly: false with `error` set when the
  // name is unknown or the text is not a value of that setting. The error names the setting by
  // `label` when one is given (the command-line option that sets it).
  bool Assign(const std::string& name, const std::string& text, std::string& error, const std::string& label = {});

  // Reads every setting from the store (LoadSettings, plus the window's values). A value the
  // store cannot read keeps its default and its message is returned.
  std::vector<std::string> Load(TRegIniFile& store);
  // Writes every setting (SaveSettings order). The window's own values (language, place, size,
  // maximised state) and "RunPath" only when `runPath` is not empty, that is when the window saves.
  void Save(TRegIniFile& store, const std::string& runPath) const;

private:
  struct TValue {
    int32_t Number = 0;
    std::string Text;
  };

  size_t IndexOf(const std::string& name) const;
  void LoadOne(TRegIniFile& store, const TSettingDef& def, TValue& value);
  void SaveOne(TRegIniFile& store, const TSettingDef& def, const TValue& value) const;
  int32_t ChoicePosition(const TSettingDef& def, const std::string& text) const;

  std::vector<TValue> FValues;  // parallel to Definitions()
  std::vector<std::string> FLanguages;
  std::vector<std::string> FWmaProfiles;
};
