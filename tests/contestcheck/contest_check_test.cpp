// The check of a whole contest on generated contests and on the awkward
// files a committee receives: the real readers and the real engine, no
// disk; and the plan of its outputs.
#include "contestcheck/contest_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>

#include "calendar/minutes.h"
#include "contest_sim.h"
#include "contestcheck/output_plan.h"
#include "contestcheck/rule_counts.h"
#include "logfile/log_file.h"
#include "logfile/text.h"
#include "scoring/log_scoring.h"
#include "support/test_names.h"

namespace contestsim = torv::contestsim;
namespace crosscheck = torv::crosscheck;
using torv::contestcheck::CheckOutcome;
using torv::contestcheck::CheckRequest;
using torv::contestcheck::isOutputName;
using torv::contestcheck::LogLoader;
using torv::contestcheck::LogSource;
using torv::contestcheck::LogSources;
using torv::contestcheck::makeOutputs;
using torv::contestcheck::naturallyBefore;
using torv::contestcheck::outputPlan;
using torv::contestcheck::PlannedFile;
using torv::contestcheck::RuleCounts;
using torv::contestcheck::ruleCounts;
using torv::contestcheck::summaryLine;
using torv::logfile::LogFileError;
using torv::logfile::utf8SequenceLength;

namespace {

// The check of these paths, each read by `load`.
CheckOutcome checkLogs(const std::vector<std::string>& paths, const CheckRequest& request, const LogLoader& load) {
    return torv::contestcheck::check(LogSources{paths, load, {}}, request);
}

class Files {
public:
    void add(const std::string& path, const std::string& text) { texts_[path] = text; }
    std::vector<std::string> paths() const {
        std::vector<std::string> all;
        for (const auto& [path, text] : texts_) {
            all.push_back(path);
        }
        return all;
    }
    void modified(const std::string& path, int64_t time) { times_[path] = time; }
    LogLoader loader() const {
        return [this](const std::string& path) {
            auto found = texts_.find(path);
            if (found == texts_.end()) {
                throw LogFileError("cannot read " + path + ": No such file or directory");
            }
            auto time = times_.find(path);
            return LogSource{found->second, time == times_.end() ? 0 : time->second};
        };
    }

private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, int64_t> times_;
};

std::vector<std::pair<std::string, std::string>> made(const std::vector<PlannedFile>& files) {
    std::vector<std::pair<std::string, std::string>> texts;
    for (const PlannedFile& file : files) {
        texts.emplace_back(file.name, file.text());
    }
    return texts;
}

size_t logIndex(const crosscheck::ContestReport& report, const std::string& call) {
    for (size_t l = 0; l < report.logs.size(); ++l) {
        if (report.logs[l].call == call) {
            return l;
        }
    }
    ADD_FAILURE() << "no log of " << call;
    return 0;
}

TEST(CheckLogs, AGeneratedContestThroughTheReadersAndTheEngine) {
    contestsim::SimOptions options;
    options.seed = 314;
    options.adifShare = 0.3;
    // No list of categories here: a single-band ADIF entrant is checked as ALL.
    options.categoriesListed = false;
    const contestsim::SimContest contest = contestsim::generateContest(options);
    Files files;
    for (const contestsim::SimLog& log : contest.logs) {
        files.add("logs/" + contestsim::fileName(log), contestsim::logText(log));
    }
    CheckRequest request;
    request.threads = 2;
    request.settings.options.period = {contest.startMinute, contest.endMinute};
    const CheckOutcome outcome = checkLogs(files.paths(), request, files.loader());
    EXPECT_FALSE(outcome.inputProblems);
    // The readers say only which contacts have no band.
    for (const std::string& diagnostic : crosscheck::diagnosticLines(outcome.report)) {
        EXPECT_NE(diagnostic.find("the contact has no band"), std::string::npos) << diagnostic;
    }
    const crosscheck::ContestReport& report = outcome.report;
    ASSERT_EQ(report.logs.size(), contest.logs.size());
    size_t wrong = 0;
    for (const contestsim::SimLog& sim : contest.logs) {
        const size_t l = logIndex(report, sim.call);
        const crosscheck::SubmittedLog& log = report.logs[l];
        const crosscheck::Entrant& e = report.entrants[l];
        ASSERT_EQ(log.qsos.size(), sim.qsos.size()) << sim.call;
        for (size_t q = 0; q < sim.qsos.size(); ++q) {
            EXPECT_EQ(log.qsos[q].line, contestsim::qsoLine(sim, q));
            const crosscheck::QsoVerdict& v = report.verdicts[l].qsos[q];
            const std::string got = std::string(crosscheck::statusWord(v.status)) + " " +
                                    crosscheck::otherCallOf(report.logs, report.verdicts[l], v);
            const std::string want = sim.qsos[q].expectedStatus + " " + sim.qsos[q].expectedOther;
            if (got != want && ++wrong <= 10) {
                ADD_FAILURE() << sim.call << " line " << log.qsos[q].line << ": got " << got << ", want " << want;
            }
        }
        if (report.verdicts[l].offsetPairs > 0) {
            EXPECT_EQ(report.verdicts[l].offsetMinutes, sim.clockOffset) << sim.call;
        }
        // The claimed score: the engine's, and the header's where the log has one.
        const bool claimFinding = std::any_of(e.findings.begin(), e.findings.end(), [](const std::string& finding) {
            return finding.rfind("CLAIMED-SCORE", 0) == 0;
        });
        EXPECT_EQ(claimFinding, !sim.adif && (!sim.claimPresent || sim.claimWrong)) << sim.call;
        if (!sim.adif && sim.claimPresent && !sim.claimWrong) {
            EXPECT_EQ(e.claimedScore, sim.claimedScore) << sim.call;
        }
        // All contacts counted, the checked score is the engine's own.
        std::vector<crosscheck::QsoVerdict> allConfirmed(log.qsos.size());
        EXPECT_EQ(crosscheck::checkedScore(log.qsos, allConfirmed, crosscheck::ScoreRules()).score, e.claimedScore)
            << sim.call;
        EXPECT_LE(e.checked.score, e.claimedScore);
    }
    EXPECT_EQ(wrong, 0u);
}

TEST(CheckLogs, TheSameWithOneThreadOrTwo) {
    contestsim::SimOptions options;
    options.seed = 99;
    const contestsim::SimContest contest = contestsim::generateContest(options);
    Files files;
    for (const contestsim::SimLog& log : contest.logs) {
        files.add(contestsim::fileName(log), contestsim::logText(log));
    }
    CheckRequest one;
    one.threads = 1;
    CheckRequest two;
    two.threads = 2;
    EXPECT_EQ(made(outputPlan(checkLogs(files.paths(), one, files.loader()).report, true)),
              made(outputPlan(checkLogs(files.paths(), two, files.loader()).report, true)));
}

const char* const kLogA =
    "START-OF-LOG: 3.0\r\nCALLSIGN: PY2AAA\r\nCATEGORY-OPERATOR: single-op  a \r\nCATEGORY-MODE: Mixed\r\n"
    "CLAIMED-SCORE: 2\r\n"
    "QSO:  7020 CW 2026-03-14 1200 PY2AAA        599 SP     PY2BBB        599 RJ\r\n"
    "QSO: 10120 CW 2026-03-14 1201 PY2AAA        599 SP     PY2BBB        599 RJ\r\n"
    "END-OF-LOG:\r\n";
const char* const kLogB =
    "START-OF-LOG: 3.0\nCALLSIGN: py2bbb\nCLAIMED-SCORE: 2\n"
    "QSO:  7020 CW 2026-03-14 1202 PY2BBB        599 RJ     PY2AAA        599 SP\n"
    "QSO: 10120 CW 2026-03-14 1201 PY2BBB        599 RJ     PY2AAA        599 SP\n"
    "QSO:  7020 CW 2026-03-14 1203 PY2BBB        599 RJ     PY2AAA        599 SP\n"
    "END-OF-LOG:\n";

TEST(CheckLogs, EngineVerdictsAndQuotedLines) {
    Files files;
    files.add("a.cbr", kLogA);
    files.add("b.log", kLogB);
    const CheckOutcome outcome = checkLogs(files.paths(), CheckRequest(), files.loader());
    const crosscheck::ContestReport& r = outcome.report;
    ASSERT_EQ(r.logs.size(), 2u);
    const size_t b = logIndex(r, "PY2BBB");
    EXPECT_EQ(r.logs[b].qsos[1].engine, crosscheck::EngineResult::kRefused);
    EXPECT_EQ(r.logs[b].qsos[1].finding, torv::engine::FindingCode::kNoContestBand);
    EXPECT_EQ(r.logs[b].qsos[2].finding, torv::engine::FindingCode::kDupe);
    EXPECT_EQ(r.verdicts[b].qsos[1].status, crosscheck::QsoStatus::kRefused);
    EXPECT_EQ(r.verdicts[b].qsos[1].otherLog, static_cast<int32_t>(logIndex(r, "PY2AAA")));
    // The two 40m contacts of B: the nearer one (line 4) pairs with A's.
    EXPECT_EQ(r.verdicts[b].qsos[0].status, crosscheck::QsoStatus::kConfirmed);
    EXPECT_EQ(r.verdicts[b].qsos[2].status, crosscheck::QsoStatus::kDupe);
    EXPECT_EQ(r.entrants[b].qsoText[2], "QSO:  7020 CW 2026-03-14 1203 PY2BBB        599 RJ     PY2AAA        599 SP");
    EXPECT_EQ(r.entrants[b].qsoText[0], "");  // confirmed lines are not quoted
    EXPECT_EQ(r.entrants[logIndex(r, "PY2AAA")].category, (crosscheck::Category{{"SINGLE-OP A", "", "", "MIXED"}}));
    EXPECT_EQ(r.entrants[b].claimedScore, 2);
    EXPECT_TRUE(r.entrants[b].findings.empty());
}

// The reports quote a file's lines from a second load of it; a file that
// changed or went in between quotes nothing and is told, a pipe's bytes are
// held instead.
struct SecondLoad {
    const char* description;
    bool again;                         // the first load says the file can be loaded again
    std::optional<std::string> second;  // what a second load of b.log gives; none: it is gone
    bool quoted;
};

class QuotingALog : public ::testing::TestWithParam<SecondLoad> {};

TEST_P(QuotingALog, LoadsItAgainOrHoldsWhatCannotBe) {
    const SecondLoad& row = GetParam();
    std::mutex lock;
    std::map<std::string, int> loads;
    const LogLoader load = [&](const std::string& path) {
        const std::lock_guard<std::mutex> guard(lock);
        const bool first = loads[path]++ == 0;
        if (path == "a.cbr") {
            return LogSource{kLogA, 0, row.again};
        }
        if (first) {
            return LogSource{kLogB, 0, row.again};
        }
        if (!row.second) {
            throw LogFileError("cannot read b.log: No such file or directory");
        }
        return LogSource{*row.second, 0, row.again};
    };
    const CheckOutcome outcome = checkLogs({"a.cbr", "b.log"}, CheckRequest(), load);
    const crosscheck::ContestReport& r = outcome.report;
    const size_t b = logIndex(r, "PY2BBB");
    EXPECT_EQ(r.entrants[b].qsoText[2],
              row.quoted ? "QSO:  7020 CW 2026-03-14 1203 PY2BBB        599 RJ     PY2AAA        599 SP" : "");
    EXPECT_EQ(r.entrants[logIndex(r, "PY2AAA")].qsoText[1].empty(), false);
    EXPECT_EQ(outcome.inputProblems, !row.quoted);
    EXPECT_EQ(loads["b.log"], row.again ? 2 : 1);
    const std::vector<std::string> told = row.quoted ? std::vector<std::string>{}
                                                     : std::vector<std::string>{
                                                           "b.log: changed or gone since it was read; its report "
                                                           "quotes none of its lines"};
    EXPECT_EQ(crosscheck::diagnosticLines(r), told);
}

INSTANTIATE_TEST_SUITE_P(Rows, QuotingALog,
                         ::testing::Values(SecondLoad{"loaded again, unchanged", true, std::string(kLogB), true},
                                           SecondLoad{"a pipe, held", false, std::nullopt, true},
                                           SecondLoad{"changed", true, std::string(kLogB) + "\n", false},
                                           SecondLoad{"gone", true, std::nullopt, false}),
                         [](const ::testing::TestParamInfo<SecondLoad>& testCase) {
                             return testName(testCase.param.description);
                         });

TEST(CheckLogs, FilesLeftOutAreReportedAndTheRestChecked) {
    Files files;
    files.add("a.cbr", kLogA);
    files.add("b.cbr", kLogB);
    files.add("notes.txt", "Dear committee, my log follows by post.\n");
    files.add("nobody.adi", "<CALL:6>PY2AAA <QSO_DATE:8>20260314 <TIME_ON:4>1200 <BAND:3>40m <MODE:2>CW <EOR>\n");
    files.add("x.adx", "<?xml version=\"1.0\"?>\n<ADX><HEADER></HEADER><RECORDS></RECORDS></ADX>\n");
    std::vector<std::string> paths = files.paths();
    paths.push_back("missing.cbr");
    const CheckOutcome outcome = checkLogs(paths, CheckRequest(), files.loader());
    EXPECT_TRUE(outcome.inputProblems);
    EXPECT_EQ(outcome.report.logs.size(), 2u);
    std::map<std::string, std::string> leftOut;
    for (const crosscheck::FileRecord& file : outcome.report.files) {
        if (file.fate == crosscheck::FileFate::kLeftOut) {
            leftOut[file.path] = file.reason;
        }
    }
    EXPECT_EQ(leftOut.size(), 4u);
    EXPECT_NE(leftOut["missing.cbr"].find("No such file"), std::string::npos);
    EXPECT_NE(leftOut["notes.txt"].find("not a contest log"), std::string::npos);
    EXPECT_NE(leftOut["nobody.adi"].find("names no station"), std::string::npos);
    EXPECT_NE(leftOut["x.adx"].find("ADX"), std::string::npos);
    // Standard error says the same, in the order of the files given.
    const std::vector<std::string> told = crosscheck::diagnosticLines(outcome.report);
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told.back(), "missing.cbr: " + leftOut["missing.cbr"] + "; left out");
}

