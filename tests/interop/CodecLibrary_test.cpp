#include <gtest/gtest.h>

#include <unistd.h>

#include "support/TestSupport.h"

using namespace testing_support;

// The codec libraries are loaded by name at run time; a link-time dependency would make every
// program refuse to start on a machine that lacks one of them.
TEST(CodecLibrary_Interop, ProgramsHaveNoLinkTimeDependencyOnCodecLibraries) {
  const ToolResult result = RunTool("readelf -d /proc/" + std::to_string(::getpid()) + "/exe");
  ASSERT_EQ(result.ExitCode, 0);
  ASSERT_NE(result.Output.find("NEEDED"), std::string::npos);
  for (const char* library : {"libogg", "libvorbis", "libmp3lame", "libFLAC"}) {
    EXPECT_EQ(result.Output.find(std::string("[") + library), std::string::npos) << library;
  }
}
