#include "app/AppDir.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

TEST(AppDirTest, DataIsFoundBesideTheProgramOrInTheInstalledShareFolder) {
  TempDir root;
  const std::string bin = root.File("usr/bin");
  fs::create_directories(bin);
  EXPECT_EQ(DataFolderFor(bin), bin + "/");  // nothing anywhere: the program's own folder
  fs::create_directories(root.File("usr/share/kestrune/Languages"));
  EXPECT_EQ(DataFolderFor(bin), root.File("usr/share/kestrune") + "/");
  EXPECT_EQ(DataFolderFor(bin + "/"), root.File("usr/share/kestrune") + "/");
  // In the build tree the data folders lie beside the program, and they win.
  fs::create_directories(bin + "/Profiles");
  EXPECT_EQ(DataFolderFor(bin), bin + "/");
  EXPECT_EQ(AppDir(), fs::path(BuiltBinary("kestrune-cli")).parent_path().string() + "/");
}
