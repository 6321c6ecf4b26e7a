#include "crosscheck/hourly_chart.h"

#include <algorithm>

#include "calendar/minutes.h"
#include "crosscheck/report_text.h"
#include "engine/contest.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using calendar::hourOf;

namespace {

// The chart's frame, in pixels: the plot between these lines, the count
// axis's labels left of it, the hours' labels below.
constexpr int64_t kWidth = 320;
constexpr int64_t kHeight = 72;
constexpr int64_t kPlotLeft = 26;
constexpr int64_t kPlotRight = 316;
constexpr int64_t kPlotTop = 6;
constexpr int64_t kPlotBottom = 58;
constexpr int64_t kLabelSpacing = 28;  // the least room between two hour labels

constexpr int64_t kWeekOfHours = 24 * 7;

// numerator / denominator in tenths, a half rounded up (both not negative).
int64_t tenthsOf(int64_t numerator, int64_t denominator) {
    return (numerator * 20 + denominator) / (denominator * 2);
}

int bandIndex(std::string_view band) {
    const auto& bands = chartBands();
    const auto found = std::find(bands.begin(), bands.end(), band);
    return found == bands.end() ? -1 : static_cast<int>(found - bands.begin());
}

}  // namespace

const char* const kChartStyle =
    "svg.chart text{font:90px sans-serif;fill:#555}svg.chart .y{text-anchor:end}svg.chart .ax{fill:none;stroke:#999;"
    "stroke-width:10}div.chart{content-visibility:auto;contain-intrinsic-size:320px 72px}"
    ".b0{fill:#11a579;background:#11a579}.b1{fill:#3969ac;background:#3969ac}.b2{fill:#f2b701;background:#f2b701}"
    ".b3{fill:#e73f74;background:#e73f74}.b4{fill:#80ba5a;background:#80ba5a}"
    ".legend span{display:inline-block;margin-right:1em}.legend i{display:inline-block;width:1em;height:1em;"
    "margin-right:.3em;vertical-align:middle}";

const std::array<std::string, kChartBands>& chartBands() {
    static const std::array<std::string, kChartBands> bands = [] {
        std::array<std::string, kChartBands> counted;
        size_t next = 0;
        for (const char* band : contest::kBands) {
            if (contest::isCountedBand(band)) {
                counted.at(next++) = band;
            }
        }
        return counted;
    }();
    return bands;
}

HourSpan hourSpan(const ContestReport& report) {
    const Period& period = report.settings.options.period;
    std::vector<int64_t> minutes;
    if (!period.start || !period.end) {
        for (size_t l = 0; l < report.logs.size(); ++l) {
            for (const LogQso& q : report.logs[l].qsos) {
                minutes.push_back(q.minute - report.verdicts[l].offsetMinutes);
            }
        }
    }
    HourSpan span;
    if (minutes.empty() && (!period.start || !period.end)) {
        return span;
    }
    // Nearly all contacts: a thousandth at each end left aside.
    const size_t aside = minutes.size() / 1000;
    int64_t low = 0;
    int64_t high = 0;
    if (!minutes.empty()) {
        std::nth_element(minutes.begin(), minutes.begin() + static_cast<std::ptrdiff_t>(aside), minutes.end());
        low = minutes[aside];
        const size_t last = minutes.size() - 1 - aside;
        std::nth_element(minutes.begin(), minutes.begin() + static_cast<std::ptrdiff_t>(last), minutes.end());
        high = minutes[last];
    }
    low = period.start.value_or(low);
    high = period.end.value_or(high);
    if (low > high) {
        return span;
    }
    span.first = hourOf(low);
    span.count = std::min(hourOf(high) - span.first + 1, kWeekOfHours);
    return span;
}

int32_t HourlyCounts::peak() const {
    int32_t most = 0;
    for (const auto& hour : hours) {
        int32_t all = 0;
        for (int32_t count : hour) {
            all += count;
        }
        most = std::max(most, all);
    }
    return most;
}

HourlyCounts hourlyCounts(const SubmittedLog& log, int32_t offsetMinutes, const HourSpan& span) {
    HourlyCounts counts;
    counts.hours.resize(static_cast<size_t>(std::max<int64_t>(span.count, 0)));
    for (const LogQso& q : log.qsos) {
        const int64_t hour = hourOf(q.minute - offsetMinutes) - span.first;
        const int band = bandIndex(q.band);
        if (hour >= 0 && hour < span.count && band >= 0) {
            ++counts.hours[static_cast<size_t>(hour)][static_cast<size_t>(band)];
        }
    }
    return counts;
}

