// The calendar conversion of the host's dates, held against OLE Automation's
// own (VariantTimeToSystemTime), which the host's date-time class uses.
#include <windows.h>

#include <oleauto.h>

#include <cmath>
#include <iomanip>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/date_time.h"

using torv::abi::kDateTimeValid;
using torv::engine::CalendarTime;
using torv::engine::toCalendarTime;

namespace {

std::vector<double> datesToCompare() {
    std::vector<double> dates = {
        0.0,
        0.5,
        -0.5,
        -1.25,
        -1.75,
        1.0 / 86400,
        0.5 / 86400,
        0.49 / 86400,
        0.51 / 86400,
        42259.3958333,
        42259.39583333333,
        42259.0 + 86399.4 / 86400,
        42259.0 + 86399.6 / 86400,
        -657434.0,
        -657434.5,
        2958465.0,
        2958465.99998,
        36526.0,
        59.0,
        60.0,
        61.0,
    };
    // Every second around a few minutes of a contest day, before and after the epoch.
    for (int second = 0; second < 600; ++second) {
        dates.push_back(42259.0 + (9 * 3600 + second + 0.37) / 86400.0);
        dates.push_back(-3000.0 - (9 * 3600 + second + 0.63) / 86400.0);
    }
    std::mt19937_64 random(20150912);
    std::uniform_real_distribution<double> anyDate(-657434.0, 2958465.0);
    for (int i = 0; i < 20000; ++i) {
        dates.push_back(anyDate(random));
    }
    return dates;
}

TEST(DateTimeCompare, CalendarFieldsMatchVariantTimeToSystemTime) {
    int compared = 0;
    for (double date : datesToCompare()) {
        SYSTEMTIME system{};
        const bool systemValid = VariantTimeToSystemTime(date, &system) != 0;
        CalendarTime ours{};
        const bool oursValid = toCalendarTime({date, kDateTimeValid}, ours);
        ASSERT_EQ(oursValid, systemValid) << std::setprecision(17) << date;
        if (!systemValid) {
            continue;
        }
        ASSERT_EQ(ours.year, system.wYear) << std::setprecision(17) << date;
        ASSERT_EQ(ours.month, system.wMonth) << std::setprecision(17) << date;
        ASSERT_EQ(ours.day, system.wDay) << std::setprecision(17) << date;
        ASSERT_EQ(ours.hour, system.wHour) << std::setprecision(17) << date;
        ASSERT_EQ(ours.minute, system.wMinute) << std::setprecision(17) << date;
        ASSERT_EQ(ours.second, system.wSecond) << std::setprecision(17) << date;
        ++compared;
    }
    EXPECT_GT(compared, 20000);
}

}  // namespace
