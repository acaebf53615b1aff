#pragma once

// The main window's tag editor: title, artist, album, year, comment and genre of one row, and
// "+". Enter in any field asks for the same as "+"; Escape puts back the row's own values. The
// editor knows whether the user changed it since it last showed or saved a row, so the window
// can keep an edit when the user moves on to another row. A small picture beside the fields shows
// the row's cover, read when the row is shown.

#include <QGroupBox>

#include "app/ConversionRow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

class TTagEditor : public QGroupBox {
  Q_OBJECT
public:
  explicit TTagEditor(QWidget* parent = nullptr);

  // Shows the row's tags; the editor is then unchanged.
  void ShowRow(const TConversionRow& row);
  void Clear();
  // The editor's tags written over those of `row`; the other fields stay.
  TConversionRow WrittenInto(TConversionRow row) const;
  // The chosen genre, empty when none is.
  QString Genre() const;
  // Edited by the user since the last ShowRow, Clear or MarkSaved.
  bool Changed() const { return FChanged; }
  void MarkSaved() { FChanged = false; }

  QLineEdit* Edit1 = nullptr;  // title
  QLineEdit* Edit2 = nullptr;  // artist
  QLineEdit* Edit3 = nullptr;  // album
  QLineEdit* Edit4 = nullptr;  // year
  QLineEdit* Edit6 = nullptr;  // comment
  QComboBox* ComboBox5 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QLabel* imgCover = nullptr;  // empty and hidden while the row has no cover

signals:
  // "+", or Enter in a field.
  void WriteRequested();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void ShowCover(const std::string& coverFile);

  TConversionRow FShown;
  bool FChanged = false;
};
