#include "crosscheck/check_reports.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <numeric>
#include <tuple>

#include "calendar/minutes.h"
#include "crosscheck/file_names.h"
#include "logfile/text.h"

namespace crosscheck {

namespace {

// The order in which a UBN report lists what is not confirmed.
constexpr std::array<QsoStatus, 9> kReportedStatuses = {
    QsoStatus::kNil,  QsoStatus::kBustedCall, QsoStatus::kBustedExchange, QsoStatus::kUnique,    QsoStatus::kUnverified,
    QsoStatus::kDupe, QsoStatus::kRefused,    QsoStatus::kOutOfPeriod,    QsoStatus::kOtherBand,
};

const char* reasonWord(QsoStatus status) {
    switch (status) {
        case QsoStatus::kNil:
            return "NIL";
        case QsoStatus::kBustedCall:
            return "busted call";
        case QsoStatus::kBustedExchange:
            return "busted exchange";
        case QsoStatus::kUnique:
            return "unique";
        case QsoStatus::kUnverified:
            return "unverified";
        case QsoStatus::kDupe:
            return "duplicate";
        case QsoStatus::kRefused:
            return "refused";
        case QsoStatus::kOutOfPeriod:
            return "outside the period";
        case QsoStatus::kOtherBand:
            return "other band";
        case QsoStatus::kUnreadable:
            return "not read";
        case QsoStatus::kConfirmed:
            break;
    }
    return "confirmed";
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string padded(const std::string& text, size_t width, bool right) {
    if (text.size() >= width) {
        return text;
    }
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

std::string signedMinutes(int32_t minutes) {
    return (minutes > 0 ? "+" : "") + std::to_string(minutes) +
           (minutes == 1 || minutes == -1 ? " minute" : " minutes");
}

std::string categoryOf(const Entrant& entrant) {
    return entrant.categoryOperator.empty() ? std::string("(no category)") : entrant.categoryOperator;
}

// The entrants in results order, each with its rank in its category.
struct Ranked {
    size_t log;
    int rank;
    bool opensCategory;
};

std::vector<Ranked> ranked(const ContestReport& report) {
    std::vector<Ranked> rows;
    const std::string* category = nullptr;
    int rank = 0;
    for (size_t l : resultsOrder(report)) {
        const std::string& c = report.entrants[l].categoryOperator;
        const bool opens = category == nullptr || *category != c;
        if (opens) {
            category = &c;
            rank = 0;
        }
        rows.push_back({l, ++rank, opens});
    }
    return rows;
}

std::string jsonArray(const std::vector<std::string>& texts) {
    std::string json = "[";
    for (size_t i = 0; i < texts.size(); ++i) {
        json += (i ? ", \"" : "\"") + jsonEscaped(texts[i]) + "\"";
    }
    return json + "]";
}

std::string detailOf(const ContestReport& report, size_t log, size_t q) {
    std::string detail = verdictDetail(report.logs, report.verdicts, log, q);
    if (report.verdicts[log].qsos[q].status != QsoStatus::kOutOfPeriod &&
        outsidePeriod(report.logs[log].qsos[q], report.settings.period, report.verdicts[log].offsetMinutes)) {
        detail += detail.empty() ? "" : "; ";
        detail += "outside the contest period";
    }
    return detail;
}

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
            bands.push_back(q.band.str());
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

const char* kPageStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{padding:2px 8px;border-bottom:1px solid #ddd;text-align:right;vertical-align:middle}"
    "th{background:#eee}td.l,th.l{text-align:left}"
    ".legend span{display:inline-block;margin-right:1em}.legend i{display:inline-block;width:1em;height:1em;"
    "margin-right:.3em;vertical-align:middle}"
    "pre{background:#f7f7f4;padding:1em}ul.notes{color:#8a3b00}";

}  // namespace

VerdictCounts countVerdicts(const LogVerdict& verdict) {
    VerdictCounts counts;
    for (const QsoVerdict& v : verdict.qsos) {
        switch (v.status) {
            case QsoStatus::kConfirmed:
                ++counts.confirmed;
                break;
            case QsoStatus::kNil:
                ++counts.nil;
                break;
            case QsoStatus::kBustedCall:
            case QsoStatus::kBustedExchange:
                ++counts.busted;
                break;
            case QsoStatus::kUnique:
                ++counts.unique;
                break;
            default:
                break;
        }
    }
    return counts;
}

int64_t claimedScoreOf(const Entrant& entrant) {
    return entrant.header.claimedScore ? *entrant.header.claimedScore : entrant.claimedScore;
}

std::vector<size_t> resultsOrder(const ContestReport& report) {
    std::vector<size_t> order(report.logs.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Entrant& x = report.entrants[a];
        const Entrant& y = report.entrants[b];
        if (x.categoryOperator.empty() != y.categoryOperator.empty()) {
            return y.categoryOperator.empty();
        }
        if (x.categoryOperator != y.categoryOperator) {
            return x.categoryOperator < y.categoryOperator;
        }
        if (x.checked.score != y.checked.score) {
            return x.checked.score > y.checked.score;
        }
        return report.logs[a].call < report.logs[b].call;
    });
    return order;
}

std::vector<std::string> ubnFileNames(const ContestReport& report) {
    std::vector<std::string> calls;
    calls.reserve(report.logs.size());
    for (const SubmittedLog& log : report.logs) {
        calls.push_back(log.call);
    }
    return safeFileNames(calls);
}

std::string qsosCsv(const ContestReport& report) {
    std::vector<size_t> byCall(report.logs.size());
    std::iota(byCall.begin(), byCall.end(), size_t{0});
    std::sort(byCall.begin(), byCall.end(), [&](size_t a, size_t b) {
        return std::tie(report.logs[a].call, report.entrants[a].file) <
               std::tie(report.logs[b].call, report.entrants[b].file);
    });
    std::string csv = "log,line,status,other,detail\n";
    // Each row's line, and which contact (or unreadable line, after them) it is.
    std::vector<std::pair<uint32_t, size_t>> rows;
    for (size_t l : byCall) {
        const SubmittedLog& log = report.logs[l];
        rows.clear();
        for (size_t q = 0; q < log.qsos.size(); ++q) {
            rows.emplace_back(log.qsos[q].line, q);
        }
        for (size_t u = 0; u < log.unreadable.size(); ++u) {
            rows.emplace_back(log.unreadable[u].line, log.qsos.size() + u);
        }
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [line, index] : rows) {
            if (index >= log.qsos.size()) {
                const UnreadableQso& u = log.unreadable[index - log.qsos.size()];
                csv += csvField(log.call) + "," + std::to_string(line) + "," + kUnreadableWord + ",," +
                       csvField(u.reason) + "\n";
                continue;
            }
            const QsoVerdict& v = report.verdicts[l].qsos[index];
            const std::string other =
                v.otherLog < 0 ? std::string() : report.logs[static_cast<size_t>(v.otherLog)].call;
            csv += csvField(log.call) + "," + std::to_string(line) + "," + statusWord(v.status) + "," +
                   csvField(other) + "," + csvField(detailOf(report, l, index)) + "\n";
        }
    }
    return csv;
}

std::string ubnText(const ContestReport& report, size_t l) {
    const SubmittedLog& log = report.logs[l];
    const Entrant& e = report.entrants[l];
    const LogVerdict& verdict = report.verdicts[l];
    std::string text = "TORV UBN report for " + log.call + "\n";
    text += "Log: " + e.file + "\n";
    text += "Category: " + categoryOf(e) + (e.header.categoryBand.empty() ? "" : ", " + e.header.categoryBand) + "\n\n";
    auto row = [&](const std::string& name, int64_t claimed, int64_t checked) {
        text += padded(name, 14, false) + padded(std::to_string(claimed), 10, true) +
                padded(std::to_string(checked), 10, true) + "\n";
    };
    const VerdictCounts counts = countVerdicts(verdict);
    text += padded("", 14, false) + padded("claimed", 10, true) + padded("checked", 10, true) + "\n";
    row("QSOs", e.claimedQsos, counts.confirmed);
    row("Points", e.claimedPoints, e.checked.points);
    row("Multipliers", e.claimedMultipliers, e.checked.summary.multipliers);
    row("Score", claimedScoreOf(e), e.checked.score);
    if (e.checked.penaltyPoints > 0) {
        text +=
            "Penalty: " + std::to_string(e.checked.penaltyPoints) + " points taken off for NIL and busted contacts\n";
    }
    text += "\n";
    if (verdict.offsetPairs == 0) {
        text += "Clock offset: not estimated (no contact found in another log)\n";
    } else {
        text += "Clock offset: " + signedMinutes(verdict.offsetMinutes) + " (from " +
                std::to_string(verdict.offsetPairs) + (verdict.offsetPairs == 1 ? " contact" : " contacts") +
                " found in other logs)";
        if (verdict.offsetMinutes >= kReportedOffsetMinutes || verdict.offsetMinutes <= -kReportedOffsetMinutes) {
            text += "; your clock was off, the times were corrected by it";
        }
        text += "\n";
    }
    if (!e.findings.empty()) {
        text += "\nHeader and log:\n";
        for (const std::string& finding : e.findings) {
            text += "  " + finding + "\n";
        }
    }
    for (QsoStatus status : kReportedStatuses) {
        std::vector<size_t> qsos;
        for (size_t q = 0; q < verdict.qsos.size(); ++q) {
            if (verdict.qsos[q].status == status) {
                qsos.push_back(q);
            }
        }
        if (qsos.empty()) {
            continue;
        }
        std::stable_sort(qsos.begin(), qsos.end(),
                         [&](size_t a, size_t b) { return log.qsos[a].line < log.qsos[b].line; });
        text += "\n" + std::string(statusWord(status)) + " (" + std::to_string(qsos.size()) + ")\n";
        for (size_t q : qsos) {
            const std::string original = q < e.qsoText.size() ? e.qsoText[q] : std::string();
            text += "  line " + std::to_string(log.qsos[q].line) + ": " + original + "\n";
            text += "    " + std::string(reasonWord(status)) + ": " + detailOf(report, l, q) + "\n";
        }
    }
    if (!log.unreadable.empty()) {
        text += "\n" + std::string(kUnreadableWord) + " (" + std::to_string(log.unreadable.size()) + ")\n";
        for (size_t u = 0; u < log.unreadable.size(); ++u) {
            const std::string original = u < e.unreadableText.size() ? e.unreadableText[u] : std::string();
            text += "  line " + std::to_string(log.unreadable[u].line) + ": " + original + "\n";
            text += "    not read: " + log.unreadable[u].reason + "\n";
        }
    }
    return text;
}

std::string ubnHtml(const ContestReport& report, size_t l) {
    const std::string& call = report.logs[l].call;
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>UBN report " + htmlEscaped(call) +
           "</title><style>" + kPageStyle +
           "</style></head><body>\n<p><a href=\"../results.html\">Results</a></p>\n<pre>" +
           htmlEscaped(ubnText(report, l)) + "</pre>\n</body></html>\n";
}

std::string resultsText(const ContestReport& report) {
    std::string text = "TORV results, checked\n";
    const std::vector<size_t> order = resultsOrder(report);
    const std::string heading = padded("Rank", 5, true) + " " + padded("Call", 12, false) + padded("Band", 6, false) +
                                padded("QSOs", 6, true) + padded("Conf", 6, true) + padded("Points", 8, true) +
                                padded("Mult", 6, true) + padded("Claimed", 10, true) + padded("Checked", 10, true) +
                                padded("NIL", 5, true) + padded("Bust", 5, true) + padded("Uniq", 5, true) + "\n";
    for (const Ranked& row : ranked(report)) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        if (row.opensCategory) {
            text += "\n" + categoryOf(e) + "\n" + heading;
        }
        const VerdictCounts counts = countVerdicts(report.verdicts[l]);
        text += padded(std::to_string(row.rank), 5, true) + " " + padded(report.logs[l].call, 12, false) +
                padded(e.header.categoryBand.empty() ? "-" : e.header.categoryBand, 6, false) +
                padded(std::to_string(e.claimedQsos), 6, true) + padded(std::to_string(counts.confirmed), 6, true) +
                padded(std::to_string(e.checked.points), 8, true) +
                padded(std::to_string(e.checked.summary.multipliers), 6, true) +
                padded(std::to_string(claimedScoreOf(e)), 10, true) +
                padded(std::to_string(e.checked.score), 10, true) + padded(std::to_string(counts.nil), 5, true) +
                padded(std::to_string(counts.busted), 5, true) + padded(std::to_string(counts.unique), 5, true) + "\n";
    }
    std::string findings;
    for (size_t l : order) {
        const LogVerdict& v = report.verdicts[l];
        std::vector<std::string> lines = report.entrants[l].findings;
        if (v.offsetMinutes >= kReportedOffsetMinutes || v.offsetMinutes <= -kReportedOffsetMinutes) {
            lines.push_back("clock off by " + signedMinutes(v.offsetMinutes));
        }
        for (const std::string& line : lines) {
            findings += "  " + report.logs[l].call + ": " + line + "\n";
        }
    }
    if (!findings.empty()) {
        text += "\nHeaders and clocks\n" + findings;
    }
    if (!report.notes.empty()) {
        text += "\nFiles\n";
        for (const std::string& note : report.notes) {
            text += "  " + note + "\n";
        }
    }
    return text;
}

std::string resultsCsv(const ContestReport& report) {
    std::string csv =
        "category,rank,call,category_band,contacts_claimed,contacts_confirmed,points,multipliers,claimed_score,"
        "checked_score,nil,busted,unique,clock_offset\n";
    for (const Ranked& row : ranked(report)) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        const VerdictCounts c = countVerdicts(report.verdicts[l]);
        csv += csvField(e.categoryOperator) + "," + std::to_string(row.rank) + "," + csvField(report.logs[l].call) +
               "," + csvField(e.header.categoryBand) + "," + std::to_string(e.claimedQsos) + "," +
               std::to_string(c.confirmed) + "," + std::to_string(e.checked.points) + "," +
               std::to_string(e.checked.summary.multipliers) + "," + std::to_string(claimedScoreOf(e)) + "," +
               std::to_string(e.checked.score) + "," + std::to_string(c.nil) + "," + std::to_string(c.busted) + "," +
               std::to_string(c.unique) + "," + std::to_string(report.verdicts[l].offsetMinutes) + "\n";
    }
    return csv;
}

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

