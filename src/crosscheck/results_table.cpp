#include "crosscheck/results_table.h"

#include "crosscheck/report_text.h"

namespace crosscheck {

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

}  // namespace crosscheck
