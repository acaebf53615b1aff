#pragma once

// Applies a language file to one window: its section is the window's name, its keys the names
// of the window's labels, buttons, check boxes, group boxes, tool buttons, menus and menu items,
// tab pages, list columns and the entries of its choice lists.

#include <QString>

class QWidget;
class TLanguageFile;

// A combo box whose entries are words of the language (not numbers or names) carries this
// property as true; its entry i is read from the key <name><i>, like a list column.
inline constexpr const char* TranslatedItemsProperty = "translatedItems";

// Records the window's caption under its own name, then sets every named caption the file holds
// (with its hint). Fails with "Unable to write to <file>" when the file cannot be written.
void ApplyLanguage(TLanguageFile& file, QWidget* form);

// The language's own name, from the key Name of section [Language] of its file; `fallback`
// (the code) when the file names none.
QString LanguageName(const QString& fileName, const QString& fallback);
