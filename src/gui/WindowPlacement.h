#pragma once

// Where the main window opens: on the first start a size that suits the list, centred; later the
// size it had, and its place only when that still lies on a screen (a screen may have gone).

#include <QList>
#include <QRect>
#include <QSize>

// About 960 x 640, but never more than nine tenths of the screen's free area.
QSize FirstStartSize(const QRect& available);

// True when the title bar of a window at `frame` can be reached: its top edge lies on one of the
// screens' free areas over at least 100 pixels (or the whole width of a narrower window).
bool TitleBarOnScreen(const QRect& frame, const QList<QRect>& screens);
