#pragma once

// The About window: a small dialog with the product name, the application icon, the version and
// the licence. It opens from a thin central strip and fades in, and closes with Close, Escape,
// a click on it, or when another window is activated.

#include <vector>

#include <QAbstractAnimation>
#include <QDialog>
#include <QRect>

class QLabel;
class TAboutFrm;

// The opening animation's regions for a client area of `width` x `height`, in the order they are
// built (played last to first); at most max(width, height) of them.
std::vector<QRect> BuildAboutRegions(int width, int height);

// The opening, as a function of time: the regions from the last built to the first, 10 ms each,
// then the fade from alpha 100 to 255 in steps of one, 10 ms each; at its end the whole window
// shows. Driven by Qt's animation timer, so the window keeps handling its events meanwhile.
class TAboutOpening : public QAbstractAnimation {
  Q_OBJECT
public:
  static constexpr int StepMs = 10;
  static constexpr int FadeSteps = 156;  // alpha 100 to 255

  TAboutOpening(TAboutFrm& window, std::vector<QRect> regions);

  int duration() const override;

protected:
  void updateCurrentTime(int currentTime) override;

private:
  TAboutFrm& FWindow;
  std::vector<QRect> FRegions;
};

class TAboutFrm : public QDialog {
  Q_OBJECT
public:
  static constexpr int ClientWidth = 275;
  static constexpr int ClientHeight = 280;

  explicit TAboutFrm(QWidget* parent = nullptr);

  const std::vector<QRect>& Regions() const { return FRegions; }
  TAboutOpening& Opening() const { return *FOpening; }
  bool Animating() const { return FOpening->state() == QAbstractAnimation::Running; }
  void ShowAnimated();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  std::vector<QRect> FRegions;
  TAboutOpening* FOpening = nullptr;
  QLabel* FImage1 = nullptr;
};
