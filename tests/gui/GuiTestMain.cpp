// The widget tests' entry: one application on Qt's offscreen platform, with the settings and the
// copy-data socket of a user of its own, so no test touches the real user's files or window.

#include <cstdlib>

#include <gtest/gtest.h>
#include <QApplication>

#include "GuiTestSupport.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  gui_testing::IsolatedUser user;
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
