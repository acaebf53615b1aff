#include "gui/WindowPlacement.h"

#include <algorithm>

QSize FirstStartSize(const QRect& available) {
  const QSize room = available.isValid() ? available.size() * 9 / 10 : QSize(960, 640);
  return QSize(960, 640).boundedTo(room);
}

bool TitleBarOnScreen(const QRect& frame, const QList<QRect>& screens) {
  const int needed = std::min(100, frame.width());
  for (const QRect& screen : screens) {
    const bool topInside = frame.top() >= screen.top() && frame.top() < screen.bottom() - 20;
    const int overlap = std::min(frame.right(), screen.right()) - std::max(frame.left(), screen.left()) + 1;
    if (topInside && needed > 0 && overlap >= needed) {
      return true;
    }
  }
  return false;
}
