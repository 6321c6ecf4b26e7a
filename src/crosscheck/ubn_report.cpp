#include "crosscheck/ubn_report.h"

#include <algorithm>
#include <array>

#include "calendar/minutes.h"
#include "crosscheck/hourly_chart.h"
#include "crosscheck/report_text.h"

namespace torv::crosscheck {

using calendar::minuteText;

namespace {

// The order of the groups of a report: what is not counted, then what
// counts unconfirmed.
constexpr std::array<QsoStatus, 10> kGroupOrder = {
    QsoStatus::kNil,        QsoStatus::kBustedCall, QsoStatus::kBustedExchange, QsoStatus::kOutOfPeriod,
    QsoStatus::kOtherBand,  QsoStatus::kDupe,       QsoStatus::kRefused,        QsoStatus::kUnreadable,
    QsoStatus::kUnverified, QsoStatus::kUnique,
};

// One quoted line of a log: where it is, the line, and why it is listed.
struct Row {
    std::string where;
    std::string_view line;  // in the entrant's texts, which outlive the report
    std::string reason;
};

struct Group {
    std::string heading;
    std::vector<Row> rows;
};

// The report as data, written out as text or as a page.
struct Report {
    std::string title;
    std::string category;
    std::array<std::array<int64_t, 2>, 4> scores{};  // QSOs, points, multipliers, score: claimed, checked
    std::string penalty;
    std::string lineCounts;
    std::string clock;
    std::vector<Group> groups;
    Group others;
    HourSpan span;
    HourlyCounts hourly;
};

std::string clockSentence(Language language, const LogVerdict& verdict) {
    const Words& w = wordsFor(language);
    const std::string pairs = std::to_string(verdict.offsetPairs);
    if (verdict.offsetPairs == 0) {
        return std::string(w.clockUnknown);
    }
    if (verdict.offsetMinutes == 0) {
        return filled(w.clockRight, {pairs});
    }
    return filled(w.clockOff, {offsetWords(language, verdict.offsetMinutes), pairs});
}

std::string lineCountsSentence(const ContestReport& report, const VerdictCounts& counts) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    const UniquePolicy uniques = report.settings.rules.uniques;
    auto item = [&](StatusWords words, int32_t count) {
        return filled(w.countAfterName, {words.counted, std::to_string(count)});
    };
    std::string counted;
    std::string notCounted;
    for (QsoStatus status : {QsoStatus::kConfirmed, QsoStatus::kUnverified, QsoStatus::kUnique}) {
        if (countsInScore(status, uniques)) {
            counted += (counted.empty() ? "" : ", ") + item(statusWords(language, status), counts.of(status));
        }
    }
    const int32_t countedTotal = counts.counted(uniques);
    for (QsoStatus status : kGroupOrder) {
        if (!countsInScore(status, uniques) && counts.of(status) != 0) {
            notCounted += (notCounted.empty() ? "" : ", ") + item(statusWords(language, status), counts.of(status));
        }
    }
    return filled(notCounted.empty() ? w.lineCountsAllCounted : w.lineCounts,
                  {std::to_string(counts.lines()), std::to_string(countedTotal), counted,
                   std::to_string(counts.lines() - countedTotal), notCounted});
}

std::string_view textOf(const std::vector<std::string>& texts, size_t i) {
    return i < texts.size() ? std::string_view(texts[i]) : std::string_view();
}

Report reportOf(const ContestReport& report, const UbnShared& shared, size_t l) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    const SubmittedLog& log = report.logs[l];
    const Entrant& e = report.entrants[l];
    const LogVerdict& verdict = report.verdicts[l];
    const VerdictCounts counts = countVerdicts(log, verdict);
    Report r;
    r.title = filled(w.ubnTitle, {shared.contest, log.call});
    r.category = std::string(w.categoryLabel) + ": " + categoryHeading(e, language, shared.shown);
    r.scores = {{{e.claimedQsos, counts.counted(report.settings.rules.uniques)},
                 {e.claimedPoints, e.checked.points},
                 {e.claimedMultipliers, e.checked.summary.multipliers},
                 {claimedScoreOf(e), e.checked.score}}};
    if (e.checked.penaltyPoints > 0) {
        r.penalty = filled(w.penaltyTaken, {std::to_string(e.checked.penaltyPoints)});
    }
    r.lineCounts = lineCountsSentence(report, counts);
    r.clock = clockSentence(language, verdict);
    auto where = [&w](uint32_t line) { return filled(w.line, {std::to_string(line)}); };
    for (QsoStatus status : kGroupOrder) {
        Group group;
        for (size_t u = 0; status == QsoStatus::kUnreadable && u < log.unreadable.size(); ++u) {
            group.rows.push_back({where(log.unreadable[u].line), textOf(e.unreadableText, u),
                                  filled(w.notRead, {readFaultIn(language, log.unreadable[u].fault)})});
        }
        for (size_t q = 0; q < verdict.qsos.size(); ++q) {
            if (verdict.qsos[q].status == status) {
                group.rows.push_back({where(log.qsos[q].line), textOf(e.qsoText, q), reasonOf(report, l, q)});
            }
        }
        if (!group.rows.empty()) {
            group.heading = std::string(statusWords(language, status).heading);
            r.groups.push_back(std::move(group));
        }
    }
    r.others.heading = w.othersHeading;
    for (const auto& [otherLog, q] : shared.miscopies[l]) {
        const SubmittedLog& other = report.logs[otherLog];
        const LogQso& theirs = other.qsos[q];
        const QsoVerdict& v = report.verdicts[otherLog].qsos[q];
        const bool byHistory = v.otherLog < 0;
        const std::string reason =
            v.status == QsoStatus::kBustedCall
                ? filled(byHistory ? w.yourCallByHistory : w.yourCallMiscopied, {normalised(theirs.call)})
                : filled(w.yourExchangeMiscopied,
                         {normalised(theirs.exchangeReceived), normalised(log.qsos[v.otherQso].exchangeSent)});
        r.others.rows.push_back({filled(w.otherLine, {other.call, std::to_string(theirs.line)}),
                                 textOf(report.entrants[otherLog].qsoText, q), reason});
    }
    r.span = shared.span;
    r.hourly = hourlyCounts(log, verdict.offsetMinutes, r.span);
    return r;
}

}  // namespace

