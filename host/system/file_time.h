// File times as Windows programs know them, and calendar times.
//
// A FileTime counts 100-nanosecond intervals since 1601-01-01 00:00 UTC. A
// CalendarTime is its broken-down UTC form; no time zone is ever applied.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace host {

using FileTime = std::int64_t;

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
inline constexpr FileTime kUnixEpochAsFileTime = 116444736000000000LL;

struct CalendarTime {
  int year = 1601;      // 1601 to 30827
  int month = 1;        // 1 to 12
  int day_of_week = 1;  // 0 Sunday to 6 Saturday; ignored when converting back
  int day = 1;          // 1 to the month's length
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

FileTime UnixTimeToFileTime(std::time_t seconds, long nanoseconds = 0);
// Whole seconds since 1970 (rounded down).
std::time_t FileTimeToUnixTime(FileTime time);

// Fails for a negative time or one past year 30827.
std::optional<CalendarTime> FileTimeToCalendar(FileTime time);
// Fails when a field is out of its range (day 31 of April, hour 24, ...).
std::optional<FileTime> CalendarToFileTime(const CalendarTime& calendar);

}  // namespace host
