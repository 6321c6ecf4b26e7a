#include "crosscheck/results_json.h"

#include "crosscheck/report_text.h"

namespace torv::crosscheck {

std::string resultsJson(const ContestReport& report) {
    const CheckSettings& s = report.settings;
    std::string json = "{\n  \"window\": " + std::to_string(s.options.windowMinutes) + ",\n  \"uniques\": \"" +
                       (s.rules.uniques == UniquePolicy::kRemove ? "remove" : "count") +
                       "\",\n  \"penalty\": " + std::to_string(s.rules.penalty) + ",\n  \"entrants\": [";
    bool first = true;
    // Check logs follow the ranked entrants, their rank null.
    std::vector<Ranked> rows = ranked(report);
    for (size_t l : checkLogs(report)) {
        rows.push_back({l, 0, false});
    }
    for (const Ranked& row : rows) {
        const size_t l = row.log;
        const Entrant& e = report.entrants[l];
        const VerdictCounts c = countVerdicts(report.logs[l], report.verdicts[l]);
        json += first ? "\n" : ",\n";
        first = false;
        json += "    {\"call\": \"" + jsonEscaped(report.logs[l].call) + "\", \"file\": \"" + jsonEscaped(e.file) +
                "\", \"category_operator\": \"" + jsonEscaped(e.category.part(CategoryPart::kOperator)) +
                "\", \"category_band\": \"" + jsonEscaped(e.category.part(CategoryPart::kBand)) +
                "\", \"category_power\": \"" + jsonEscaped(e.category.part(CategoryPart::kPower)) +
                "\", \"category_mode\": \"" + jsonEscaped(e.category.part(CategoryPart::kMode)) +
                "\", \"rank\": " + (row.rank == 0 ? std::string("null") : std::to_string(row.rank)) +
                ", \"contacts_claimed\": " + std::to_string(e.claimedQsos) +
                ", \"contacts_confirmed\": " + std::to_string(c.of(QsoStatus::kConfirmed)) +
                ", \"points\": " + std::to_string(e.checked.points) +
                ", \"multipliers\": " + std::to_string(e.checked.summary.multipliers) +
                ", \"claimed_score\": " + std::to_string(claimedScoreOf(e)) +
                ", \"recomputed_claimed_score\": " + std::to_string(e.claimedScore) +
                ", \"checked_score\": " + std::to_string(e.checked.score) +
                ", \"penalty_points\": " + std::to_string(e.checked.penaltyPoints) +
                ", \"nil\": " + std::to_string(c.of(QsoStatus::kNil)) + ", \"busted\": " + std::to_string(c.busted()) +
                ", \"unique\": " + std::to_string(c.of(QsoStatus::kUnique)) +
                ", \"clock_offset\": " + std::to_string(report.verdicts[l].offsetMinutes) +
                ", \"findings\": " + jsonArray(e.findings) + "}";
    }
    return json + "\n  ],\n  \"notes\": " + jsonArray(fileNotes(report)) + "\n}\n";
}

}  // namespace torv::crosscheck
