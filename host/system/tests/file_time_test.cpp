#include "host/system/file_time.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(FileTime, KnownDates) {
  struct Case {
    FileTime time;
    CalendarTime calendar;
  };
  const Case cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},  // a Monday
      {kUnixEpochAsFileTime, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {UnixTimeToFileTime(951782400, 123000000), {2000, 2, 2, 29, 0, 0, 0, 123}},  // leap day
      {UnixTimeToFileTime(1765324799), {2025, 12, 2, 9, 23, 59, 59, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    std::optional<CalendarTime> calendar = FileTimeToCalendar(c.time);
    ASSERT_TRUE(calendar);
    EXPECT_EQ(*calendar, c.calendar);
    EXPECT_EQ(CalendarToFileTime(c.calendar), c.time);
  }
  EXPECT_EQ(FileTimeToUnixTime(UnixTimeToFileTime(1234567890, 999999999)), 1234567890);
}

TEST(FileTime, RefusesWhatIsOutOfRange) {
  EXPECT_FALSE(FileTimeToCalendar(-1));
  EXPECT_FALSE(FileTimeToCalendar(INT64_MAX));
  const CalendarTime bad[] = {
      {1600, 12, 0, 31, 0, 0, 0, 0}, {2023, 2, 0, 29, 0, 0, 0, 0}, {2024, 4, 0, 31, 0, 0, 0, 0},
      {2024, 13, 0, 1, 0, 0, 0, 0},  {2024, 1, 0, 0, 0, 0, 0, 0},  {2024, 1, 0, 1, 24, 0, 0, 0},
      {2024, 1, 0, 1, 0, 60, 0, 0},  {2024, 1, 0, 1, 0, 0, 60, 0}, {2024, 1, 0, 1, 0, 0, 0, 1000},
      {1900, 2, 0, 29, 0, 0, 0, 0},  // not a leap year
  };
  for (const CalendarTime& c : bad) {
    SCOPED_TRACE(::testing::Message() << c.year << "-" << c.month << "-" << c.day);
    EXPECT_FALSE(CalendarToFileTime(c));
  }
  EXPECT_TRUE(CalendarToFileTime({2000, 2, 0, 29, 23, 59, 59, 999}));
}

}  // namespace
}  // namespace host
