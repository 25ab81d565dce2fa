#include "host/system/file_time.h"

namespace host {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = kTicksPerSecond * 86400;
// Days from 0000-03-01 (proleptic Gregorian) to 1601-01-01.
constexpr std::int64_t kDaysTo1601 = 584694;  // see DaysFromCivil(1601, 1, 1)

// Days since 0000-03-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

FileTime UnixTimeToFileTime(std::time_t seconds, long nanoseconds) {
  return kUnixEpochAsFileTime + static_cast<std::int64_t>(seconds) * kTicksPerSecond + nanoseconds / 100;
}

std::time_t FileTimeToUnixTime(FileTime time) {
  std::int64_t ticks = time - kUnixEpochAsFileTime;
  std::int64_t seconds = ticks / kTicksPerSecond;
  if (ticks % kTicksPerSecond < 0) --seconds;
  return static_cast<std::time_t>(seconds);
}

std::optional<CalendarTime> FileTimeToCalendar(FileTime time) {
  if (time < 0) return std::nullopt;
  const std::int64_t days = time / kTicksPerDay;
  std::int64_t rest = time % kTicksPerDay;
  // Civil date from days since 0000-03-01.
  const std::int64_t z = days + kDaysTo1601;
  const std::int64_t era = z / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t y = yoe + era * 400 + (m <= 2);
  if (y > 30827) return std::nullopt;

  CalendarTime c;
  c.year = static_cast<int>(y);
  c.month = m;
  c.day = d;
  c.day_of_week = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
  c.hour = static_cast<int>(rest / (kTicksPerSecond * 3600));
  rest %= kTicksPerSecond * 3600;
  c.minute = static_cast<int>(rest / (kTicksPerSecond * 60));
  rest %= kTicksPerSecond * 60;
  c.second = static_cast<int>(rest / kTicksPerSecond);
  c.milliseconds = static_cast<int>((rest % kTicksPerSecond) / 10000);
  return c;
}

std::optional<FileTime> CalendarToFileTime(const CalendarTime& c) {
  if (c.year < 1601 || c.year > 30827 || c.month < 1 || c.month > 12 || c.day < 1 ||
      c.day > DaysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
      c.minute > 59 || c.second < 0 || c.second > 59 || c.milliseconds < 0 || c.milliseconds > 999)
    return std::nullopt;
  const std::int64_t days = DaysFromCivil(c.year, c.month, c.day) - kDaysTo1601;
  return days * kTicksPerDay +
         ((static_cast<std::int64_t>(c.hour) * 60 + c.minute) * 60 + c.second) * kTicksPerSecond +
         static_cast<std::int64_t>(c.milliseconds) * 10000;
}

}  // namespace host
