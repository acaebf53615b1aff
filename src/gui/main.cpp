// The program's entry: the application, its main window, the event loop.

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <string_view>

#include "app/Version.h"
#include "formats/directshow/ACS_DX9.h"
#include "gui/FrmConverter.h"

namespace {

constexpr const char* Usage = R"(Usage: kestrune [FILE...]
Opens the window of the batch audio converter with the named audio files (WAV, MP3, OGG, WMA,
APE, FLAC) in its list. kestrune-cli converts from the command line with the same settings.

  -h, --help     this text
      --version  the program's version
)";

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts and before FFmpeg or any codec library is loaded.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-h" || argument == "--help") {
      std::fputs(Usage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("kestrune %s\n", KestruneVersion);
      return 0;
    }
  }
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
