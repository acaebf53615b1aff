#pragma once

// The program's pictures, painted rather than shipped as files: the application icon, the
// toolbar images and the list's small header images.

#include <QIcon>
#include <QImage>

namespace Icons {

// The application icon at the usual sizes.
QIcon Application();
// The application icon as one square image (for the About window and the desktop file).
QImage ApplicationImage(int size);

QIcon OpenFiles();
QIcon Convert();
QIcon Stop();
QIcon Options();
QIcon About();

// The list's small image set: 11 and 12 are the two check-all states of the "Track" column,
// 13 album, 14 artist, 15 genre, 16 title, 21 status, 22 comment. Other indexes give no image.
QIcon ListImage(int index);

}  // namespace Icons
