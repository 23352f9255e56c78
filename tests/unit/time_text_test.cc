// The 16-byte time text, the DOS date and time pair and the calendar beneath both.
#include "output/time_text.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "common/calendar.h"
#include "fake_platform.h"
#include "platform/platform.h"

namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr uint64_t kTicksPerSecond = 10000000;

// The file time of a calendar date and time, computed by the C library as a cross-check.
FileTime At(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  int64_t seconds = static_cast<int64_t>(timegm(&t)) + kSecondsFrom1601To1970;
  return MakeFileTime(static_cast<uint64_t>(seconds) * kTicksPerSecond);
}

std::string TimeText(Platform& platform, FileTime time) {
  std::string text;
  AppendTimeText(platform, time, ReadTimeSeparators(platform), text);
  return text;
}

// A platform without a DOS conversion of its own: every time takes the calendar path.
class NoDosPlatform : public FakePlatform {
 public:
  int FileTimeToDosDateTime(FileTime, uint16_t&, uint16_t&) override { return -1; }
};

struct TimeCase {
  FileTime time;
  const char* text;
};

const TimeCase kCases[] = {
    {At(2010, 3, 5, 14, 7, 30), "2010/03/05 14:07"},
    {At(2010, 3, 5, 12, 34, 30), "2010/03/05 12:34"},
    {At(2010, 12, 31, 23, 59, 59), "2010/12/31 23:59"},  // the odd second is dropped
    {At(2000, 2, 29, 0, 0, 0), "2000/02/29 00:00"},
    {At(1980, 1, 1, 0, 0, 0), "1980/01/01 00:00"},
    {At(2107, 12, 31, 23, 59, 58), "2107/12/31 23:59"},
    // Outside the DOS range: the same pattern from the calendar.
    {At(1979, 12, 31, 23, 59, 59), "1979/12/31 23:59"},
    {At(2108, 1, 1, 0, 0, 0), "2108/01/01 00:00"},
    {At(1970, 1, 1, 9, 0, 0), "1970/01/01 09:00"},
    {FileTime{}, "1601/01/01 00:00"},
    {At(9999, 12, 31, 23, 59, 59), "9999/12/31 23:59"},
    // Years that four digits cannot hold.
    {At(10000, 1, 1, 0, 0, 0), "9999/12/31 23:59"},
    {MakeFileTime(~0ull), "9999/12/31 23:59"},
};

TEST(TimeText, PatternWithDefaultSeparators) {
  FakePlatform platform;
  for (const TimeCase& c : kCases) {
    EXPECT_EQ(c.text, TimeText(platform, c.time)) << FileTimeValue(c.time);
  }
}

TEST(TimeText, CalendarPathGivesTheSameTexts) {
  NoDosPlatform platform;
  for (const TimeCase& c : kCases) {
    // The calendar keeps the odd second, which the text does not show either.
    EXPECT_EQ(c.text, TimeText(platform, c.time)) << FileTimeValue(c.time);
  }
}

TEST(TimeText, RegionalSeparators) {
  struct SeparatorCase {
    const char* date;
    const char* time;
    const char* text;
  };
  const SeparatorCase cases[] = {
      {"/", ":", "2010/03/05 14:07"},
      {"-", ".", "2010-03-05 14.07"},
      {".", ":", "2010.03.05 14:07"},
      // Not exactly one byte: the defaults keep the text at 16 bytes.
      {"", "", "2010/03/05 14:07"},
      {"--", "::", "2010/03/05 14:07"},
      {"\x94\x4E", "\x8E\x9E", "2010/03/05 14:07"},
  };
  for (const SeparatorCase& c : cases) {
    FakePlatform platform;
    platform.date_separator = c.date;
    platform.time_separator = c.time;
    EXPECT_EQ(c.text, TimeText(platform, At(2010, 3, 5, 14, 7, 30))) << c.date << c.time;
    // Past 2107 the text comes from the calendar, with the same separators.
    std::string later = c.text;
    later.replace(0, 4, "2200").replace(11, 2, "23").replace(14, 2, "00");
    EXPECT_EQ(later, TimeText(platform, At(2200, 3, 5, 23, 0, 0))) << c.date << c.time;
  }
}

