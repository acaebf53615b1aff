#include "app/InputFormats.h"

#include <gtest/gtest.h>

#include "app/DriverFormats.h"

TEST(InputFormats, AnExtensionOfTheTableInAnyCaseNamesItsSourceAndReader) {
  ASSERT_NE(InputFormatFor("/music/Song.M4a"), nullptr);
  EXPECT_EQ(InputFormatFor("/music/Song.M4a")->Component, "FFmpegIn1");
  EXPECT_EQ(InputFormatFor("a.wAv")->Reader, irWAV);
  EXPECT_EQ(InputFormatFor("a.OPUS")->Reader, irMedia);
  EXPECT_EQ(InputFormatFor("a.mp3")->Component, "DX9In1");
  for (const char* name : {"a.txt", "a.m4a.part", "/music.wav/notes", "wav", ""}) {
    EXPECT_EQ(InputFormatFor(name), nullptr) << name;
  }
  // The driver's table holds the same extensions.
  for (const TInputFormat& format : InputFormats()) {
    ASSERT_NE(TFormatTable().SourceFor(std::string(format.Extension)), nullptr) << format.Extension;
    EXPECT_EQ(TFormatTable().SourceFor(std::string(format.Extension))->Component, format.Component);
  }
}
