#include "crosscheck/results_page.h"

#include <algorithm>
#include <array>
#include <climits>

#include "calendar/minutes.h"
#include "crosscheck/report_text.h"

namespace crosscheck {

namespace {

// The hours the pictures cover: the contest period, else the span of all contacts.
struct HourSpan {
    int64_t first = 0;
    int64_t count = 0;
};

HourSpan hourSpan(const ContestReport& report) {
    int64_t low = INT64_MAX;
    int64_t high = INT64_MIN;
    for (const SubmittedLog& log : report.logs) {
        for (const LogQso& q : log.qsos) {
            low = std::min(low, q.minute);
            high = std::max(high, q.minute);
        }
    }
    if (report.settings.period.start) {
        low = *report.settings.period.start;
    }
    if (report.settings.period.end) {
        high = *report.settings.period.end;
    }
    HourSpan span;
    if (low > high) {
        return span;
    }
    auto hourOf = [](int64_t minute) { return (minute >= 0 ? minute : minute - 59) / 60; };
    span.first = hourOf(low);
    // A week of hours at most: a stray date does not make the picture unreadable.
    span.count = std::min<int64_t>(hourOf(high) - span.first + 1, 24 * 7);
    return span;
}

struct BandColour {
    const char* band;
    const char* colour;
};
constexpr std::array<BandColour, 6> kBandColours = {{
    {"160m", "#7f3c8d"},
    {"80m", "#11a579"},
    {"40m", "#3969ac"},
    {"20m", "#f2b701"},
    {"15m", "#e73f74"},
    {"10m", "#80ba5a"},
}};
constexpr const char* kOtherBandColour = "#a5aa99";

const char* colourOf(const std::string& band) {
    for (const BandColour& b : kBandColours) {
        if (band == b.band) {
            return b.colour;
        }
    }
    return kOtherBandColour;
}

// numerator / denominator in tenths, a half rounded up (both not negative).
int64_t tenthsOf(int64_t numerator, int64_t denominator) {
    return (numerator * 20 + denominator) / (denominator * 2);
}

// "12.3", "-0.5": tenths as a number with one decimal.
std::string tenthsText(int64_t tenths) {
    const int64_t size = tenths < 0 ? -tenths : tenths;
    return (tenths < 0 ? "-" : "") + std::to_string(size / 10) + "." + std::to_string(size % 10);
}

// Contacts per hour by band as stacked bars, one path per band.
std::string hourlySvg(const SubmittedLog& log, const HourSpan& span) {
    constexpr int kWidth = 480;
    constexpr int kHeight = 64;
    if (span.count <= 0) {
        return std::string();
    }
    std::vector<std::string> bands;
    for (const LogQso& q : log.qsos) {
        if (std::find(bands.begin(), bands.end(), q.band) == bands.end()) {
            bands.push_back(q.band);
        }
    }
    sortBandsDescending(bands);
    const size_t hours = static_cast<size_t>(span.count);
    std::vector<std::vector<int>> counts(bands.size(), std::vector<int>(hours, 0));
    for (const LogQso& q : log.qsos) {
        const int64_t hour = (q.minute >= 0 ? q.minute : q.minute - 59) / 60 - span.first;
        if (hour < 0 || hour >= span.count) {
            continue;
        }
        const size_t b = static_cast<size_t>(std::find(bands.begin(), bands.end(), q.band) - bands.begin());
        ++counts[b][static_cast<size_t>(hour)];
    }
    int peak = 1;
    for (size_t h = 0; h < hours; ++h) {
        int total = 0;
        for (size_t b = 0; b < bands.size(); ++b) {
            total += counts[b][h];
        }
        peak = std::max(peak, total);
    }
    // Coordinates in tenths, computed in integers (halves rounded up), so
    // that every platform prints the same digits.
    const int64_t columns = static_cast<int64_t>(hours);
    const int64_t barTenths = tenthsOf(kWidth * 85, 100 * columns);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) + "\" height=\"" +
                      std::to_string(kHeight) + "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
                      std::to_string(kHeight) + "\" role=\"img\"><title>" + htmlEscaped(log.call) +
                      ": contacts per hour (peak " + std::to_string(peak) + ")</title>";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#f7f7f4\"/>";
    std::vector<int> stacked(hours, 0);
    for (size_t b = 0; b < bands.size(); ++b) {
        std::string path;
        for (size_t h = 0; h < hours; ++h) {
            if (counts[b][h] == 0) {
                continue;
            }
            const int64_t top = stacked[h] + counts[b][h];
            path += "M" + tenthsText(tenthsOf(static_cast<int64_t>(h) * kWidth, columns)) + " " +
                    tenthsText(kHeight * 10 - tenthsOf(top * (kHeight - 4), peak)) + "h" + tenthsText(barTenths) + "v" +
                    tenthsText(tenthsOf(int64_t{counts[b][h]} * (kHeight - 4), peak)) + "h" + tenthsText(-barTenths) +
                    "z";
            stacked[h] += counts[b][h];
        }
        if (!path.empty()) {
            svg += "<path fill=\"" + std::string(colourOf(bands[b])) + "\" d=\"" + path + "\"><title>" +
                   htmlEscaped(bands[b]) + "</title></path>";
        }
    }
    return svg + "</svg>";
}

}  // namespace

