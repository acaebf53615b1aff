// Writes the application icon as a PNG file for the desktop entry: kestrune_icon <file> [size].

#include <QImage>
#include <QString>

#include "gui/Icons.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  const int size = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 256;
  return Icons::ApplicationImage(size > 0 ? size : 256).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
