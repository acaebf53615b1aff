#pragma once

// The language files and WMA profiles beside the program, and the key scheme of the language
// files that the window applies to its widgets.

#include <string>
#include <vector>

#include "platform/IniFiles.h"

// One entry per "Languages/*.ini" file of `appDir` (sorted by name): its first three characters.
std::vector<std::string> ListLanguages(const std::string& appDir);
// One entry per "Profiles/*.prx" file of `appDir` (sorted by name): its name without ".prx".
std::vector<std::string> ListWmaProfiles(const std::string& appDir);

struct TCaptionHint {
  std::string Caption;
  std::string Hint;
};

// "caption||hint": the text before the first "||" and everything after it; no "||", no hint.
TCaptionHint SplitCaption(const std::string& text);

// The file for language `code`: "<appDir>/Languages/<code>.ini", or the user's own copy under
// $XDG_CONFIG_HOME/Quillmar/Kestrune/Languages when the program's folder cannot be written (an
// installed program). The copy is made from the program's file the first time it is needed.
std::string LanguageFileFor(const std::string& appDir, const std::string& code);

// Reads one language file for the widgets of the open windows. Sections are the windows' names
// (FrmConverter, OptionsFrm); keys the widgets' names.
class TLanguageFile {
public:
  explicit TLanguageFile(const std::string& fileName) : FFile(fileName) {}

  // Records the window's caption under its own name. Fails with "Unable to write to <file>".
  void BeginForm(const std::string& formName, const std::string& formCaption);
  // Labels, buttons, check boxes, group boxes, tool buttons, menu items: caption and hint; the
  // hint is empty (clearing an earlier one) when the value has none.
  TCaptionHint CaptionAndHint(const std::string& formName, const std::string& component,
                              const std::string& currentCaption) const;
  // Tab sheets and radio groups: the caption as it stands.
  std::string Caption(const std::string& formName, const std::string& component,
                      const std::string& currentCaption) const;
  // Radio-group item or list-view column `index`: key component name + index ("ListView12").
  std::string Item(const std::string& formName, const std::string& component, int index,
                   const std::string& currentText) const;

  const std::string& FileName() const { return FFile.FileName(); }

private:
  TIniFile FFile;
};