struct SameCall {
    const char* description;
    std::vector<std::pair<std::string, int64_t>> files;  // PY2AAA's logs and their times
    std::string checked;
    std::string note;
};

class OfLogsOfOneCall : public ::testing::TestWithParam<SameCall> {};

TEST_P(OfLogsOfOneCall, TheOneModifiedLastWinsThenTheLaterName) {
    Files files;
    for (const auto& [path, time] : GetParam().files) {
        // Each log of PY2AAA sends another exchange, so the one checked shows.
        files.add(path, std::string(kLogA).replace(std::string(kLogA).find("SP     PY2BBB"), 2, path.substr(0, 2)));
        files.modified(path, time);
    }
    files.add("b.cbr", kLogB);
    const CheckOutcome outcome = checkLogs(files.paths(), CheckRequest(), files.loader());
    ASSERT_EQ(outcome.report.logs.size(), 2u);
    const size_t a = logIndex(outcome.report, "PY2AAA");
    EXPECT_EQ(outcome.report.entrants[a].file, GetParam().checked);
    EXPECT_EQ(outcome.report.logs[a].qsos[0].exchangeSent, GetParam().checked.substr(0, 2));
    const std::string note =
        "PY2AAA: " + GetParam().note + " left out (the one modified last wins, then the later file name)";
    EXPECT_EQ(crosscheck::fileNotes(outcome.report), std::vector<std::string>{note});
    EXPECT_EQ(crosscheck::diagnosticLines(outcome.report), std::vector<std::string>{"warning: " + note});
    EXPECT_FALSE(outcome.inputProblems);
}

