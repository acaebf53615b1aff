#include "app/Settings.h"

#include <algorithm>
#include <stdexcept>
#include <unistd.h>

#include "platform/TextUtils.h"
#include "platform/UserDirs.h"

namespace {

constexpr int32_t MaxJobs = 64;

const std::vector<std::string> Mp3Bitrates = {"8",  "16",  "24",  "32",  "40",  "48",  "56",  "64",  "80",
                                              "96", "112", "128", "144", "160", "192", "224", "256", "320"};
const std::vector<std::string> QualityLevels = {"Level 0", "Level 1", "Level 2", "Level 3", "Level 4",
                                                "Level 5", "Level 6", "Level 7", "Level 8", "Level 9"};
const std::vector<std::string> LosslessSampleFormats = {"As the input", "16-bit/44.1 kHz"};
const std::vector<std::string> OggBitrates = {"AutoSelect", "45",  "48",  "56",  "64",  "80",  "96",  "112",
                                              "128",        "144", "160", "192", "224", "256", "320", "499"};

std::vector<TSettingDef> MakeDefinitions() {
  using namespace SettingNames;
  auto window = [](const char* name, TSettingKind kind, const char* fallback) {
    TSettingDef def{name, kind, {}, fallback};
    def.Loaded = false;
    return def;
  };
  return {
      {InformWhenDone, skBoolean, {}, "0"},
      {RipToFormat, skChoiceText, OutputFormatNames(), "MP3"},
      {SampleRate, skChoiceText, {"Default", "32 kHz", "41 kHz", "48 kHz"}, "Default"},
      {Mode, skChoiceText, {"Stereo", "Joint Stereo", "Dual Channel", "Mono"}, "Stereo"},
      {UseVBR, skBoolean, {}, "0"},
      {Original, skBoolean, {}, "1"},
      {Copyright, skBoolean, {}, "0"},
      {CRC, skBoolean, {}, "0"},
      {CBRBitrate, skChoiceText, Mp3Bitrates, "192"},
      {CBRQuality, skChoiceText, QualityLevels, "Level 5"},
      {WriteVBRHeader, skBoolean, {}, "0"},
      {MinBitrate, skChoiceText, Mp3Bitrates, "128"},
      {MaxBitrate, skChoiceText, Mp3Bitrates, "192"},
      {VBRQuality, skChoiceText, QualityLevels, "Level 5"},
      {OGGCompressionLevel, skRange, {}, "75", 10, 100},
      {WMABitrate, skChoicePosition, {}, "9"},
      {OutputFileNameFormat, skChoiceText, OutputNameFormats(), "<Track Number>-<Artist>-<Title>"},
      {ConvFilePath, skText, {}, ""},  // DefaultOutputFolder(), found for the user at the time
      {DesiredNominalBitrate, skChoicePosition, OggBitrates, "0"},
      {DesiredMinimumBitrate, skChoicePosition, OggBitrates, "0"},
      {DesiredMaximumBitrate, skChoicePosition, OggBitrates, "0"},
      {APECompressionLevel, skChoicePosition, {"FAST", "NORMAL", "HIGH", "EXTRA HIGH"}, "1"},
      {SavePlayList, skChoicePosition, {"None", "M3U", "PLS"}, "0"},
      {FLACCompressionLevel, skRange, {}, "5", 0, 8},
      {FLACVerify, skBoolean, {}, "0"},
      // A lossless output keeps the input's format, or is a CD-compatible copy.
      {WAVSampleFormat, skChoicePosition, LosslessSampleFormats, "0"},
      {FLACSampleFormat, skChoicePosition, LosslessSampleFormats, "0"},
      {APESampleFormat, skChoicePosition, LosslessSampleFormats, "0"},
      // What an output does when a file has its name already: take a free name, leave that
      // file (the row is skipped), or replace it once the new file is finished.
      {ExistingFiles, skChoiceText, {"Rename", "Skip", "Overwrite"}, "Rename"},
      {OutputPattern, skText, {}, ""},  // empty: the pattern of OutputFileNameFormat
      {ExtensionCase, skChoiceText, {"Upper case", "Lower case"}, "Upper case"},
      {KeepFolders, skBoolean, {}, "0"},
      {PlaylistPaths, skChoiceText, {"Relative", "Absolute"}, "Relative"},
      // The track number the outputs' tags and names carry: the row's place in the list, or the
      // number the file's own tag gives (the place for a file without one).
      {TrackNumberFrom, skChoiceText, {"List position", "File's tag"}, "List position"},
      // A file without a picture of its own takes its folder's cover.jpg, folder.jpg or front.jpg.
      {FolderCover, skBoolean, {}, "1"},
      // Rows converted at once: by default one per core the machine has online.
      {Jobs, skRange, {}, std::to_string(std::clamp<long>(::sysconf(_SC_NPROCESSORS_ONLN), 1, MaxJobs)), 1, MaxJobs},
      window(Language, skText, "ENG"),
      window(Left, skInteger, "207"),
      window(Top, skInteger, "113"),
      window(Width, skInteger, "541"),
      window(Height, skInteger, "414"),
      window(Maximized, skBoolean, "0"),
  };
}

std::string JoinChoices(const std::vector<std::string>& choices) {
  std::string out;
  for (const std::string& choice : choices) {
    out += (out.empty() ? "" : ", ") + choice;
  }
  return out;
}

bool ParseBoolean(const std::string& text, bool& value) {
  for (const char* yes : {"1", "true", "yes", "on"}) {
    if (EqualsNoCase(text, yes)) {
      value = true;
      return true;
    }
  }
  for (const char* no : {"0", "false", "no", "off"}) {
    if (EqualsNoCase(text, no)) {
      value = false;
      return true;
    }
  }
  return false;
}

// The default of a text setting as it stands now: the output folder follows the user's folders.
std::string DefaultText(const TSettingDef& def) {
  return EqualsNoCase(def.Name, SettingNames::ConvFilePath) ? DefaultOutputFolder() : def.Default;
}

}  // namespace

