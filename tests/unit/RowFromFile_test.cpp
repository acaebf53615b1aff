#include "app/RowFromFile.h"

#include <gtest/gtest.h>

#include <limits>

TEST(RowFromFile, DurationIsHoursMinutesSecondsRoundedToTheSecond) {
  EXPECT_EQ(FormatDuration(0), "0:00:00");
  EXPECT_EQ(FormatDuration(245.4), "0:04:05");
  EXPECT_EQ(FormatDuration(3600 * 27 + 61), "27:01:01");
  EXPECT_EQ(FormatDuration(-3), "0:00:00");
  EXPECT_EQ(FormatDuration(std::numeric_limits<double>::quiet_NaN()), "0:00:00");
}