INSTANTIATE_TEST_SUITE_P(Table, OfLogsOfOneCall,
                         ::testing::Values(SameCall{"modified later",
                                                    {{"zz-first.cbr", 5}, {"aa-second.cbr", 9}},
                                                    "aa-second.cbr",
                                                    "2 logs; aa-second.cbr is checked, zz-first.cbr"},
                                           SameCall{"same time: the later name, case aside",
                                                    {{"PY2AAA-old.cbr", 7}, {"py2aaa.cbr", 7}},
                                                    "py2aaa.cbr",
                                                    "2 logs; py2aaa.cbr is checked, PY2AAA-old.cbr"},
                                           SameCall{"numbers in names are numbers",
                                                    {{"ab-10.cbr", 3}, {"ab-9.cbr", 3}, {"ab-2.cbr", 3}},
                                                    "ab-10.cbr",
                                                    "3 logs; ab-10.cbr is checked, ab-9.cbr and ab-2.cbr"}),
                         [](const ::testing::TestParamInfo<SameCall>& testCase) {
                             return testName(testCase.param.description);
                         });

TEST(NaturallyBefore, NumbersAsNumbersCaseAside) {
    EXPECT_TRUE(naturallyBefore("log-2.cbr", "log-10.cbr"));
    EXPECT_FALSE(naturallyBefore("log-10.cbr", "log-2.cbr"));
    EXPECT_TRUE(naturallyBefore("Alpha", "beta"));
    EXPECT_TRUE(naturallyBefore("x7", "x007a"));
    EXPECT_TRUE(naturallyBefore("a", "ab"));
    EXPECT_NE(naturallyBefore("Log.cbr", "log.cbr"), naturallyBefore("log.cbr", "Log.cbr")) << "still one order";
}