std::string resultsHtml(const ContestReport& report) {
    const HourSpan span = hourSpan(report);
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>TORV results</title>";
    html += "<style>" + std::string(kPageStyle) + "</style></head><body>\n<h1>TORV results, checked</h1>\n";
    if (span.count > 0) {
        html += "<p>Contacts per hour from " + minuteText(span.first * 60) + " UTC, " + std::to_string(span.count) +
                " hours.</p>\n<p class=\"legend\">";
        for (const BandColour& b : kBandColours) {
            html += "<span><i style=\"background:" + std::string(b.colour) + "\"></i>" + b.band + "</span>";
        }
        html += "<span><i style=\"background:" + std::string(kOtherBandColour) + "\"></i>other</span></p>\n";
    }
    bool tableOpen = false;
    const std::vector<std::string> ubnNames = ubnFileNames(report);
    for (const Ranked& row : ranked(report)) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        const SubmittedLog& log = report.logs[l];
        if (row.opensCategory) {
            if (tableOpen) {
                html += "</table>\n";
            }
            tableOpen = true;
            html += "<h2>" + htmlEscaped(categoryOf(e)) +
                    "</h2>\n<table><tr><th>Rank</th><th class=\"l\">Call</th><th class=\"l\">Band</th><th>QSOs</th>"
                    "<th>Confirmed</th><th>Points</th><th>Mult</th><th>Claimed</th><th>Checked</th><th>NIL</th>"
                    "<th>Busted</th><th>Unique</th><th class=\"l\">Contacts per hour</th></tr>\n";
        }
        const VerdictCounts c = countVerdicts(report.verdicts[l]);
        html += "<tr><td>" + std::to_string(row.rank) + "</td><td class=\"l\"><a href=\"ubn/" +
                htmlEscaped(ubnNames[l]) + ".html\">" + htmlEscaped(log.call) + "</a></td><td class=\"l\">" +
                htmlEscaped(e.header.categoryBand) + "</td><td>" + std::to_string(e.claimedQsos) + "</td><td>" +
                std::to_string(c.confirmed) + "</td><td>" + std::to_string(e.checked.points) + "</td><td>" +
                std::to_string(e.checked.summary.multipliers) + "</td><td>" + std::to_string(claimedScoreOf(e)) +
                "</td><td><b>" + std::to_string(e.checked.score) + "</b></td><td>" + std::to_string(c.nil) +
                "</td><td>" + std::to_string(c.busted) + "</td><td>" + std::to_string(c.unique) +
                "</td><td class=\"l\">" + hourlySvg(log, span) + "</td></tr>\n";
    }
    if (tableOpen) {
        html += "</table>\n";
    }
    std::string findings;
    for (size_t l : resultsOrder(report)) {
        for (const std::string& f : report.entrants[l].findings) {
            findings += "<li>" + htmlEscaped(report.logs[l].call + ": " + f) + "</li>";
        }
    }
    if (!findings.empty()) {
        html += "<h2>Headers</h2>\n<ul class=\"notes\">" + findings + "</ul>\n";
    }
    if (!report.notes.empty()) {
        html += "<h2>Files</h2>\n<ul class=\"notes\">";
        for (const std::string& note : report.notes) {
            html += "<li>" + htmlEscaped(note) + "</li>";
        }
        html += "</ul>\n";
    }
    return html + "</body></html>\n";
}

}  // namespace crosscheck
