// The committee's decisions file and its application (decisions.h).
#include "crosscheck/decisions.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "calendar/ascii_case.h"
#include "crosscheck/categories_file.h"
#include "logfile/text.h"

namespace torv::crosscheck {

using calendar::upperCase;
using logfile::shortened;
using logfile::trimmedOfBlanks;

namespace {

constexpr std::string_view kHeader = "call,line,status,note";
constexpr size_t kLongestCall = 20;

std::string statusList() {
    std::string list;
    for (QsoStatus status : kDecidableStatuses) {
        list += (list.empty() ? "" : ", ") + std::string(statusWord(status));
    }
    return list;
}

// Why a line cannot be taken, "" when it can; its decision filled.
std::string readRow(std::string_view line, char separator, Decision& decision) {
    if (line.size() > kDecisionsLineLimit) {
        return "longer than " + std::to_string(kDecisionsLineLimit) + " bytes";
    }
    const std::vector<std::string> fields = fieldsOf(line, separator);
    if (fields.size() != 4) {
        return std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields") +
               "; the header has 4 (call, line, status, note)";
    }
    decision.call = upperCase(fields[0]);
    if (decision.call.empty() || decision.call.size() > kLongestCall) {
        return "\"" + shortened(fields[0]) + "\" is not a call";
    }
    const std::string& number = fields[1];
    if (number.empty() || number.size() > 9 || !std::all_of(number.begin(), number.end(), logfile::isDigit) ||
        std::stoul(number) == 0) {
        return "\"" + shortened(number) + "\" is not a line number";
    }
    decision.line = static_cast<uint32_t>(std::stoul(number));
    const std::string word = upperCase(fields[2]);
    const auto known = std::find_if(kDecidableStatuses.begin(), kDecidableStatuses.end(),
                                    [&word](QsoStatus status) { return word == statusWord(status); });
    if (known == kDecidableStatuses.end()) {
        return "\"" + shortened(fields[2]) + "\" is not a status the committee decides (" + statusList() + ")";
    }
    decision.status = *known;
    decision.note = fields[3];
    return std::string();
}

bool ownStatus(QsoStatus status) {
    return status == QsoStatus::kRefused || status == QsoStatus::kDupe || status == QsoStatus::kOutOfPeriod ||
           status == QsoStatus::kOtherBand;
}

}  // namespace

DecisionsFile readDecisionsFile(std::string_view text) {
    if (text.size() > kDecisionsFileLimit) {
        throw std::invalid_argument("larger than " + std::to_string(kDecisionsFileLimit) + " bytes");
    }
    const CsvLines csv = csvLines(text, kHeader, kDecisionsLineLimit);
    DecisionsFile file;
    size_t problems = 0;
    for (size_t i = 1; i < csv.lines.size(); ++i) {
        if (trimmedOfBlanks(csv.lines[i]).empty()) {
            continue;
        }
        Decision decision;
        decision.row = static_cast<uint32_t>(i + 1);
        const std::string why = readRow(csv.lines[i], csv.separator, decision);
        if (why.empty()) {
            file.rows.push_back(std::move(decision));
        } else if (++problems <= kShownProblems) {
            file.problems.push_back("line " + std::to_string(i + 1) + ": " + why + "; left aside");
        }
    }
    if (problems > kShownProblems) {
        file.problems.push_back(std::to_string(problems - kShownProblems) + " more problems not shown");
    }
    return file;
}

std::vector<DecisionProblem> applyDecisions(const std::vector<SubmittedLog>& logs, const DecisionsFile& decisions,
                                            std::vector<LogVerdict>& verdicts) {
    std::vector<DecisionProblem> problems;
    if (decisions.rows.empty()) {
        return problems;
    }
    std::map<std::string, size_t> byCall;
    for (size_t l = 0; l < logs.size(); ++l) {
        byCall.emplace(normalised(logs[l].call), l);
    }
    // The line of each row: the later row of a line replaces the earlier one.
    std::map<std::pair<size_t, uint32_t>, const Decision*> chosen;
    for (const Decision& row : decisions.rows) {
        const auto log = byCall.find(row.call);
        if (log == byCall.end()) {
            problems.push_back({row.row, DecisionProblemKind::kNoLog, row.call, row.line});
            continue;
        }
        const SubmittedLog& submitted = logs[log->second];
        const auto qso = std::find_if(submitted.qsos.begin(), submitted.qsos.end(),
                                      [&row](const LogQso& q) { return q.line == row.line; });
        if (qso == submitted.qsos.end()) {
            const bool unreadable = std::any_of(submitted.unreadable.begin(), submitted.unreadable.end(),
                                                [&row](const UnreadableQso& u) { return u.line == row.line; });
            problems.push_back({row.row, unreadable ? DecisionProblemKind::kOwnStatus : DecisionProblemKind::kNoQsoLine,
                                row.call, row.line, QsoStatus::kUnreadable});
            continue;
        }
        const uint32_t q = static_cast<uint32_t>(qso - submitted.qsos.begin());
        const QsoStatus ruled = verdicts[log->second].qsos[q].status;
        if (ownStatus(ruled)) {
            problems.push_back({row.row, DecisionProblemKind::kOwnStatus, row.call, row.line, ruled});
            continue;
        }
        chosen[{log->second, q}] = &row;
    }
    for (const auto& [where, row] : chosen) {
        const auto [l, q] = where;
        QsoVerdict& v = verdicts[l].qsos[q];
        verdicts[l].decisions.push_back({q, v.status, row->row, row->note});
        v.status = row->status;
        v.decided = true;
        if (v.status != QsoStatus::kConfirmed && v.status != QsoStatus::kBustedCall &&
            v.status != QsoStatus::kBustedExchange) {
            v.otherLog = -1;
            v.otherQso = 0;
        }
    }
    return problems;
}

std::string decisionProblemText(const DecisionProblem& problem) {
    std::string text = "line " + std::to_string(problem.row) + ": ";
    switch (problem.kind) {
        case DecisionProblemKind::kNoLog:
            text += "no log of " + problem.call + " was checked";
            break;
        case DecisionProblemKind::kNoQsoLine:
            text += "line " + std::to_string(problem.line) + " is no QSO line of " + problem.call + "'s log";
            break;
        case DecisionProblemKind::kOwnStatus:
            text += "line " + std::to_string(problem.line) + " of " + problem.call + "'s log is " +
                    statusWord(problem.own) + ", no contact to decide on";
            break;
    }
    return text + "; left aside";
}

const AppliedDecision* decisionOf(const LogVerdict& log, uint32_t q) {
    const auto found = std::lower_bound(log.decisions.begin(), log.decisions.end(), q,
                                        [](const AppliedDecision& d, uint32_t qso) { return d.qso < qso; });
    return found != log.decisions.end() && found->qso == q ? &*found : nullptr;
}

}  // namespace torv::crosscheck
