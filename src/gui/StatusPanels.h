#pragma once

// The main window's status bar: three text panels of widths 200, 50 and 50. The first shows
// conversion failures, the second the chosen output format.

#include <array>

#include <QLabel>
#include <QStatusBar>

class TStatusPanels : public QStatusBar {
  Q_OBJECT
public:
  explicit TStatusPanels(QWidget* parent = nullptr);

  QString PanelText(int panel) const;
  void SetPanelText(int panel, const QString& text);

private:
  std::array<QLabel*, 3> FPanels{};
};
