// Local file times from POSIX time stamps, the run's UTC offset, and the locale's separators.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/posix/file_time.h"
#include "platform/posix/separators.h"

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

TEST(PosixFileTime, CountsHundredNanosecondsSince1601) {
  const struct {
    const char* label;
    int64_t seconds;
    int64_t nanoseconds;
    int64_t offset;
    uint64_t expected;
  } rows[] = {
      {"Unix epoch", 0, 0, 0, kUnixEpochAsFileTime},
      {"nanoseconds in 100 ns steps", 0, 123456789, 0, kUnixEpochAsFileTime + 1234567},
      {"nine hours east", 0, 0, 9 * 3600, kUnixEpochAsFileTime + 9 * 3600 * 10000000ull},
      {"five hours west", 0, 0, -5 * 3600, kUnixEpochAsFileTime - 5 * 3600 * 10000000ull},
      {"2021-03-04 05:06:07 UTC", 1614834367, 0, 0, (1614834367ull + 11644473600ull) * 10000000ull},
      {"1601-01-01 exactly", -11644473600, 0, 0, 0},
      {"before 1601", -11644473601, 999999999, 0, 0},
      {"far before 1601", INT64_MIN, 0, 0, 0},
      {"moved before 1601 by the offset", -11644473600, 0, -3600, 0},
      {"past the 64-bit range", INT64_MAX, 999999999, 0, UINT64_MAX},
      {"last second that fits", 1844674407370, 0, -11644473600, 1844674407370ull * 10000000ull},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected,
              FileTimeValue(LocalFileTimeFromPosix(row.seconds, row.nanoseconds, row.offset)))
        << row.label;
  }
}

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    const char* old = std::getenv("TZ");
    had_old_ = old != nullptr;
    if (had_old_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (had_old_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_old_ = false;
  std::string old_;
};

TEST(PosixFileTime, UtcOffsetComesFromTheTimeZoneInForce) {
  const struct {
    const char* zone;
    int64_t offset;
  } rows[] = {{"JST-9", 9 * 3600}, {"UTC0", 0}, {"EST5", -5 * 3600}, {"IST-5:30", 19800}};
  for (const auto& row : rows) {
    ScopedTimeZone zone(row.zone);
    EXPECT_EQ(row.offset, CurrentUtcOffsetSeconds()) << row.zone;
  }
}

TEST(PosixSeparators, TakesTheTextBetweenTheFirstTwoFields) {
  const struct {
    const char* format;
    const char* separator;  // empty: none that fits
  } rows[] = {
      {"%m/%d/%y", "/"},  {"%d.%m.%Y", "."}, {"%Y-%m-%d", "-"},    {"%H:%M:%S", ":"},
      {"%H.%M.%S", "."},  {"%D", "/"},       {"%F", "-"},          {"%T", ":"},
      {"%R", ":"},        {"%e-%b-%Y", "-"}, {"%-m/%-d/%Y", "/"},  {"%Od/%Om/%Oy", "/"},
      {"%d%%%m", "%"},    {"%%%d/%m", "/"},  {"%Y年%m月%d日", ""}, {"%H時%M分%S秒", ""},
      {"%d. %m. %Y", ""}, {"%d %m %Y", ""},  {"%r", ""},           {"%H", ""},
      {"", ""},           {"%Y%m%d", ""},    {"%a %d/%m", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.separator, FieldSeparator(row.format)) << row.format;
  }
}

TEST(PosixSeparators, AlwaysGivesOneCharacterEach) {
  std::string date, time;
  ReadLocaleSeparators(date, time);
  EXPECT_EQ(1u, date.size());
  EXPECT_EQ(1u, time.size());
}

}  // namespace
