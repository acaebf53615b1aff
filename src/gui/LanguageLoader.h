#pragma once

// Applies a language file to one window: its section is the window's name, its keys the names
// of the window's labels, buttons, check boxes, group boxes, tool buttons, tab pages and list
// columns.

class QWidget;
class TLanguageFile;

// Records the window's caption under its own name, then sets every named caption the file holds
// (with its hint). Fails with "Unable to write to <file>" when the file cannot be written.
void ApplyLanguage(TLanguageFile& file, QWidget* form);
