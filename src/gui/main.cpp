// The program's entry: the application, its main window, the event loop.

#include <QApplication>

#include "gui/FrmConverter.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrune"));
  QApplication::setOrganizationName(QStringLiteral("Quillmar"));
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  TFrmConverter window(arguments);
  window.show();
  return QApplication::exec();
}
