#include "crosscheck/contest_report.h"

#include <algorithm>
#include <numeric>

#include "crosscheck/file_names.h"

namespace crosscheck {

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

std::string signedMinutes(int32_t minutes) {
    return (minutes > 0 ? "+" : "") + std::to_string(minutes) +
           (minutes == 1 || minutes == -1 ? " minute" : " minutes");
}

std::string categoryOf(const Entrant& entrant) {
    return entrant.categoryOperator.empty() ? std::string("(no category)") : entrant.categoryOperator;
}

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

std::string detailOf(const ContestReport& report, size_t log, size_t q) {
    std::string detail = verdictDetail(report.logs, report.verdicts, log, q);
    if (outsidePeriod(report.logs[log].qsos[q], report.settings.period, report.verdicts[log].offsetMinutes)) {
        detail += detail.empty() ? "" : "; ";
        detail += "outside the contest period";
    }
    return detail;
}

}  // namespace crosscheck
