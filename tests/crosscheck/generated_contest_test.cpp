// Whole generated contests with known faults: every injected fault must come
// out with its status and counterpart, every clean contact CONFIRMED.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "contest_sim.h"
#include "contestcheck/contest_check.h"
#include "crosscheck/categories_file.h"
#include "crosscheck/contest_report.h"
#include "crosscheck/crosscheck.h"
#include "crosscheck/decisions.h"

namespace torv::crosscheck {
namespace {

// Returns how many lines of each status the contest has.
std::map<std::string, int> expectEveryVerdict(const contestsim::SimOptions& options) {
    const contestsim::SimContest contest = contestsim::generateContest(options);
    // The engine's verdicts come from the generator here; the tool's tests run the real engine.
    const std::vector<SubmittedLog> logs = contestsim::submittedLogs(contest);
    CheckOptions check;
    check.period = {contest.startMinute, contest.endMinute};
    if (!contest.decisionsCsv.empty()) {
        check.decisions = readDecisionsFile(contest.decisionsCsv);
        EXPECT_EQ(check.decisions.problems.size(), contest.unreadableDecisionRows);
    }
    const CrossCheckResult result = checkContest(logs, check);
    EXPECT_EQ(result.decisionProblems.size(), contest.badDecisionRows);
    const std::vector<LogVerdict>& verdicts = result.verdicts;
    EXPECT_EQ(verdicts.size(), logs.size());
    if (verdicts.size() != logs.size()) {
        return {};
    }
    std::map<std::string, int> seen;
    std::set<std::string> submitted;
    for (const SubmittedLog& log : logs) {
        submitted.insert(log.call);
    }
    size_t wrong = 0;
    for (size_t l = 0; l < logs.size(); ++l) {
        const contestsim::SimLog& sim = contest.logs[l];
        // Every clock the pairs show is found to the minute.
        if (verdicts[l].offsetPairs > 0) {
            EXPECT_EQ(verdicts[l].offsetMinutes, sim.clockOffset) << sim.call;
            EXPECT_EQ(verdicts[l].wholeHours, sim.wholeHours) << sim.call;
        }
        // Only the contest's bands: a band it does not have is a hand-made case.
        const CategoryBand band = categoryBandOf(logs[l].categoryBand);
        EXPECT_TRUE(band.band.empty() || band.contestBand) << sim.call << " " << logs[l].categoryBand;
        for (size_t i = 0; i < sim.qsos.size(); ++i) {
            const QsoVerdict& v = verdicts[l].qsos[i];
            const std::string other = otherCallOf(logs, verdicts[l], v);
            const std::string got = std::string(statusWord(v.status)) + " " + other;
            const std::string want = sim.qsos[i].expectedStatus + " " + sim.qsos[i].expectedOther;
            ++seen[sim.qsos[i].expectedStatus];
            if (!sim.qsos[i].expectedOther.empty() && submitted.count(sim.qsos[i].expectedOther) == 0) {
                ++seen[sim.qsos[i].expectedStatus + " of a station without a log"];
            }
            if (got != want && ++wrong <= 20) {
                ADD_FAILURE() << sim.call << " line " << logs[l].qsos[i].line << " (" << sim.qsos[i].call << " "
                              << sim.qsos[i].band << " " << sim.qsos[i].mode << "): got " << got << ", want " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0u);
    return seen;
}

// A contest as contest-sim writes it, through the readers and the engine
// with the categories file it writes for its ADIF logs: no categories
// problem, every entrant in the contest's own words (ranked, or listed as
// a check log), and every line with the status the generator expects.
TEST(GeneratedContestChecked, WithItsCategoriesFileAsTheGeneratorExpects) {
    contestsim::SimOptions options;
    options.seed = 2026;
    options.stations = 150;
    options.contacts = 9000;
    options.adifShare = 0.4;
    options.singleBandShare = 0.3;
    options.checkLogShare = 0.05;
    const contestsim::SimContest contest = contestsim::generateContest(options);
    std::map<std::string, std::string> files;
    for (const contestsim::SimLog& log : contest.logs) {
        files["logs/" + contestsim::fileName(log)] = contestsim::logText(log);
    }
    contestcheck::LogSources sources;
    for (const auto& [path, text] : files) {
        sources.paths.push_back(path);
    }
    sources.load = [&files](const std::string& path) { return contestcheck::LogSource{files.at(path), 0, true}; };
    contestcheck::CheckRequest request;
    request.settings.options.period = {contest.startMinute, contest.endMinute};
    request.categoriesFile = "categories.csv";
    request.categories = readCategoriesFile(contestsim::categoriesCsv(contest));
    EXPECT_TRUE(request.categories.problems.empty()) << request.categories.problems.front();
    const contestcheck::CheckOutcome outcome = contestcheck::check(sources, request);
    const ContestReport& report = outcome.report;
    EXPECT_FALSE(outcome.inputProblems);
    EXPECT_TRUE(report.categoriesProblems.empty());
    ASSERT_EQ(report.logs.size(), contest.logs.size());

    std::map<std::string, size_t> byCall;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        byCall[report.logs[l].call] = l;
    }
    size_t wrong = 0, checkLogCount = 0;
    std::map<std::string, int> adifStatuses;
    for (const contestsim::SimLog& sim : contest.logs) {
        const size_t l = byCall.at(sim.call);
        const Category& category = report.entrants[l].category;
        EXPECT_EQ(category, (Category{{sim.categoryOperator, sim.categoryBand, sim.categoryPower, "MIXED"}}))
            << sim.call;
        for (size_t p = 0; p < kCategoryParts; ++p) {
            EXPECT_GE(categoryPlace(static_cast<CategoryPart>(p), category.parts[p]), 0) << sim.call;
        }
        EXPECT_EQ(standingOf(category), CategoryStanding::kRanked) << sim.call;
        checkLogCount += isCheckLog(category) ? 1 : 0;
        for (size_t q = 0; q < sim.qsos.size(); ++q) {
            const QsoVerdict& v = report.verdicts[l].qsos[q];
            const std::string got =
                std::string(statusWord(v.status)) + " " + otherCallOf(report.logs, report.verdicts[l], v);
            const std::string want = sim.qsos[q].expectedStatus + " " + sim.qsos[q].expectedOther;
            if (got != want && ++wrong <= 10) {
                ADD_FAILURE() << sim.call << " line " << contestsim::qsoLine(sim, q) << ": got " << got << ", want "
                              << want;
            }
            adifStatuses[sim.adif ? sim.qsos[q].expectedStatus : ""] += 1;
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(adifStatuses["OTHER-BAND"], 0) << "single-band ADIF entrants, by the categories file";
    EXPECT_GT(checkLogCount, 0u);
    EXPECT_EQ(checkLogs(report).size(), checkLogCount);
    EXPECT_EQ(ranked(report).size() + checkLogCount, report.logs.size());
}

class GeneratedContest : public ::testing::TestWithParam<uint64_t> {};

TEST_P(GeneratedContest, EveryFaultGetsItsStatusAndCounterpart) {
    contestsim::SimOptions options;
    options.seed = GetParam();
    options.decisions = 8;
    std::map<std::string, int> seen = expectEveryVerdict(options);
    // The contest exercised every verdict.
    for (const char* status : {"CONFIRMED", "BUSTED-EXCHANGE", "BUSTED-CALL", "NIL", "UNIQUE", "UNVERIFIED", "REFUSED",
                               "DUPE", "OUT-OF-PERIOD", "OTHER-BAND"}) {
        EXPECT_GT(seen[status], 0) << status;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedContest, ::testing::Values(1, 2, 3, 20260314));

TEST(GeneratedContestAtScale, ManyStationsAndFaults) {
    contestsim::SimOptions options;
    options.seed = 7;
    options.stations = 400;
    options.contacts = 40000;
    options.nilRate = 0.06;
    options.bustedCallRate = 0.05;
    options.clockOffShare = 0.25;
    options.wholeHoursShare = 0.1;
    std::map<std::string, int> seen = expectEveryVerdict(options);
    EXPECT_GT(seen["BUSTED-CALL"], 1000);
    EXPECT_GT(seen["NIL"], 1000);
    // By the call history, and against the consensus of the other logs.
    EXPECT_GT(seen["BUSTED-CALL of a station without a log"], 10);
    EXPECT_GT(seen["BUSTED-EXCHANGE of a station without a log"], 10);
}

// What the generator puts in: clocks off by hours and days, bands the
// contest does not count, each side's time off by a minute or two, and
// duplicates (the same contact entered twice, within the window) whose
// counted twin lies too far from the other side to pair and takes over.
TEST(Generator, InjectsWhatTheRulesAreAbout) {
    contestsim::SimOptions options;
    options.seed = 5;
    options.stations = 200;
    options.contacts = 20000;
    options.wholeHoursShare = 0.2;
    const contestsim::SimContest contest = contestsim::generateContest(options);
    std::set<int> hours;
    std::map<std::string, int> bands;
    for (const contestsim::SimLog& log : contest.logs) {
        hours.insert(log.wholeHours);
        for (const contestsim::SimQso& q : log.qsos) {
            ++bands[q.band];
        }
    }
    EXPECT_GT(hours.count(24) + hours.count(-24), 0u);
    EXPECT_GT(hours.count(-3), 0u);
    EXPECT_GT(bands["6m"], 0);
    EXPECT_GT(bands["60m"], 0);
    EXPECT_GT(bands[""], 0);
    // Pairs by how far apart their two sides' true times were logged.
    const std::vector<SubmittedLog> logs = contestsim::submittedLogs(contest);
    const CheckOptions check;
    const std::vector<LogVerdict> verdicts = crossCheck(logs, check);
    // A duplicate of contact q of log l, within the window of it.
    auto hasTwin = [&](size_t l, size_t q) {
        const LogQso& counted = logs[l].qsos[q];
        for (const LogQso& twin : logs[l].qsos) {
            if (twin.engine == EngineResult::kDupe && twin.call == counted.call && twin.band == counted.band &&
                twin.mode == counted.mode && std::abs(twin.minute - counted.minute) <= check.windowMinutes) {
                return true;
            }
        }
        return false;
    };
    std::map<int64_t, int> apart;
    int takeovers = 0;
    for (size_t l = 0; l < logs.size(); ++l) {
        for (size_t q = 0; q < logs[l].qsos.size(); ++q) {
            const QsoVerdict& v = verdicts[l].qsos[q];
            if (v.status == QsoStatus::kConfirmed) {
                const size_t o = static_cast<size_t>(v.otherLog);
                const int64_t minutes = std::abs((logs[l].qsos[q].minute - verdicts[l].offsetMinutes) -
                                                 (logs[o].qsos[v.otherQso].minute - verdicts[o].offsetMinutes));
                ++apart[minutes];
                // Beyond the window only a counted contact that took over its twin's pair.
                if (minutes > check.windowMinutes) {
                    EXPECT_TRUE(hasTwin(l, q) || hasTwin(o, v.otherQso))
                        << logs[l].call << " line " << logs[l].qsos[q].line;
                    EXPECT_LE(minutes, 2 * check.windowMinutes) << logs[l].call << " line " << logs[l].qsos[q].line;
                    takeovers += hasTwin(l, q) ? 1 : 0;
                }
            }
        }
    }
    EXPECT_GT(apart[0], 0);
    EXPECT_GT(apart[4], 0);
    EXPECT_GT(takeovers, 0) << "a counted duplicate taking over its twin's pair";
    // Busted calls of every kind, re-works after a bust, mobile stations.
    std::map<NearKind, int> near;
    int reworks = 0;
    int mobiles = 0;
    for (const contestsim::SimLog& log : contest.logs) {
        for (const contestsim::SimQso& q : log.qsos) {
            if (q.expectedStatus == "BUSTED-CALL") {
                ++near[nearness(q.call, q.expectedOther, q.mode).kind];
            }
            reworks += q.expectedStatus == "DUPE" && !q.expectedOther.empty() ? 1 : 0;
            mobiles += q.call.size() > 2 && q.call.compare(q.call.size() - 2, 2, "/M") == 0 ? 1 : 0;
        }
    }
    EXPECT_GT(near[NearKind::kOneEdit], 0);
    EXPECT_GT(near[NearKind::kSwapped], 0);
    EXPECT_GT(near[NearKind::kConfused], 0);
    EXPECT_EQ(near[NearKind::kNone], 0);
    EXPECT_GT(reworks, 0);
    EXPECT_GT(mobiles, 0);
    const std::string csv = contestsim::categoriesCsv(contest);
    EXPECT_EQ(csv.rfind("call,operator,band,power,mode\n", 0), 0u);
    EXPECT_NE(csv.find(",MIXED\n"), std::string::npos);
}

TEST(Generator, IsTheSameForTheSameSeed) {
    contestsim::SimOptions options;
    options.seed = 11;
    const contestsim::SimContest a = contestsim::generateContest(options);
    const contestsim::SimContest b = contestsim::generateContest(options);
    ASSERT_EQ(a.logs.size(), b.logs.size());
    for (size_t l = 0; l < a.logs.size(); ++l) {
        EXPECT_EQ(contestsim::logText(a.logs[l]), contestsim::logText(b.logs[l]));
    }
    options.seed = 12;
    EXPECT_NE(contestsim::logText(contestsim::generateContest(options).logs[0]), contestsim::logText(a.logs[0]));
}

TEST(Generator, WritesTheQsoLinesWhereItSays) {
    contestsim::SimOptions options;
    options.adifShare = 0.5;
    const contestsim::SimContest contest = contestsim::generateContest(options);
    int checked = 0;
    for (const contestsim::SimLog& log : contest.logs) {
        if (log.qsos.empty()) {
            continue;
        }
        const std::string text = contestsim::logText(log);
        // The text of the line qsoLine names.
        uint32_t line = 1;
        size_t at = 0;
        while (line < contestsim::qsoLine(log, 0)) {
            at = text.find('\n', at) + 1;
            ++line;
        }
        const std::string first = text.substr(at, text.find('\n', at) - at);
        if (log.adif) {
            EXPECT_EQ(first.rfind("<CALL:", 0), 0u) << first;
        } else {
            EXPECT_EQ(first.rfind("QSO: ", 0), 0u) << first;
        }
        EXPECT_NE(first.find(log.qsos[0].call), std::string::npos);
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST(Generator, DatesAndTimes) {
    EXPECT_EQ(contestsim::dateText(0, false), "1970-01-01");
    EXPECT_EQ(contestsim::dateText(29557440, false), "2026-03-14");
    EXPECT_EQ(contestsim::dateText(29557440 + 1439, true), "20260314");
    EXPECT_EQ(contestsim::dateText(29557440 + 1440, true), "20260315");
    EXPECT_EQ(contestsim::dateText(-1, false), "1969-12-31");
    EXPECT_EQ(contestsim::timeText(29557440 + 725), "1205");
    EXPECT_EQ(contestsim::dateText(11017 * 1440, false), "2000-03-01");
}

}  // namespace
}  // namespace torv::crosscheck