TEST(TimeText, AppendsExactlySixteenBytes) {
  FakePlatform platform;
  std::string out = "name ";
  AppendTimeText(platform, At(2010, 3, 5, 14, 7, 30), TimeSeparators{}, out);
  EXPECT_EQ("name 2010/03/05 14:07", out);
  for (uint64_t value : {0ull, 1ull, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, ~0ull}) {
    std::string text = TimeText(platform, MakeFileTime(value));
    EXPECT_EQ(kTimeTextLength, text.size()) << value;
  }
}

TEST(DosDateTime, WordsOfADate) {
  uint16_t date = 0;
  uint16_t time = 0;
  ASSERT_EQ(0, DosDateTimeFromFileTime(At(2010, 3, 5, 14, 7, 31), date, time));
  EXPECT_EQ((30 << 9) | (3 << 5) | 5, date);
  EXPECT_EQ((14 << 11) | (7 << 5) | 15, time);
  ASSERT_EQ(0, DosDateTimeFromFileTime(At(2107, 12, 31, 23, 59, 59), date, time));
  EXPECT_EQ((127 << 9) | (12 << 5) | 31, date);
  EXPECT_EQ((23 << 11) | (59 << 5) | 29, time);
}

TEST(DosDateTime, OutsideTheRangeFails) {
  uint16_t date = 0;
  uint16_t time = 0;
  EXPECT_EQ(-1, DosDateTimeFromFileTime(At(1979, 12, 31, 23, 59, 59), date, time));
  EXPECT_EQ(-1, DosDateTimeFromFileTime(At(2108, 1, 1, 0, 0, 0), date, time));
  EXPECT_EQ(-1, DosDateTimeFromFileTime(FileTime{}, date, time));
  EXPECT_EQ(-1, DosDateTimeFromFileTime(MakeFileTime(~0ull), date, time));
}

TEST(Calendar, AgreesWithTheCLibrary) {
  // About 100,000 samples from 1601 to 9999, each at an odd second of the day.
  constexpr int64_t kStep = 2650001;
  constexpr int64_t kLast = 253402300799 + kSecondsFrom1601To1970;  // 9999-12-31 23:59:59
  for (int64_t seconds = 0; seconds <= kLast; seconds += kStep) {
    std::time_t unix_seconds = static_cast<std::time_t>(seconds - kSecondsFrom1601To1970);
    std::tm expected{};
    ASSERT_NE(nullptr, gmtime_r(&unix_seconds, &expected));
    CalendarTime got =
        CalendarTimeFromFileTime(MakeFileTime(static_cast<uint64_t>(seconds) * kTicksPerSecond));
    ASSERT_EQ(expected.tm_year + 1900, got.Year) << seconds;
    ASSERT_EQ(static_cast<unsigned>(expected.tm_mon + 1), got.Month) << seconds;
    ASSERT_EQ(static_cast<unsigned>(expected.tm_mday), got.Day) << seconds;
    ASSERT_EQ(static_cast<unsigned>(expected.tm_hour), got.Hour) << seconds;
    ASSERT_EQ(static_cast<unsigned>(expected.tm_min), got.Minute) << seconds;
    ASSERT_EQ(static_cast<unsigned>(expected.tm_sec), got.Second) << seconds;
  }
}

TEST(Calendar, LeapYearEdges) {
  struct EdgeCase {
    FileTime time;
    int64_t year;
    unsigned month;
    unsigned day;
  };
  const EdgeCase cases[] = {
      {At(1700, 3, 1, 0, 0, 0), 1700, 3, 1},  // 1700 has no 29 February
      {At(1904, 2, 29, 12, 0, 0), 1904, 2, 29}, {At(2000, 2, 29, 23, 59, 59), 2000, 2, 29},
      {At(2100, 3, 1, 0, 0, 0), 2100, 3, 1},    {MakeFileTime(~0ull), 60056, 5, 28},
  };
  for (const EdgeCase& c : cases) {
    CalendarTime got = CalendarTimeFromFileTime(c.time);
    EXPECT_EQ(c.year, got.Year);
    EXPECT_EQ(c.month, got.Month);
    EXPECT_EQ(c.day, got.Day);
  }
}

}  // namespace
