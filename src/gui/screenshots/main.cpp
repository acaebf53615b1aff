// Takes the pictures tools/screenshots shows, as PNG files into the folder named by the first
// argument: the main window with a few rows in the statuses of a batch, every page of the options
// dialog and the About window, in the Fusion style's light palette and in a dark one.

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTabWidget>

#include "gui/AboutFrm.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"
#include "gui/Palettes.h"

namespace {

bool Save(QWidget* widget, const QString& file) {
  QApplication::processEvents();
  return widget->grab().save(file);
}

// What a batch in progress shows: finished, failed, running and waiting rows.
void ShowBatchStatuses(TFrmConverter& window) {
  TFileListModel& model = window.ListView1->Model();
  const TRowStatus statuses[] = {{rsComplete, 100, {}},
                                 {rsFailed, 0, QStringLiteral("cannot be read as a FLAC file")},
                                 {rsConverting, 42, {}},
                                 {rsWaiting, 0, {}}};
  for (int row = 0; row < model.RowCount() && row < 4; ++row) {
    model.SetStatus(row, statuses[row]);
  }
}

bool TakePictures(const QDir& folder, const QString& prefix, const QStringList& files) {
  QStringList names = files;
  TFrmConverter window(names);
  window.resize(960, 640);
  window.show();
  ShowBatchStatuses(window);
  if (window.ListView1->RowCount() > 1) {
    window.ListView1->SelectRows({1});
  }
  bool saved = Save(&window, folder.filePath(prefix + QStringLiteral("main-window.png")));
  TFrmConverter empty;
  empty.resize(960, 640);
  empty.show();
  saved = Save(&empty, folder.filePath(prefix + QStringLiteral("main-window-empty.png"))) && saved;

  TOptionsFrm* options = window.OptionsFrm();
  options->show();
  auto* pages = options->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    const QString name = QStringLiteral("options-%1-%2.png").arg(page + 1).arg(pages->tabText(page));
    saved = Save(options, folder.filePath(prefix + name)) && saved;
  }
  options->reject();

  auto* about = new TAboutFrm(&window);
  about->ShowAnimated();
  about->Opening().setCurrentTime(about->Opening().duration());
  saved = Save(about, folder.filePath(prefix + QStringLiteral("about.png"))) && saved;
  about->close();
  return saved;
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
  const QStringList files = arguments.mid(2);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const QPalette light = QApplication::palette();
  bool saved = TakePictures(folder, QString(), files);
  QApplication::setPalette(DarkFusionPalette());
  saved = TakePictures(folder, QStringLiteral("dark-"), files) && saved;
  QApplication::setPalette(light);
  return saved ? 0 : 1;
}