UbnShared ubnShared(const ContestReport& report) {
    UbnShared shared;
    shared.span = hourSpan(report);
    shared.contest = contestName(report);
    shared.shown = shownParts(report);
    auto& miscopies = shared.miscopies;
    miscopies.resize(report.logs.size());
    for (size_t l = 0; l < report.verdicts.size(); ++l) {
        const std::vector<QsoVerdict>& qsos = report.verdicts[l].qsos;
        for (size_t q = 0; q < qsos.size(); ++q) {
            const QsoStatus status = qsos[q].status;
            const Evidence* e = evidenceOf(report.verdicts[l], qsos[q]);
            const int32_t busted = qsos[q].otherLog >= 0                                   ? qsos[q].otherLog
                                   : e != nullptr && e->kind == EvidenceKind::kCallHistory ? e->callLog
                                                                                           : -1;
            if ((status == QsoStatus::kBustedCall || status == QsoStatus::kBustedExchange) && busted >= 0) {
                miscopies[static_cast<size_t>(busted)].emplace_back(static_cast<uint32_t>(l), static_cast<uint32_t>(q));
            }
        }
    }
    return shared;
}

std::string ubnText(const ContestReport& report, const UbnShared& shared, size_t l) {
    const Words& w = wordsFor(report.settings.language);
    const Report r = reportOf(report, shared, l);
    std::string text = r.title + "\n" + r.category + "\n\n";
    const std::string_view names[] = {w.qsos, w.points, w.multipliers, w.score};
    text += padded("", 16, false) + padded(std::string(w.claimed), 12, true) +
            padded(std::string(w.checked), 12, true) + "\n";
    for (size_t i = 0; i < r.scores.size(); ++i) {
        text += padded(std::string(names[i]), 16, false) + padded(std::to_string(r.scores[i][0]), 12, true) +
                padded(std::to_string(r.scores[i][1]), 12, true) + "\n";
    }
    text += r.penalty.empty() ? "" : r.penalty + "\n";
    text += "\n" + r.lineCounts + "\n\n" + r.clock + "\n";
    auto writeGroup = [&text](const Group& group) {
        text += "\n" + group.heading + " (" + std::to_string(group.rows.size()) + ")\n";
        for (const Row& row : group.rows) {
            appendAll(text, "  ", row.where, ": ", row.line, "\n    ", row.reason, "\n");
        }
    };
    for (const Group& group : r.groups) {
        writeGroup(group);
    }
    if (!r.others.rows.empty()) {
        writeGroup(r.others);
        text += "  " + std::string(w.othersNote) + "\n";
    }
    // Contacts per hour: each hour from the log's first to its last.
    size_t first = r.hourly.hours.size();
    size_t last = 0;
    for (size_t h = 0; h < r.hourly.hours.size(); ++h) {
        if (r.hourly.hours[h] != std::array<int32_t, kChartBands>{}) {
            first = std::min(first, h);
            last = h;
        }
    }
    if (first < r.hourly.hours.size()) {
        text += "\n" + std::string(w.contactsPerHour) + "\n" + padded("UTC", 18, false);
        for (const std::string& band : chartBands()) {
            text += padded(band, 6, true);
        }
        text += "\n";
        for (size_t h = first; h <= last; ++h) {
            int32_t all = 0;
            std::string cells;
            for (int32_t count : r.hourly.hours[h]) {
                cells += padded(count == 0 ? "." : std::to_string(count), 6, true);
                all += count;
            }
            text += "  " + minuteText((r.span.first + static_cast<int64_t>(h)) * 60) + cells +
                    (all == 0 ? "" : "  " + std::string(static_cast<size_t>(std::min(all, 60)), '#')) + "\n";
        }
    }
    return asUtf8(std::move(text));
}

