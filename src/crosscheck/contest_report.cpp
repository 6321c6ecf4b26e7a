#include "crosscheck/contest_report.h"

#include <algorithm>
#include <climits>
#include <map>
#include <numeric>

#include "calendar/minutes.h"
#include "crosscheck/decisions.h"
#include "crosscheck/file_names.h"
#include "engine/contest.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using calendar::civilOf;
using calendar::dayOf;
using calendar::kMinutesPerDay;
using calendar::minuteText;

namespace {

std::string leftOutNote(const FileRecord& file) {
    return file.path + ": " + file.reason + "; left out";
}

std::string replacedNote(const Replacement& r) {
    std::string others;
    for (size_t k = 0; k < r.leftOut.size(); ++k) {
        others += (k == 0 ? "" : k + 1 == r.leftOut.size() ? " and " : ", ") + r.leftOut[k];
    }
    return r.call + ": " + std::to_string(r.leftOut.size() + 1) + " logs; " + r.checked + " is checked, " + others +
           " left out (the one modified last wins, then the later file name)";
}

std::string notEntryNote(const FileRecord& file) {
    return file.path + ": " + notEntryText(file, Language::kEnglish);
}

std::string problemNote(const Entrant& e) {
    return e.file + ": its checked score could not be made: " + e.problem;
}

}  // namespace

std::string notEntryText(const FileRecord& file, Language language) {
    const Words& w = wordsFor(language);
    switch (file.fate) {
        case FileFate::kOtherContest:
            return filled(w.otherContestFate, {file.reason});
        case FileFate::kNoContacts:
            return file.qsoLines == 0 ? std::string(w.noQsoLinesFate)
                                      : filled(w.noReadableQsoLinesFate, {std::to_string(file.qsoLines)});
        case FileFate::kChecked:
        case FileFate::kLeftOut:
        case FileFate::kReplaced:
            break;
    }
    return std::string();
}

std::vector<std::string> fileNotes(const ContestReport& report) {
    std::vector<std::string> notes;
    for (const FileRecord& file : report.files) {
        if (file.fate == FileFate::kLeftOut) {
            notes.push_back(leftOutNote(file));
        } else if (!notEntryText(file, Language::kEnglish).empty()) {
            notes.push_back(notEntryNote(file));
        }
    }
    for (const Replacement& r : report.replacements) {
        notes.push_back(replacedNote(r));
    }
    for (const Entrant& e : report.entrants) {
        if (!e.problem.empty()) {
            notes.push_back(problemNote(e));
        }
    }
    return notes;
}

std::vector<std::string> diagnosticLines(const ContestReport& report) {
    std::vector<std::string> lines;
    for (const FileRecord& file : report.files) {
        for (const std::string& message : file.messages) {
            lines.push_back(file.path + ": " + message);
        }
        if (file.fate == FileFate::kLeftOut) {
            lines.push_back(leftOutNote(file));
        } else if (!notEntryText(file, Language::kEnglish).empty()) {
            lines.push_back(notEntryNote(file));
        }
    }
    for (const Replacement& r : report.replacements) {
        lines.push_back("warning: " + replacedNote(r));
    }
    for (const Entrant& e : report.entrants) {
        if (!e.problem.empty()) {
            lines.push_back(problemNote(e));
        }
    }
    for (const std::string& problem : report.categoriesProblems) {
        lines.push_back(report.categoriesFile + ": " + problem);
    }
    for (std::string& problem : decisionsProblems(report)) {
        lines.push_back(std::move(problem));
    }
    return lines;
}

void crossCheckReport(ContestReport& report) {
    CrossCheckResult result = checkContest(report.logs, report.settings.options);
    report.verdicts = std::move(result.verdicts);
    report.decisionProblems = std::move(result.decisionProblems);
}