const std::vector<std::string>& OutputNameFormats() {
  static const std::vector<std::string> formats = {"<Track Number>", "<Title>", "<Track Number>-<Title>",
                                                   "<Artist>-<Title>", "<Track Number>-<Artist>-<Title>"};
  return formats;
}

const std::vector<std::string>& OutputFormatNames() {
  static const std::vector<std::string> names = {"MP3", "OGG", "WMA", "WAV", "APE", "FLAC"};
  return names;
}

std::string DefaultOutputFolder() { return UserMusicDir() + "/Kestrune/"; }

const std::vector<TSettingDef>& TSettings::Definitions() {
  static const std::vector<TSettingDef> definitions = MakeDefinitions();
  return definitions;
}

const TSettingDef* TSettings::Find(const std::string& name) {
  for (const TSettingDef& def : Definitions()) {
    if (EqualsNoCase(def.Name, name)) {
      return &def;
    }
  }
  return nullptr;
}

TSettings::TSettings() : FValues(Definitions().size()) {
  for (size_t i = 0; i < FValues.size(); ++i) {
    const TSettingDef& def = Definitions()[i];
    if (def.Kind == skText) {
      FValues[i].Text = DefaultText(def);
    } else if (def.Kind == skChoiceText) {
      FValues[i].Number = ChoicePosition(def, def.Default);
    } else {
      ParseDecimal(def.Default, FValues[i].Number);
    }
  }
}

size_t TSettings::IndexOf(const std::string& name) const {
  const TSettingDef* def = Find(name);
  if (def == nullptr) {
    throw std::out_of_range("no setting named " + name);
  }
  return static_cast<size_t>(def - Definitions().data());
}

const std::vector<std::string>& TSettings::Choices(const std::string& name) const {
  if (EqualsNoCase(name, SettingNames::WMABitrate)) {
    return FWmaProfiles;
  }
  if (EqualsNoCase(name, SettingNames::Language)) {
    return FLanguages;
  }
  return Definitions()[IndexOf(name)].Choices;
}