TEST(CheckLogs, SkippedRecordsAreInputProblemsButTheLogCounts) {
    Files files;
    files.add("a.cbr", std::string(kLogA).insert(std::string(kLogA).find("END-OF-LOG"), "QSO: garbage\r\n"));
    const CheckOutcome outcome = checkLogs(files.paths(), CheckRequest(), files.loader());
    EXPECT_TRUE(outcome.inputProblems);
    ASSERT_EQ(outcome.report.logs.size(), 1u);
    const std::vector<std::string> told = crosscheck::diagnosticLines(outcome.report);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told[0].rfind("a.cbr: line 8", 0), 0u) << told[0];
    // The committee sees the line: in qsos.csv and in the entrant's report.
    const auto written = made(outputPlan(outcome.report, false));
    EXPECT_NE(written[0].second.find("\nPY2AAA,8,UNREADABLE,,\"1 field; TORV's layout has 10 or 11 (call, report "
                                     "and exchange each side)\"\n"),
              std::string::npos)
        << written[0].second;
    EXPECT_NE(written[1].second.find("Unreadable lines (1)\n  line 8: QSO: garbage\n    not read: 1 field;"),
              std::string::npos)
        << written[1].second;
}

// Two logs, the second station's call with "/P" (a name a safe-name rule
// must change).
CheckOutcome checkWithAPortableCall() {
    Files files;
    files.add("a.cbr", kLogA);
    std::string portable = kLogB;
    portable.replace(portable.find("py2bbb"), 6, "PY2BBB/P");
    files.add("b.cbr", portable);
    return checkLogs(files.paths(), CheckRequest(), files.loader());
}