std::vector<std::string> decisionsProblems(const ContestReport& report) {
    const DecisionsFile& decisions = report.settings.options.decisions;
    std::vector<std::string> lines;
    for (const std::string& problem : decisions.problems) {
        lines.push_back(decisions.name + ": " + problem);
    }
    for (const DecisionProblem& problem : report.decisionProblems) {
        lines.push_back(decisions.name + ": " + decisionProblemText(problem));
    }
    return lines;
}

int32_t VerdictCounts::lines() const {
    return std::accumulate(byStatus.begin(), byStatus.end(), 0);
}

int32_t VerdictCounts::counted(UniquePolicy uniques) const {
    int32_t total = 0;
    for (size_t s = 0; s < byStatus.size(); ++s) {
        total += countsInScore(static_cast<QsoStatus>(s), uniques) ? byStatus[s] : 0;
    }
    return total;
}

VerdictCounts countVerdicts(const SubmittedLog& log, const LogVerdict& verdict) {
    VerdictCounts counts;
    for (const QsoVerdict& v : verdict.qsos) {
        ++counts.byStatus[static_cast<size_t>(v.status)];
    }
    counts.byStatus[static_cast<size_t>(QsoStatus::kUnreadable)] = static_cast<int32_t>(log.unreadable.size());
    return counts;
}

int64_t claimedScoreOf(const Entrant& entrant) {
    return entrant.header.claimedScore ? *entrant.header.claimedScore : entrant.claimedScore;
}

std::vector<Ranked> ranked(const ContestReport& report) {
    std::vector<CategoryKey> keys(report.logs.size());
    std::vector<size_t> order;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        keys[l] = categoryKey(report.entrants[l].category);
        if (!isCheckLog(report.entrants[l].category)) {
            order.push_back(l);
        }
    }
    const size_t count = order.size();
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (keys[a] != keys[b]) {
            return keys[a] < keys[b];
        }
        const int32_t x = report.entrants[a].checked.score;
        const int32_t y = report.entrants[b].checked.score;
        if (x != y) {
            return x > y;
        }
        return report.logs[a].call < report.logs[b].call;
    });
    std::vector<Ranked> rows;
    rows.reserve(count);
    int place = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t l = order[i];
        const bool opens = i == 0 || keys[order[i - 1]] != keys[l];
        place = opens ? 1 : place + 1;
        const bool tie = !opens && report.entrants[order[i - 1]].checked.score == report.entrants[l].checked.score;
        rows.push_back({l, tie ? rows.back().rank : place, opens});
    }
    return rows;
}

CategoryParts shownParts(const ContestReport& report) {
    CategoryParts shown{};
    for (const Entrant& e : report.entrants) {
        for (size_t p = 0; p < kCategoryParts; ++p) {
            shown[p] = shown[p] || categoryPlace(static_cast<CategoryPart>(p), e.category.parts[p]) >= 0;
        }
    }
    return shown;
}

std::vector<size_t> checkLogs(const ContestReport& report) {
    std::vector<size_t> logs;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        if (isCheckLog(report.entrants[l].category)) {
            logs.push_back(l);
        }
    }
    std::sort(logs.begin(), logs.end(), [&](size_t a, size_t b) { return report.logs[a].call < report.logs[b].call; });
    return logs;
}

std::string categoryHeading(const Entrant& entrant, Language language, const CategoryParts& shown) {
    if (standingOf(entrant.category) != CategoryStanding::kRanked) {
        return std::string(wordsFor(language).noCategory);
    }
    return categoryTitle(entrant.category, language, shown);
}

std::string categoryInContestWords(const Category& category, Language language) {
    if (standingOf(category) != CategoryStanding::kRanked) {
        return std::string(wordsFor(language).noCategory);
    }
    std::string heading;
    for (size_t p = 0; p < kCategoryParts; ++p) {
        const std::string& value = category.parts[p];
        heading += p == 0 ? "" : " \xC2\xB7 ";                                                        // a middle dot
        heading += categoryPlace(static_cast<CategoryPart>(p), value) >= 0 ? value : "\xE2\x80\x94";  // an em dash
    }
    return heading;
}