int32_t TSettings::ChoicePosition(const TSettingDef& def, const std::string& text) const {
  const std::vector<std::string>& choices = Choices(def.Name);
  for (size_t i = 0; i < choices.size(); ++i) {
    if (EqualsNoCase(choices[i], text)) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

bool TSettings::Boolean(const std::string& name) const { return FValues[IndexOf(name)].Number != 0; }

void TSettings::SetBoolean(const std::string& name, bool value) { FValues[IndexOf(name)].Number = value ? 1 : 0; }

int32_t TSettings::Integer(const std::string& name) const { return FValues[IndexOf(name)].Number; }

void TSettings::SetInteger(const std::string& name, int32_t value) {
  const size_t index = IndexOf(name);
  const TSettingDef& def = Definitions()[index];
  if (def.Kind == skRange) {
    value = std::clamp(value, def.Min, def.Max);
  }
  FValues[index].Number = value;
}

std::string TSettings::Text(const std::string& name) const {
  const size_t index = IndexOf(name);
  const TSettingDef& def = Definitions()[index];
  const TValue& value = FValues[index];
  switch (def.Kind) {
    case skText:
      return value.Text;
    case skChoiceText:
    case skChoicePosition: {
      const std::vector<std::string>& choices = Choices(def.Name);
      return value.Number >= 0 && static_cast<size_t>(value.Number) < choices.size() ? choices[value.Number] : "";
    }
    default:
      return std::to_string(value.Number);
  }
}

void TSettings::SetText(const std::string& name, const std::string& value) {
  std::string error;
  if (!Assign(name, value, error)) {
    throw std::invalid_argument(error);
  }
}

bool TSettings::Assign(const std::string& name, const std::string& text, std::string& error,
                       const std::string& label) {
  const TSettingDef* def = Find(name);
  if (def == nullptr) {
    error = "there is no setting named \"" + name + "\"";
    return false;
  }
  const std::string& shownName = label.empty() ? def->Name : label;
  TValue& value = FValues[static_cast<size_t>(def - Definitions().data())];
  const std::vector<std::string>& choices = Choices(def->Name);
  int32_t number = 0;
  bool flag = false;
  switch (def->Kind) {
    case skText:
      value.Text = text;
      return true;
    case skBoolean:
      if (!ParseBoolean(text, flag)) {
        error = shownName + ": \"" + text + "\" is not 1 or 0";
        return false;
      }
      value.Number = flag ? 1 : 0;
      return true;
    case skChoiceText:
    case skChoicePosition:
      number = ChoicePosition(*def, text);
      if (int32_t position = -1; number < 0 && def->Kind == skChoicePosition && ParseDecimal(text, position) &&
                                 position >= 0 &&
                                 (choices.empty() || static_cast<size_t>(position) < choices.size())) {
        number = position;
      }
      if (number < 0) {
        error = shownName + ": \"" + text + "\" is not one of " + (choices.empty() ? "(none)" : JoinChoices(choices));
        return false;
      }
      value.Number = number;
      return true;
    case skRange:
      if (!ParseDecimal(text, number) || number < def->Min || number > def->Max) {
        error = shownName + ": \"" + text + "\" is not a number from " + std::to_string(def->Min) + " to " +
                std::to_string(def->Max);
        return false;
      }
      value.Number = number;
      return true;
    case skInteger:
      if (!ParseDecimal(text, number)) {
        error = shownName + ": \"" + text + "\" is not a number";
        return false;
      }
      value.Number = number;
      return true;
  }
  return false;
}

void TSettings::LoadOne(TRegIniFile& store, const TSettingDef& def, TValue& value) {
  int32_t fallback = 0;
  ParseDecimal(def.Default, fallback);
  switch (def.Kind) {
    case skBoolean:
      value.Number = store.ReadBool(SettingsSection, def.Name, fallback != 0) ? 1 : 0;
      break;
    case skChoiceText:
      value.Number = ChoicePosition(def, store.ReadString(SettingsSection, def.Name, def.Default));
      break;
    case skChoicePosition: {
      const int32_t position = store.ReadInteger(SettingsSection, def.Name, fallback);
      const size_t count = Choices(def.Name).size();
      // With no profiles beside the program nothing can be selected, but the stored choice is
      // kept so that saving does not lose it.
      const bool emptyList = count == 0 && EqualsNoCase(def.Name, SettingNames::WMABitrate);
      value.Number = emptyList || (position >= 0 && static_cast<size_t>(position) < count) ? position : -1;
      break;
    }
    case skText:
      value.Text = store.ReadString(SettingsSection, def.Name, DefaultText(def));
      break;
    case skRange:
      value.Number = std::clamp(store.ReadInteger(SettingsSection, def.Name, fallback), def.Min, def.Max);
      break;
    case skInteger:
      value.Number = store.ReadInteger(SettingsSection, def.Name, fallback);
      break;
  }
}

std::vector<std::string> TSettings::Load(TRegIniFile& store) {
  std::vector<std::string> problems;
  for (size_t i = 0; i < FValues.size(); ++i) {
    try {
      LoadOne(store, Definitions()[i], FValues[i]);
    } catch (const std::exception& error) {
      // One unreadable value must not stop the program: it keeps its default.
      problems.push_back(error.what());
    }
  }
  return problems;
}

void TSettings::SaveOne(TRegIniFile& store, const TSettingDef& def, const TValue& value) const {
  switch (def.Kind) {
    case skBoolean:
      store.WriteBool(SettingsSection, def.Name, value.Number != 0);
      break;
    case skChoiceText:
    case skText:
      store.WriteString(SettingsSection, def.Name, Text(def.Name));
      break;
    case skChoicePosition:
    case skRange:
    case skInteger:
      store.WriteInteger(SettingsSection, def.Name, value.Number);
      break;
  }
}

void TSettings::Save(TRegIniFile& store, const std::string& runPath) const {
  using namespace SettingNames;
  // One write of the file for all values (writes in between only touch memory); a failure
  // leaves the file as it was.
  store.Registry().BeginUpdate();
  // The window's own values are the window's to write: another front never had them.
  if (!runPath.empty()) {
    for (const char* name : {Language, Left, Top, Width, Height, Maximized}) {
      const size_t index = IndexOf(name);
      SaveOne(store, Definitions()[index], FValues[index]);
    }
  }
  for (size_t i = 0; i < FValues.size(); ++i) {
    if (Definitions()[i].Loaded) {
      SaveOne(store, Definitions()[i], FValues[i]);
    }
  }
  if (!runPath.empty()) {
    store.WriteString(SettingsSection, "RunPath", runPath);
  }
  store.Registry().EndUpdate();
}
