// Takes the pictures tools/screenshots shows: the main window with a few rows and every page of
// the options dialog, written as PNG files into the folder named by the first argument.

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"

namespace {

bool Save(QWidget* widget, const QString& file) {
  QApplication::processEvents();
  return widget->grab().save(file);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QStringList arguments = QApplication::arguments();
  if (arguments.size() < 2) {
    qWarning("usage: kestrune_screenshots <folder> [audio files...]");
    return 2;
  }
  const QDir folder(arguments.at(1));
  QStringList files = arguments.mid(2);
  TFrmConverter window(files);
  window.resize(760, 480);
  window.show();
  if (window.ListView1->RowCount() > 1) {
    window.ListView1->topLevelItem(1)->setSelected(true);
    window.ListView1SelectItem(1);
  }
  bool saved = Save(&window, folder.filePath(QStringLiteral("main-window.png")));
  TOptionsFrm* options = window.OptionsFrm();
  options->show();
  auto* pages = options->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    saved = Save(options, folder.filePath(QStringLiteral("options-%1-%2.png").arg(page + 1).arg(pages->tabText(page))))
            && saved;
  }
  return saved ? 0 : 1;
}