TEST(OutputPlan, NamesAndOrder) {
    Files files;
    files.add("a.cbr", kLogA);
    files.add("b.cbr", kLogB);
    const CheckOutcome outcome = checkLogs(files.paths(), CheckRequest(), files.loader());
    std::vector<std::string> names;
    for (const PlannedFile& file : outputPlan(outcome.report, false)) {
        names.push_back(file.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"qsos.csv", "ubn/PY2AAA.txt", "ubn/PY2AAA.html", "ubn/PY2BBB.txt",
                                               "ubn/PY2BBB.html", "results.txt", "results.csv", "results.html",
                                               "committee.html"}));
    EXPECT_EQ(outputPlan(outcome.report, true).back().name, "results.json");
    // The soapbox page comes when an entrant wrote one, read from its header
    // with the club beside it.
    std::string soapbox = kLogA;
    soapbox.replace(soapbox.find("CLAIMED"), 0, "CLUB:  Radio  Clube \r\nSOAPBOX: 73 <all>\r\nSOAPBOX: & more\r\n");
    files.add("a.cbr", soapbox);
    const CheckOutcome withSoapbox = checkLogs(files.paths(), CheckRequest(), files.loader());
    const size_t a = logIndex(withSoapbox.report, "PY2AAA");
    EXPECT_EQ(withSoapbox.report.entrants[a].soapbox, "73 <all>\n& more");
    EXPECT_EQ(withSoapbox.report.entrants[a].club, "Radio  Clube");
    names.clear();
    for (const PlannedFile& file : outputPlan(withSoapbox.report, false)) {
        names.push_back(file.name);
    }
    EXPECT_EQ(std::count(names.begin(), names.end(), "soapbox.html"), 1) << names.size();
    EXPECT_EQ(names[names.size() - 2], "soapbox.html");
}

