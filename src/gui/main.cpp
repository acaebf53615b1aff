// The program's entry: the application, its main window, the event loop.

#include <QApplication>
#include <QMessageBox>

#include "formats/directshow/ACS_DX9.h"
#include "gui/FrmConverter.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrune"));
  QApplication::setOrganizationName(QStringLiteral("Quillmar"));
  // MP3 and WMA input needs the media decoders; without them the program does not start.
  const std::string missing = DX9StartupMessage();
  if (!missing.empty()) {
    QMessageBox::critical(nullptr, QStringLiteral("Kestrune"), QString::fromStdString(missing));
    return 0;
  }
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  TFrmConverter window(arguments);
  window.show();
  // The new window takes the keyboard at once, also where no window manager hands it over.
  window.activateWindow();
  return QApplication::exec();
}
