#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "support/test_names.h"

using torv::abi::DateTimeArg;
using torv::abi::kDateTimeInvalid;
using torv::abi::kDateTimeNull;
using torv::abi::kDateTimeValid;
using torv::calendar::oleDateFromCalendar;
using torv::engine::CalendarTime;
using torv::engine::copyDateTimeArg;
using torv::engine::formatDateTime;
using torv::engine::toCalendarTime;

namespace {

struct FormatCase {
    const char* name;
    DateTimeArg value;
    const char* pattern;
    const char* expected;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr const char* kErrorPattern = "%Y-%m-%d %H%M";

const FormatCase kFormatCases[] = {
    {"exact half past nine", {42259.0 + 9.5 / 24, kDateTimeValid}, kErrorPattern, "2015-09-12 0930"},
    {"half past nine stored short", {42259.3958333, kDateTimeValid}, kErrorPattern, "2015-09-12 0930"},
    {"seconds round up", {42259.0 + (9 * 3600 + 29 * 60 + 59.6) / 86400, kDateTimeValid}, "%H%M%S", "093000"},
    {"seconds round down", {42259.0 + (9 * 3600 + 29 * 60 + 59.4) / 86400, kDateTimeValid}, "%H%M%S", "092959"},
    {"last half second carries the day", {42259.0 + 86399.6 / 86400, kDateTimeValid}, kErrorPattern, "2015-09-13 0000"},
    {"carry across a year", {42369.0 + 86399.7 / 86400, kDateTimeValid}, "%Y-%m-%d %H%M%S", "2016-01-01 000000"},
    {"epoch", {0.0, kDateTimeValid}, kErrorPattern, "1899-12-30 0000"},
    {"before the epoch the fraction counts forward", {-1.25, kDateTimeValid}, kErrorPattern, "1899-12-29 0600"},
    {"start pattern", {42259.0, kDateTimeValid}, "%d.%m", "12.09"},
    {"end pattern", {42260.0 + 0.999, kDateTimeValid}, "%d.%m.%Y", "13.09.2015"},
    {"leap day", {oleDateFromCalendar(2016, 2, 29, 23, 1), kDateTimeValid}, kErrorPattern, "2016-02-29 2301"},
    {"first OLE day", {-657434.0, kDateTimeValid}, "%d.%m %H%M", "01.01 0000"},
    {"last OLE day", {2958465.5, kDateTimeValid}, kErrorPattern, "9999-12-31 1200"},
    {"before year 100", {-657435.0, kDateTimeValid}, kErrorPattern, "Invalid DateTime"},
    {"after year 9999", {2958466.0, kDateTimeValid}, kErrorPattern, "Invalid DateTime"},
    {"huge", {1e300, kDateTimeValid}, kErrorPattern, "Invalid DateTime"},
    {"NaN", {kNaN, kDateTimeValid}, kErrorPattern, "Invalid DateTime"},
    {"infinity", {kInfinity, kDateTimeValid}, kErrorPattern, "Invalid DateTime"},
    {"minus infinity", {-kInfinity, kDateTimeValid}, kErrorPattern, "Invalid DateTime"},
    {"status invalid", {42259.0, kDateTimeInvalid}, kErrorPattern, "Invalid DateTime"},
    {"unknown status", {42259.0, 7}, kErrorPattern, "Invalid DateTime"},
    {"status null", {42259.0, kDateTimeNull}, kErrorPattern, ""},
    {"null with a NaN date", {kNaN, kDateTimeNull}, kErrorPattern, ""},
    {"weekday and day of year", {oleDateFromCalendar(2015, 9, 12), kDateTimeValid}, "%a %j", "Sat 255"},
};

class FormatDateTime : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDateTime, GivesTheExpectedText) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(formatDateTime(c.value, c.pattern), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatDateTime, ::testing::ValuesIn(kFormatCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });

TEST(CalendarTime, CoversYearsOneHundredToNineThousandNineHundredNinetyNine) {
    CalendarTime first{};
    ASSERT_TRUE(toCalendarTime({-657434.0, kDateTimeValid}, first));
    EXPECT_EQ(first.year, 100);
    CalendarTime last{};
    ASSERT_TRUE(toCalendarTime({2958465.9999, kDateTimeValid}, last));
    EXPECT_EQ(last.year, 9999);
    EXPECT_EQ(last.hour * 3600 + last.minute * 60 + last.second, 86391);
    CalendarTime beyond{};
    EXPECT_FALSE(toCalendarTime({2958465.99999999, kDateTimeValid}, beyond));  // rounds into year 10000
}

TEST(OleDate, MatchesKnownSerialNumbers) {
    EXPECT_EQ(oleDateFromCalendar(1899, 12, 30), 0.0);
    EXPECT_EQ(oleDateFromCalendar(1900, 1, 1), 2.0);
    EXPECT_EQ(oleDateFromCalendar(2015, 9, 12), 42259.0);
    EXPECT_EQ(oleDateFromCalendar(100, 1, 1), -657434.0);
    EXPECT_EQ(oleDateFromCalendar(9999, 12, 31), 2958465.0);
    EXPECT_DOUBLE_EQ(oleDateFromCalendar(1899, 12, 29, 6, 0), -1.25);
}

TEST(OleDate, RoundTripsThroughTheCalendarEveryDayForFourHundredYears) {
    // A Gregorian cycle covers every leap-year rule once.
    for (double day = 0; day < 146097; day += 1) {
        CalendarTime calendar{};
        ASSERT_TRUE(toCalendarTime({day + 0.5, kDateTimeValid}, calendar));
        ASSERT_EQ(oleDateFromCalendar(calendar.year, calendar.month, calendar.day), day);
        ASSERT_EQ(calendar.hour, 12);
    }
}

TEST(DateTimeArg, NullPointerReadsAsNull) {
    EXPECT_EQ(copyDateTimeArg(nullptr).status, kDateTimeNull);
    EXPECT_EQ(formatDateTime(copyDateTimeArg(nullptr), "%Y"), "");
    const DateTimeArg host{42259.5, kDateTimeValid};
    const DateTimeArg copy = copyDateTimeArg(&host);
    EXPECT_EQ(copy.date, host.date);
    EXPECT_EQ(copy.status, host.status);
}

}  // namespace
