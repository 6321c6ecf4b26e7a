// The contacts-per-hour charts of the results page and the UBN reports:
// contacts of each contest band per hour (UTC, on times corrected for the
// log's clock), stacked bars with an hour axis and a count axis, as inline
// SVG. Coordinates are whole tenths of a pixel computed in integers, so
// every platform writes the same digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

// The hours the charts cover, hours since 1970: the contest period when
// given, else the hours of nearly all contacts (a stray date left aside),
// a week at most.
struct HourSpan {
    int64_t first = 0;
    int64_t count = 0;
};
HourSpan hourSpan(const ContestReport& report);

// The bands the charts show: the contest's ("80m", ..., "10m").
constexpr size_t kChartBands = 5;
const std::array<std::string, kChartBands>& chartBands();

// One log's contacts in each hour of the span on each contest band.
struct HourlyCounts {
    std::vector<std::array<int32_t, kChartBands>> hours;
    int32_t peak() const;  // the most contacts in one hour, all bands
};
HourlyCounts hourlyCounts(const SubmittedLog& log, int32_t offsetMinutes, const HourSpan& span);

// The chart as inline SVG, its count axis up to scalePeak (the peak of the
// charts it is shown with, so that they compare). title names it for
// screen readers and as a tooltip. A page of many charts puts each in a
// div of class "chart", which the browser draws only once in view.
std::string hourlySvg(const HourlyCounts& counts, const HourSpan& span, int32_t scalePeak, const std::string& title);

// The legend of the bands' colours, as HTML.
std::string chartLegend();

// The style of the charts and their legend, for a page's style sheet.
extern const char* const kChartStyle;

}  // namespace torv::crosscheck