std::string resultsJson(const ContestReport& report) {
    const CheckSettings& s = report.settings;
    std::string json = "{\n  \"window\": " + std::to_string(s.options.windowMinutes) + ",\n  \"uniques\": \"" +
                       (s.rules.uniques == UniquePolicy::kRemove ? "remove" : "count") +
                       "\",\n  \"penalty\": " + std::to_string(s.rules.penalty) + ",\n  \"entrants\": [";
    bool first = true;
    for (const Ranked& row : ranked(report)) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        const VerdictCounts c = countVerdicts(report.verdicts[l]);
        json += first ? "\n" : ",\n";
        first = false;
        json += "    {\"call\": \"" + jsonEscaped(report.logs[l].call) + "\", \"file\": \"" + jsonEscaped(e.file) +
                "\", \"category_operator\": \"" + jsonEscaped(e.categoryOperator) + "\", \"category_band\": \"" +
                jsonEscaped(e.header.categoryBand) + "\", \"rank\": " + std::to_string(row.rank) +
                ", \"contacts_claimed\": " + std::to_string(e.claimedQsos) +
                ", \"contacts_confirmed\": " + std::to_string(c.confirmed) +
                ", \"points\": " + std::to_string(e.checked.points) +
                ", \"multipliers\": " + std::to_string(e.checked.summary.multipliers) +
                ", \"claimed_score\": " + std::to_string(claimedScoreOf(e)) +
                ", \"recomputed_claimed_score\": " + std::to_string(e.claimedScore) +
                ", \"checked_score\": " + std::to_string(e.checked.score) +
                ", \"penalty_points\": " + std::to_string(e.checked.penaltyPoints) +
                ", \"nil\": " + std::to_string(c.nil) + ", \"busted\": " + std::to_string(c.busted) +
                ", \"unique\": " + std::to_string(c.unique) +
                ", \"clock_offset\": " + std::to_string(report.verdicts[l].offsetMinutes) +
                ", \"findings\": " + jsonArray(e.findings) + "}";
    }
    return json + "\n  ],\n  \"notes\": " + jsonArray(report.notes) + "\n}\n";
}

std::string htmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string jsonEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (const size_t length = u >= 0x80 ? ::utf8SequenceLength(text, i) : 0) {
            // File names are UTF-8, while logs are 8-bit texts: a well-formed
            // UTF-8 sequence passes whole, any other byte above 127 is read
            // as Latin-1, so the result is valid JSON either way.
            out.append(text, i, length);
            i += length;
            continue;
        } else if (u < 0x20 || u >= 0x80) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

}  // namespace crosscheck