// The request's one contest period: contacts outside it are OUT-OF-PERIOD,
// and the scoring pass, which takes its dates from it, counts them as ever.
TEST(CheckLogs, TheOnePeriodOfTheRequest) {
    Files files;
    files.add("a.cbr", kLogA);
    files.add("b.log", kLogB);
    CheckRequest request;
    request.settings.options.period = {torv::calendar::minuteOf(2026, 3, 14, 12, 2),
                                       torv::calendar::minuteOf(2026, 3, 14, 23, 59)};
    const CheckOutcome within = checkLogs(files.paths(), request, files.loader());
    const CheckOutcome open = checkLogs(files.paths(), CheckRequest(), files.loader());
    const crosscheck::ContestReport& r = within.report;
    const size_t b = logIndex(r, "PY2BBB");
    const size_t a = logIndex(r, "PY2AAA");
    EXPECT_EQ(r.verdicts[a].qsos[0].status, crosscheck::QsoStatus::kOutOfPeriod);  // 12:00
    EXPECT_EQ(open.report.verdicts[a].qsos[0].status, crosscheck::QsoStatus::kConfirmed);
    EXPECT_EQ(r.entrants[a].claimedScore, open.report.entrants[a].claimedScore);
    EXPECT_EQ(r.entrants[b].claimedScore, open.report.entrants[b].claimedScore);
    EXPECT_LT(r.entrants[a].checked.score, open.report.entrants[a].checked.score);
}

// What the check would not count of a log the plug-in scores whole: its
// contacts outside the period, and those the engine takes on no contest band.
TEST(RuleCounts, OutsideThePeriodAndOffTheContestBands) {
    const torv::logfile::LogFile log = torv::logfile::readLog(
        "START-OF-LOG: 3.0\nCALLSIGN: PY2ZZ\n"
        "QSO:  7025 CW 2026-03-14 1159 PY2ZZ 599 SP PY1AA 599 RJ\n"
        "QSO:  7025 CW 2026-03-14 2359 PY2ZZ 599 SP PY1AC 599 RJ\n"
        "QSO:  7025 CW 2026-03-15 0000 PY2ZZ 599 SP PY1AD 599 RJ\n"
        "QSO: 50100 CW 2026-03-14 1300 PY2ZZ 599 SP PY1AE 599 RJ\n"
        "QSO:     0 CW 2026-03-14 1301 PY2ZZ 599 SP PY1AF 599 RJ\n"
        "QSO: 10120 CW 2026-03-14 1302 PY2ZZ 599 SP PY1AG 599 RJ\n"
        "END-OF-LOG:\n");
    const torv::scoring::ScoredLog scored =
        torv::scoring::scoreLog(log.contacts, torv::scoring::scoringSetupFor(log, "", std::nullopt, std::nullopt));
    const int64_t noon = torv::calendar::minuteOf(2026, 3, 14, 12, 0);
    const int64_t lastMinute = torv::calendar::minuteOf(2026, 3, 14, 23, 59);
    const struct {
        crosscheck::Period period;
        size_t outside;
    } cases[] = {{{}, 0}, {{noon, lastMinute}, 2}, {{noon, std::nullopt}, 1}, {{std::nullopt, lastMinute}, 1}};
    for (const auto& c : cases) {
        const RuleCounts counts = ruleCounts(log.contacts, scored, c.period);
        EXPECT_EQ(counts.outsidePeriod, c.outside);
        EXPECT_EQ(counts.offContestBands, 2u) << "6 m and no band; 30 m is refused by the engine";
    }
}

