#include "crosscheck/ubn_report.h"

#include <algorithm>
#include <array>

#include "crosscheck/report_text.h"

namespace crosscheck {

namespace {

// The order in which a UBN report lists what is not confirmed.
constexpr std::array<QsoStatus, 7> kReportedStatuses = {
    QsoStatus::kNil,        QsoStatus::kBustedCall, QsoStatus::kBustedExchange, QsoStatus::kUnique,
    QsoStatus::kUnverified, QsoStatus::kDupe,       QsoStatus::kRefused,
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
        case QsoStatus::kConfirmed:
            break;
    }
    return "confirmed";
}

}  // namespace

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

}  // namespace crosscheck
