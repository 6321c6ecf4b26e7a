#include "crosscheck/results_table.h"

#include "crosscheck/report_text.h"

namespace torv::crosscheck {

std::string resultsText(const ContestReport& report) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    const CategoryParts shown = shownParts(report);
    std::string text = filled(w.resultsTitle, {contestName(report)}) + "\n" + rulesSentence(report) + "\n" +
                       filled(w.checkedWith, {report.settings.toolVersion}) + "\n";
    auto column = [](std::string_view name, size_t width) { return padded(std::string(name), width, true); };
    const std::string heading =
        column(w.rankShort, 5) + " " + padded(std::string(w.call), 12, false) + column(w.qsos, 6) +
        column(w.confirmedShort, 6) + column(w.points, 8) + column(w.multipliersShort, 6) + column(w.claimedShort, 11) +
        column(w.checkedShort, 11) + column(w.nilShort, 5) + column(w.bustedShort, 6) + column(w.uniqueShort, 6) + "\n";
    for (const Ranked& row : ranked(report)) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        if (row.opensCategory) {
            text += "\n" + categoryHeading(e, language, shown) + "\n" + heading;
        }
        const VerdictCounts c = countVerdicts(report.logs[l], report.verdicts[l]);
        auto number = [](int64_t value, size_t width) { return padded(std::to_string(value), width, true); };
        text += number(row.rank, 5) + " " + padded(report.logs[l].call, 12, false) + number(e.claimedQsos, 6) +
                number(c.of(QsoStatus::kConfirmed), 6) + number(e.checked.points, 8) +
                number(e.checked.summary.multipliers, 6) + number(claimedScoreOf(e), 11) + number(e.checked.score, 11) +
                number(c.of(QsoStatus::kNil), 5) + number(c.busted(), 6) + number(c.of(QsoStatus::kUnique), 6) + "\n";
    }
    const std::vector<size_t> checkLogEntrants = checkLogs(report);
    if (!checkLogEntrants.empty()) {
        text += "\n" + std::string(w.checkLogsHeading) + "\n" + std::string(w.checkLogsNote) + "\n";
        for (size_t l : checkLogEntrants) {
            text += report.logs[l].call + "\n";
        }
    }
    if (!report.logs.empty()) {
        text += "\n" + std::string(w.shortLegend) + "\n";
    }
    return asUtf8(std::move(text));
}

std::string resultsCsv(const ContestReport& report) {
    std::string csv =
        "category,rank,call,category_band,contacts_claimed,contacts_confirmed,points,multipliers,claimed_score,"
        "checked_score,nil,busted,unique,clock_offset,category_power,category_mode\n";
    // Check logs follow the ranked entrants, without a rank.
    std::vector<Ranked> rows = ranked(report);
    for (size_t l : checkLogs(report)) {
        rows.push_back({l, 0, false});
    }
    for (const Ranked& row : rows) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        const VerdictCounts c = countVerdicts(report.logs[l], report.verdicts[l]);
        auto number = [](int64_t value) { return std::to_string(value) + ","; };
        auto text = [](const std::string& value) { return csvField(value) + ","; };
        std::string line =
            text(e.category.part(CategoryPart::kOperator)) + (row.rank == 0 ? std::string(",") : number(row.rank)) +
            text(report.logs[l].call) + text(e.category.part(CategoryPart::kBand)) + number(e.claimedQsos) +
            number(c.of(QsoStatus::kConfirmed)) + number(e.checked.points) + number(e.checked.summary.multipliers) +
            number(claimedScoreOf(e)) + number(e.checked.score) + number(c.of(QsoStatus::kNil)) + number(c.busted()) +
            number(c.of(QsoStatus::kUnique)) + number(report.verdicts[l].offsetMinutes) +
            text(e.category.part(CategoryPart::kPower)) + csvField(e.category.part(CategoryPart::kMode));
        csv += line + "\n";
    }
    return asUtf8(std::move(csv));
}

}  // namespace torv::crosscheck