// What a check writes, and the names it may have written: the same table.
TEST(OutputPlan, EveryNameOfAPlanIsAnOutputNameAndNothingElse) {
    const CheckOutcome outcome = checkWithAPortableCall();
    for (const PlannedFile& file : outputPlan(outcome.report, true)) {
        EXPECT_TRUE(isOutputName(file.name)) << file.name;
    }
    const std::pair<const char*, bool> names[] = {
        {"results.json", true},
        {"ubn/9A-1_B.txt", true},
        {"ubn/X.html", true},
        {"torv-check-files.txt", false},
        {"", false},
        {"ubn/", false},
        {"ubn/.txt", false},
        {"ubn/py2aaa.txt", false},
        {"ubn/A.B.txt", false},
        {"ubn/A/B.txt", false},
        {"ubn/../A.txt", false},
        {"ubn/PY2AAA.csv", false},
        {"ubn/PY2AAA.txt.partial", false},
        {"../qsos.csv", false},
        {"qsos.csv/", false},
        {"ubnX/PY2AAA.txt", false},
        {"Results.txt", false},
        {"logs/PY2AAA.txt", false},
    };
    for (const auto& [name, output] : names) {
        EXPECT_EQ(isOutputName(name), output) << name;
    }
}

TEST(SummaryLine, CountsTheLinesByVerdict) {
    Files files;
    files.add("a.cbr", kLogA);
    files.add("b.log", kLogB);
    const CheckOutcome outcome = checkLogs(files.paths(), CheckRequest(), files.loader());
    EXPECT_EQ(summaryLine(outcome.report, "out/2026"),
              "2 logs, 5 QSO lines: 2 confirmed, 0 NIL, 0 busted, 0 unique; results in out/2026/results.txt");
    EXPECT_EQ(summaryLine(crosscheck::ContestReport(), "."),
              "0 logs, 0 QSO lines: 0 confirmed, 0 NIL, 0 busted, 0 unique; results in ./results.txt");
}

// Logs are 8-bit texts: a header or a QSO line in Latin-1 is shown as
// Latin-1, and every file written is UTF-8.
TEST(OutputPlan, EveryTextIsUtf8WhateverTheLogsBytes) {
    Files files;
    std::string latin1 = kLogA;
    latin1.replace(latin1.find("single-op  a "), 13, "Op\xE9rateur \xA0");
    latin1.replace(latin1.find("PY2BBB        599 RJ\r\nQSO: 10120"), 20, "PY2BBB        599 R\xC9");
    files.add("a.cbr", latin1);
    files.add("b.cbr", kLogB);
    const CheckOutcome outcome = checkLogs(files.paths(), CheckRequest(), files.loader());
    bool quoted = false;
    for (const auto& [name, text] : made(outputPlan(outcome.report, true))) {
        for (size_t i = 0; i < text.size();) {
            const size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : utf8SequenceLength(text, i);
            ASSERT_NE(length, 0u) << name << " at byte " << i;
            i += length;
        }
        quoted = quoted || text.find("599 R\xC3\x89") != std::string::npos;
    }
    EXPECT_TRUE(quoted) << "the line is quoted, its byte as Latin-1";
    const auto written = made(outputPlan(outcome.report, false));
    const auto committee =
        std::find_if(written.begin(), written.end(), [](const auto& file) { return file.first == "committee.html"; });
    ASSERT_NE(committee, written.end());
    EXPECT_NE(committee->second.find("operator &quot;OP\xC3\xA9RATEUR&quot;"), std::string::npos);
}

