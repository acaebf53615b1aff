// The widget tests' entry: one application on Qt's offscreen platform with a desktop-sized
// screen, and the settings and the copy-data socket of a user of its own, so no test touches the
// real user's files or window.

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>
#include <QApplication>

#include "GuiTestSupport.h"

int main(int argc, char** argv) {
  gui_testing::IsolatedUser user;
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.isEmpty() || platform == "offscreen") {
    const std::string screens = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/screens.json";
    std::ofstream(screens) << R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1600,)"
                              R"( "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screens.c_str());
  }
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