std::string hourlySvg(const HourlyCounts& counts, const HourSpan& span, int32_t scalePeak, const std::string& title) {
    const int64_t columns = static_cast<int64_t>(counts.hours.size());
    if (columns == 0) {
        return std::string();
    }
    // Coordinates are tenths of a pixel, whole numbers: the view box is ten
    // times the picture's size.
    const int64_t peak = std::max<int64_t>(scalePeak, 1);
    const int64_t plotWidth = kPlotRight - kPlotLeft;
    const int64_t plotHeight = kPlotBottom - kPlotTop;
    auto tenths = [](int64_t pixels) { return std::to_string(pixels * 10); };
    std::string svg = "<svg class=\"chart\" width=\"" + std::to_string(kWidth) + "\" height=\"" +
                      std::to_string(kHeight) + "\" viewBox=\"0 0 " + tenths(kWidth) + " " + tenths(kHeight) +
                      "\" role=\"img\"><title>" + htmlEscaped(title) + "</title>";
    // The bars, one path per band, stacked from the lowest band up.
    const std::string bar = std::to_string(tenthsOf(plotWidth * 85, 100 * columns));
    std::vector<int64_t> stacked(counts.hours.size(), 0);
    for (size_t b = 0; b < kChartBands; ++b) {
        std::string path;
        for (size_t h = 0; h < counts.hours.size(); ++h) {
            const int64_t count = counts.hours[h][b];
            if (count == 0) {
                continue;
            }
            const int64_t top = stacked[h] + count;
            appendAll(path, "M",
                      std::to_string(kPlotLeft * 10 + tenthsOf(static_cast<int64_t>(h) * plotWidth, columns)), " ",
                      std::to_string(kPlotBottom * 10 - tenthsOf(top * plotHeight, peak)), "h", bar, "v",
                      std::to_string(tenthsOf(count * plotHeight, peak)), "h-", bar, "z");
            stacked[h] = top;
        }
        if (!path.empty()) {
            appendAll(svg, "<path class=\"b", std::to_string(b), "\" d=\"", path, "\"/>");
        }
    }
    // The axes: counts 0 and the peak, and the hours of the day (UTC) at a
    // step that leaves room for their labels.
    svg += "<path class=\"ax\" d=\"M" + tenths(kPlotLeft) + " " + tenths(kPlotTop) + "V" + tenths(kPlotBottom) + "H" +
           tenths(kPlotRight) + "\"/><text class=\"y\" x=\"" + tenths(kPlotLeft - 3) + "\" y=\"" +
           tenths(kPlotTop + 6) + "\">" + std::to_string(peak) + "</text><text class=\"y\" x=\"" +
           tenths(kPlotLeft - 3) + "\" y=\"" + tenths(kPlotBottom) + "\">0</text>";
    int64_t step = 1;
    for (int64_t candidate : {1, 2, 3, 4, 6, 12, 24, 48}) {
        step = candidate;
        if (candidate * plotWidth >= kLabelSpacing * columns) {
            break;
        }
    }
    for (int64_t h = 0; h < columns; ++h) {
        const int64_t hourOfDay = ((span.first + h) % 24 + 24) % 24;
        if (hourOfDay % step != 0) {
            continue;
        }
        const char digits[] = {static_cast<char>('0' + hourOfDay / 10), static_cast<char>('0' + hourOfDay % 10), 0};
        appendAll(svg, "<text x=\"", std::to_string(kPlotLeft * 10 + tenthsOf(h * plotWidth, columns)), "\" y=\"",
                  tenths(kHeight - 4), "\">", digits, "</text>");
    }
    svg += "</svg>";
    return svg;
}

std::string chartLegend() {
    std::string legend = "<span class=\"legend\">";
    for (size_t b = 0; b < kChartBands; ++b) {
        legend += "<span><i class=\"b" + std::to_string(b) + "\"></i>" + chartBands()[b] + "</span>";
    }
    return legend + "</span>";
}

}  // namespace torv::crosscheck