// A log whose entrant cannot be finished (here its second load fails with
// an error no reader expects, so its checked score is never made) is told
// and gets empty quotes; the other entrants are finished as always, and
// every file is still made.
TEST(CheckLogs, AnEntrantThatCannotBeFinishedIsToldAndTheOthersAreFinished) {
    std::mutex lock;
    std::map<std::string, int> loads;
    const LogLoader failing = [&](const std::string& path) {
        const std::lock_guard<std::mutex> guard(lock);
        if (path == "b.log" && loads[path]++ > 0) {
            throw std::runtime_error("the disk failed");
        }
        return LogSource{path == "a.cbr" ? kLogA : kLogB, 0, true};
    };
    const CheckOutcome outcome = checkLogs({"a.cbr", "b.log"}, CheckRequest(), failing);
    const crosscheck::ContestReport& r = outcome.report;
    Files files;
    files.add("a.cbr", kLogA);
    files.add("b.log", kLogB);
    const CheckOutcome fine = checkLogs({"a.cbr", "b.log"}, CheckRequest(), files.loader());
    const size_t a = logIndex(r, "PY2AAA");
    const size_t b = logIndex(r, "PY2BBB");
    EXPECT_TRUE(outcome.inputProblems);
    EXPECT_FALSE(fine.inputProblems);
    EXPECT_EQ(crosscheck::diagnosticLines(r),
              std::vector<std::string>{"b.log: its checked score could not be made: the disk failed"});
    EXPECT_EQ(r.entrants[b].checked.score, 0);
    EXPECT_NE(fine.report.entrants[b].checked.score, 0);
    EXPECT_EQ(r.entrants[b].qsoText, std::vector<std::string>(r.logs[b].qsos.size()));
    EXPECT_EQ(r.entrants[a].problem, "");
    EXPECT_EQ(r.entrants[a].checked.score, fine.report.entrants[a].checked.score);
    EXPECT_EQ(r.entrants[a].qsoText, fine.report.entrants[a].qsoText);
    EXPECT_EQ(made(outputPlan(r, true)).size(), outputPlan(fine.report, true).size());
}

// A file whose text cannot be made costs only itself: the others are still
// handed to the writer, and the reason is returned in its place.
TEST(MakeOutputs, ATextThatFailsIsToldAndTheOthersAreWritten) {
    const std::vector<PlannedFile> files = {
        {"qsos.csv", [] { return std::string("log,line\n"); }},
        {"ubn/PY2AAA.txt", []() -> std::string { throw std::runtime_error("the report could not be made"); }},
        {"ubn/PY2AAA.html", []() -> std::string { throw 42; }},
        {"results.txt", [] { return std::string("results\n"); }},
        {"results.csv", [] { return std::string("category\n"); }},
    };
    for (const unsigned threads : {1u, 2u}) {
        SCOPED_TRACE(threads);
        std::mutex lock;
        std::map<std::string, std::string> written;
        const std::vector<std::string> failures =
            makeOutputs(files, threads, [&](const std::string& name, const std::string& text) {
                const std::lock_guard<std::mutex> guard(lock);
                written[name] = text;
                return name == "results.csv" ? std::string("No space left on device") : std::string();
            });
        EXPECT_EQ(failures, (std::vector<std::string>{"", "the report could not be made", "an unknown error", "",
                                                      "No space left on device"}));
        EXPECT_EQ(written,
                  (std::map<std::string, std::string>{
                      {"qsos.csv", "log,line\n"}, {"results.txt", "results\n"}, {"results.csv", "category\n"}}));
    }
}

}  // namespace