std::string ubnHtml(const ContestReport& report, const UbnShared& shared, size_t l) {
    const Words& w = wordsFor(report.settings.language);
    const Report r = reportOf(report, shared, l);
    std::string html = pageHead(w.htmlLang, r.title, kChartStyle) + "<p><a href=\"../results.html\">" +
                       htmlEscaped(std::string(w.resultsLink)) + "</a></p>\n<h1>" + htmlEscaped(r.title) +
                       "</h1>\n<p>" + htmlEscaped(r.category) + "</p>\n";
    html += "<table><thead><tr><th></th><th>" + htmlEscaped(std::string(w.claimed)) + "</th><th>" +
            htmlEscaped(std::string(w.checked)) + "</th></tr></thead><tbody>\n";
    const std::string_view names[] = {w.qsos, w.points, w.multipliers, w.score};
    for (size_t i = 0; i < r.scores.size(); ++i) {
        html += "<tr><th class=\"l\">" + htmlEscaped(std::string(names[i])) + "</th><td>" +
                std::to_string(r.scores[i][0]) + "</td><td>" + std::to_string(r.scores[i][1]) + "</td></tr>\n";
    }
    html += "</tbody></table>\n";
    for (const std::string* sentence : {&r.penalty, &r.lineCounts, &r.clock}) {
        html += sentence->empty() ? "" : "<p>" + htmlEscaped(*sentence) + "</p>\n";
    }
    auto writeGroup = [&html](const Group& group) {
        html += "<h2>" + htmlEscaped(group.heading) + " (" + std::to_string(group.rows.size()) +
                ")</h2>\n<table class=\"qsos\"><tbody>\n";
        for (const Row& row : group.rows) {
            html += "<tr><td class=\"l\">";
            appendHtmlEscaped(html, row.where);
            html += "</td><td class=\"l\"><code>";
            appendHtmlEscaped(html, row.line);
            html += "</code></td><td class=\"l\">";
            appendHtmlEscaped(html, row.reason);
            html += "</td></tr>\n";
        }
        html += "</tbody></table>\n";
    };
    for (const Group& group : r.groups) {
        writeGroup(group);
    }
    if (!r.others.rows.empty()) {
        writeGroup(r.others);
        html += "<p>" + htmlEscaped(std::string(w.othersNote)) + "</p>\n";
    }
    if (r.hourly.peak() > 0) {
        html += "<h2>" + htmlEscaped(std::string(w.contactsPerHour)) + "</h2>\n<p>" + chartLegend() + "</p>\n" +
                hourlySvg(r.hourly, r.span, r.hourly.peak(), r.title) + "\n";
    }
    return asUtf8(html + "</body></html>\n");
}

}  // namespace torv::crosscheck
