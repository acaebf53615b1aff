#pragma once

// The About window: a borderless window with the product name and the application icon that
// opens from a thin central strip, fades in, and closes on a click or when it loses the focus.

#include <vector>

#include <QRect>
#include <QWidget>

class QLabel;

// The opening animation's regions for a client area of `width` x `height`, in the order they are
// built (played last to first); at most max(width, height) of them.
std::vector<QRect> BuildAboutRegions(int width, int height);

class TAboutFrm : public QWidget {
  Q_OBJECT
public:
  static constexpr int ClientWidth = 275;
  static constexpr int ClientHeight = 280;

  explicit TAboutFrm(QWidget* parent = nullptr);

  const std::vector<QRect>& Regions() const { return FRegions; }
  // The pause after each animation step; 10 ms unless a test wants the animation at full speed.
  void SetStepDelay(int milliseconds) { FStepDelay = milliseconds; }
  void ShowAnimated();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Pause();

  std::vector<QRect> FRegions;
  QLabel* FImage1 = nullptr;
  int FStepDelay = 10;
  bool FAnimating = false;
};