std::vector<std::string> ubnFileNames(const ContestReport& report) {
    std::vector<std::string> calls;
    calls.reserve(report.logs.size());
    for (const SubmittedLog& log : report.logs) {
        calls.push_back(log.call);
    }
    return safeFileNames(calls);
}

namespace {

// The detail of a verdict in a language, with a note when the contact lies
// outside the contest period.
std::string detailIn(Language language, const ContestReport& report, size_t l, size_t q) {
    std::string detail = verdictDetailIn(language, report.logs, report.verdicts, l, q);
    if (report.verdicts[l].qsos[q].status != QsoStatus::kOutOfPeriod &&
        outsidePeriod(report.logs[l].qsos[q], report.settings.options.period, report.verdicts[l].offsetMinutes)) {
        detail += detail.empty() ? "" : "; ";
        detail += wordsFor(language).outsidePeriod;
    }
    return detail;
}

}  // namespace

std::string detailOf(const ContestReport& report, size_t l, size_t q) {
    return detailIn(Language::kEnglish, report, l, q);
}

std::string reasonOf(const ContestReport& report, size_t l, size_t q) {
    return detailIn(report.settings.language, report, l, q);
}

std::string contestName(const ContestReport& report) {
    const std::string name(contest::kName);
    const Period& period = report.settings.options.period;
    if (period.start || period.end) {
        return name + " " + std::to_string(civilOf(period.start ? *period.start : *period.end).year);
    }
    // Contacts by day, each day's year found once: logs hold runs of one day.
    std::map<int64_t, size_t> days;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        int64_t day = INT64_MIN;
        size_t run = 0;
        for (const LogQso& q : report.logs[l].qsos) {
            const int64_t minute = q.minute - report.verdicts[l].offsetMinutes;
            const int64_t today = dayOf(minute);
            if (today != day && run != 0) {
                days[day] += run;
                run = 0;
            }
            day = today;
            ++run;
        }
        if (run != 0) {
            days[day] += run;
        }
    }
    std::map<int64_t, size_t> contacts;
    for (const auto& [day, count] : days) {
        contacts[civilOf(day * kMinutesPerDay).year] += count;
    }
    const auto most = std::max_element(contacts.begin(), contacts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == contacts.end() ? name : name + " " + std::to_string(most->first);
}

std::string offsetWords(Language language, int32_t minutes) {
    const Words& w = wordsFor(language);
    const int32_t size = minutes < 0 ? -minutes : minutes;
    const std::string hours = std::to_string(size / 60) + " " + std::string(size / 60 == 1 ? w.hour : w.hours);
    const std::string rest = std::to_string(size % 60) + " " + std::string(size % 60 == 1 ? w.minute : w.minutes);
    const std::string text = size < 60 ? rest : size % 60 == 0 ? hours : filled(w.hoursAndMinutes, {hours, rest});
    return filled(minutes > 0 ? w.fast : w.slow, {text});
}

std::string rulesSentence(const ContestReport& report) {
    const CheckSettings& s = report.settings;
    const Words& w = wordsFor(s.language);
    const std::string window = filled(w.window, {std::to_string(s.options.windowMinutes)});
    const std::string penalty =
        s.rules.penalty == 0 ? std::string(w.noPenalty) : filled(w.penalty, {std::to_string(s.rules.penalty)});
    std::string period;
    if (s.options.period.start && s.options.period.end) {
        period = filled(w.period, {minuteText(*s.options.period.start), minuteText(*s.options.period.end)});
    } else if (s.options.period.start) {
        period = filled(w.periodFrom, {minuteText(*s.options.period.start)});
    } else if (s.options.period.end) {
        period = filled(w.periodTo, {minuteText(*s.options.period.end)});
    } else {
        period = w.noPeriod;
    }
    return filled(w.rules, {window, s.rules.uniques == UniquePolicy::kRemove ? w.uniquesRemoved : w.uniquesCounted,
                            penalty, period});
}

}  // namespace torv::crosscheck
