// What is an entry of the contest: a log naming another contest and one
// without a readable contact are left out (and listed), the rest checked;
// and the committee's categories file made from the logs' headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "contestcheck/categories_list.h"
#include "contestcheck/contest_check.h"
#include "crosscheck/categories_file.h"
#include "crosscheck/committee_page.h"
#include "crosscheck/contest_report.h"
#include "crosscheck/report_text.h"
#include "crosscheck/results_json.h"
#include "crosscheck/results_page.h"
#include "crosscheck/results_table.h"
#include "engine/contest.h"
#include "logfile/log_file.h"
#include "support/test_names.h"

namespace contestcheck = torv::contestcheck;
namespace crosscheck = torv::crosscheck;
using crosscheck::FileFate;
using crosscheck::QsoStatus;

namespace {

// A loader of texts held in memory, by path.
contestcheck::LogSources sourcesOf(const std::map<std::string, std::string>& files) {
    contestcheck::LogSources sources;
    for (const auto& [path, text] : files) {
        sources.paths.push_back(path);
    }
    sources.load = [files](const std::string& path) {
        const auto found = files.find(path);
        if (found == files.end()) {
            throw torv::logfile::LogFileError("cannot read " + path + ": No such file or directory");
        }
        return contestcheck::LogSource{found->second, 0, true};
    };
    return sources;
}

// PY2BBB's log, which worked PY2AAA on 40 m CW at 12:00.
const char* const kOther =
    "START-OF-LOG: 3.0\nCONTEST: TORV\nCALLSIGN: PY2BBB\n"
    "QSO:  7020 CW 2026-03-14 1200 PY2BBB        599 RJ     PY2AAA        599 SP\n"
    "END-OF-LOG:\n";

std::string cabrillo(const std::string& headerLines, const std::string& qsoLines) {
    return "START-OF-LOG: 3.0\n" + headerLines + "CALLSIGN: PY2AAA\n" + qsoLines + "END-OF-LOG:\n";
}
const std::string kQso = "QSO:  7020 CW 2026-03-14 1200 PY2AAA        599 SP     PY2BBB        599 RJ\n";

std::string adifRecord(const std::string& contestId) {
    const std::string field =
        contestId.empty() ? "" : "<CONTEST_ID:" + std::to_string(contestId.size()) + ">" + contestId;
    return "<STATION_CALLSIGN:6>PY2AAA<CALL:6>PY2BBB<QSO_DATE:8>20260314<TIME_ON:4>1200<BAND:3>40m<MODE:2>CW"
           "<STX_STRING:2>SP<SRX_STRING:2>RJ" +
           field + "<EOR>\n";
}

struct EntryCase {
    const char* description;
    std::string log;  // PY2AAA's file
    bool anyContest;
    FileFate fate;
    std::string told;  // what standard error says of the file ("" when nothing)
};

class EntriesOfTheContest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntriesOfTheContest, AreCheckedTheOthersListed) {
    const EntryCase& row = GetParam();
    contestcheck::CheckRequest request;
    request.anyContest = row.anyContest;
    const contestcheck::CheckOutcome outcome =
        contestcheck::check(sourcesOf({{"a.log", row.log}, {"b.cbr", kOther}}), request);
    const crosscheck::ContestReport& report = outcome.report;
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_EQ(report.files[0].fate, row.fate);
    const bool checked = row.fate == FileFate::kChecked;
    EXPECT_EQ(report.logs.size(), checked ? 2u : 1u);
    EXPECT_EQ(outcome.inputProblems, !row.told.empty());
    std::vector<std::string> told;
    for (const std::string& line : crosscheck::diagnosticLines(report)) {
        if (line.rfind("a.log: ", 0) == 0) {
            told.push_back(line);
        }
    }
    // After what the reader said of the file, if anything, why it is not checked.
    EXPECT_EQ(told.empty() ? std::string() : told.back(), row.told);
    EXPECT_EQ(crosscheck::fileNotes(report),
              row.told.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.told})
        << "results.json's notes";
    // A log left out is no station that sent a log: its contact is unique, not NIL.
    const crosscheck::LogVerdict& other = report.verdicts[report.logs[0].call == "PY2BBB" ? 0 : 1];
    EXPECT_EQ(other.qsos[0].status, checked ? QsoStatus::kConfirmed : QsoStatus::kUnique);
    // The committee's page lists what is not an entry, with the name it gives.
    const std::string page = crosscheck::committeeHtml(report);
    EXPECT_EQ(page.find("<h2>Files that are not entries</h2>") != std::string::npos,
              row.fate == FileFate::kOtherContest || row.fate == FileFate::kNoContacts);
    if (!row.told.empty() && row.fate != FileFate::kLeftOut) {
        EXPECT_NE(page.find("<li>a.log (PY2AAA): " + crosscheck::htmlEscaped(row.told.substr(7)) + "</li>"),
                  std::string::npos)
            << page;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EntriesOfTheContest,
    ::testing::Values(
        EntryCase{"the contest by name", cabrillo("CONTEST: TORV\n", kQso), false, FileFate::kChecked, ""},
        EntryCase{"its name in other words", cabrillo("CONTEST: Torv-2026 cw\n", kQso), false, FileFate::kChecked, ""},
        EntryCase{"blanks and marks between the letters", cabrillo("CONTEST:  t_o-r v \n", kQso), false,
                  FileFate::kChecked, ""},
        EntryCase{"an empty name", cabrillo("CONTEST:\n", kQso), false, FileFate::kChecked, ""},
        EntryCase{"no name", cabrillo("", kQso), false, FileFate::kChecked, ""},
        EntryCase{"another contest", cabrillo("CONTEST: CQ-WPX-CW\n", kQso), false, FileFate::kOtherContest,
                  "a.log: names another contest, \"CQ-WPX-CW\"; left out"},
        EntryCase{"the name cut short", cabrillo("CONTEST: TOR\n", kQso), false, FileFate::kOtherContest,
                  "a.log: names another contest, \"TOR\"; left out"},
        EntryCase{"another contest with --any-contest", cabrillo("CONTEST: CQ-WPX-CW\n", kQso), true,
                  FileFate::kChecked, ""},
        EntryCase{"ADIF: the contest in every record", adifRecord("TORV") + adifRecord("torv"), false,
                  FileFate::kChecked, ""},
        EntryCase{"ADIF: no CONTEST_ID", adifRecord(""), false, FileFate::kChecked, ""},
        EntryCase{"ADIF: one record of another contest", adifRecord("TORV") + adifRecord("") + adifRecord("CQ-WW-SSB"),
                  false, FileFate::kOtherContest, "a.log: names another contest, \"CQ-WW-SSB\"; left out"},
        EntryCase{"no QSO line", cabrillo("CONTEST: TORV\n", ""), false, FileFate::kNoContacts,
                  "a.log: no QSO line; not ranked"},
        EntryCase{"no QSO line that could be read",
                  cabrillo("", "QSO:  7020 CW 2026-03-14 12:00 PY2AAA 599 SP PY2BBB 599 RJ\nQSO: 7020 XX\n"), false,
                  FileFate::kNoContacts, "a.log: none of its 2 QSO lines could be read; not ranked"},
        EntryCase{"no station named", "START-OF-LOG: 3.0\n" + kQso + "END-OF-LOG:\n", false, FileFate::kLeftOut,
                  "a.log: Cabrillo log that names no station (no CALLSIGN, STATION_CALLSIGN or OPERATOR); left "
                  "out"}),
    [](const ::testing::TestParamInfo<EntryCase>& testCase) { return testName(testCase.param.description); });

TEST(ContestNames, AreTheDescriptorsAndTheLogsGiveEachOnce) {
    struct Name {
        const char* given;
        bool contests;
    };
    for (const Name& name : {Name{"TORV", true}, Name{"torv", true}, Name{"TORV-CW", true}, Name{" T O R V ", true},
                             Name{"TORV_2026", true}, Name{"", true}, Name{"-_ ", true}, Name{"TOR", false},
                             Name{"XTORV", false}, Name{"CQ-WPX-CW", false}, Name{"T.O.R.V", false}}) {
        EXPECT_EQ(torv::engine::contest::namesTheContest(name.given), name.contests) << name.given;
    }
    // The readers give each name once, as written, blanks around it dropped.
    const torv::logfile::LogFile adif =
        torv::logfile::readLog(adifRecord(" TORV ") + adifRecord("X") + adifRecord("TORV") + adifRecord(""));
    EXPECT_EQ(adif.contestNames, (std::vector<std::string>{"TORV", "X"}));
    EXPECT_EQ(torv::logfile::readLog(cabrillo("CONTEST:  Torv 2026 \n", kQso)).contestNames,
              (std::vector<std::string>{"Torv 2026"}));
    EXPECT_TRUE(torv::logfile::readLog(cabrillo("CONTEST: \n", kQso)).contestNames.empty());
}

// Every file left out: the check still makes its report, and the plan of
// its files, for the committee to see why.
TEST(NoEntryAtAll, StillMakesTheReport) {
    const contestcheck::CheckOutcome outcome = contestcheck::check(
        sourcesOf({{"wpx.cbr", cabrillo("CONTEST: CQ-WPX-CW\n", kQso)}, {"empty.cbr", cabrillo("", "")}}),
        contestcheck::CheckRequest());
    EXPECT_TRUE(outcome.report.logs.empty());
    EXPECT_TRUE(outcome.inputProblems);
    const std::string page = crosscheck::committeeHtml(outcome.report);
    EXPECT_NE(page.find("<li>empty.cbr (PY2AAA): no QSO line; not ranked</li>"), std::string::npos) << page;
    EXPECT_NE(page.find("<li>wpx.cbr (PY2AAA): names another contest, &quot;CQ-WPX-CW&quot;; left out</li>"),
              std::string::npos)
        << page;
}

// The committee's categories file from the logs: one row per call, by
// call, each part the log's when it is the contest's, else empty and told;
// read back as the committee's file, it has no problem.
TEST(CategoriesListing, ARowPerEntrantInTheContestsWords) {
    const std::map<std::string, std::string> files = {
        {"a.cbr", cabrillo("CATEGORY-OPERATOR: single-op  a\nCATEGORY-BAND: 40M\nCATEGORY-POWER: LOW\n"
                           "CATEGORY-MODE: CW\n",
                           kQso)},
        {"b.cbr", kOther},
        {"c.adi",
         "<STATION_CALLSIGN:6>PY2CCC<CALL:6>PY2BBB<QSO_DATE:8>20260314<TIME_ON:4>1210<BAND:3>40m"
         "<MODE:2>CW<EOR>\n"},
        // Cabrillo 2.0: SINGLE-OP and 160M are not the contest's words.
        {"d.log", "START-OF-LOG: 2.0\nCALLSIGN: PY2DDD\nCATEGORY: SINGLE-OP 160M HIGH SSB\n" + kQso},
        {"e.cbr", cabrillo("CONTEST: CQ-WPX-CW\nCATEGORY-OPERATOR: MULTI-OP\n", kQso)},
        {"notes.txt", "see you next year\n"},
        {"old/PY2DDD.log", "START-OF-LOG: 2.0\nCALLSIGN: PY2DDD\nCATEGORY: CHECKLOG\n" + kQso},
    };
    const contestcheck::CategoriesListing listing =
        contestcheck::listCategories(sourcesOf(files), contestcheck::CheckRequest());
    EXPECT_EQ(listing.csv,
              "call,operator,band,power,mode\n"
              "PY2AAA,SINGLE-OP A,40M,LOW,CW\n"
              "PY2BBB,,,,\n"
              "PY2CCC,,,,\n"
              "PY2DDD,CHECKLOG,,,\n");
    EXPECT_EQ(listing.notes,
              (std::vector<std::string>{
                  "e.cbr: names another contest, \"CQ-WPX-CW\"; left out",
                  "notes.txt: not a contest log (neither ADIF nor Cabrillo); left out",
                  "PY2DDD: 2 logs; old/PY2DDD.log is checked, d.log left out (the one modified last wins, then the "
                  "later file name)",
              }))
        << "same time: the later name wins";
    EXPECT_TRUE(listing.inputProblems);
    const crosscheck::CategoriesFile read = crosscheck::readCategoriesFile(listing.csv);
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.entries.size(), 4u);

    // With --any-contest the other contest's log is listed too.
    contestcheck::CheckRequest any;
    any.anyContest = true;
    const std::map<std::string, std::string> two = {{"d.log", files.at("d.log")}, {"e.cbr", files.at("e.cbr")}};
    const contestcheck::CategoriesListing all = contestcheck::listCategories(sourcesOf(two), any);
    EXPECT_EQ(all.csv, "call,operator,band,power,mode\nPY2AAA,MULTI-OP,,,\nPY2DDD,,,HIGH,SSB\n");
    EXPECT_EQ(all.notes,
              (std::vector<std::string>{
                  "d.log: CATEGORY-OPERATOR \"SINGLE-OP\" is not one of the contest's words; left empty to fill in",
                  "d.log: CATEGORY-BAND \"160M\" is not one of the contest's words; left empty to fill in"}));
    EXPECT_FALSE(all.inputProblems);
}

}  // namespace

namespace {

std::string logOf(const std::string& call, const std::string& category, const std::string& qsoLines) {
    return "START-OF-LOG: 3.0\nCONTEST: TORV\nCALLSIGN: " + call + "\n" + category + qsoLines + "END-OF-LOG:\n";
}

std::string qso(const std::string& frequency, const std::string& time, const std::string& from, const std::string& to) {
    return "QSO: " + frequency + " CW 2026-03-14 " + time + " " + from + " 599 SP " + to + " 599 SP\n";
}

// PY2AAA, PY2BBB and PY2CCC worked each other on 40 and 20 m.
std::map<std::string, std::string> threeLogs(const std::string& categoryOfB) {
    std::map<std::string, std::string> files;
    const std::vector<std::string> calls = {"PY2AAA", "PY2BBB", "PY2CCC"};
    for (const std::string& self : calls) {
        std::string lines;
        for (const std::string& other : calls) {
            if (other != self) {
                const std::string a = std::min(self, other), b = std::max(self, other);
                const int at = (a == "PY2AAA" ? 0 : 10) + (b == "PY2CCC" ? 2 : 0);
                lines += qso(" 7020", "12" + std::to_string(10 + at), self, other);
                lines += qso("14020", "13" + std::to_string(10 + at), self, other);
            }
        }
        const std::string category = self == "PY2BBB"   ? categoryOfB
                                     : self == "PY2AAA" ? "CATEGORY-OPERATOR: SINGLE-OP A\nCATEGORY-BAND: ALL\n"
                                                        : "CATEGORY-OPERATOR: SINGLE-OP A\nCATEGORY-BAND: ALL\n"
                                                          "CLAIMED-SCORE: 0\n";
        files[self + ".cbr"] =
            logOf(self, category, lines + (self == "PY2AAA" ? qso("21020", "1400", self, "PY9X") : ""));
    }
    return files;
}

}  // namespace

// A check log helps the check (its contacts confirm the others') and is
// listed apart on the results page and in results.txt, unranked; the data
// files give it no rank.
TEST(CheckLogs, ListedApartUnranked) {
    const contestcheck::CheckOutcome outcome = contestcheck::check(
        sourcesOf(threeLogs("CATEGORY-OPERATOR: CHECKLOG\nCATEGORY-BAND: ALL\n")), contestcheck::CheckRequest());
    const crosscheck::ContestReport& r = outcome.report;
    ASSERT_EQ(r.logs.size(), 3u);
    const std::vector<crosscheck::Ranked> rows = crosscheck::ranked(r);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(r.logs[rows[0].log].call, "PY2AAA") << "one more contact, unique";
    EXPECT_EQ(rows[0].rank, 1);
    EXPECT_EQ(rows[1].rank, 2);
    ASSERT_EQ(crosscheck::checkLogs(r), std::vector<size_t>{1});
    EXPECT_EQ(r.verdicts[0].qsos[0].status, QsoStatus::kConfirmed) << "PY2AAA's contact with the check log";

    const std::string html = crosscheck::resultsHtml(r);
    EXPECT_NE(html.find("<h2 id=\"check-logs\">Check logs</h2>\n<p>Sent to help the check, not ranked.</p>\n"
                        "<ul class=\"check-logs\"><li><a href=\"ubn/PY2BBB.html\">PY2BBB</a></li></ul>\n"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("ubn/PY2BBB.html"), html.rfind("ubn/PY2BBB.html")) << "linked once, outside the tables";
    EXPECT_EQ(html.find("CHECKLOG"), std::string::npos) << "no table headed by it";
    const std::string text = crosscheck::resultsText(r);
    EXPECT_NE(text.find("\nCheck logs\nSent to help the check, not ranked.\nPY2BBB\n\n"), std::string::npos) << text;
    const std::string csv = crosscheck::resultsCsv(r);
    EXPECT_EQ(csv.substr(csv.rfind("\n", csv.size() - 2) + 1, 18), "CHECKLOG,,PY2BBB,A") << csv;
    const std::string json = crosscheck::resultsJson(r);
    EXPECT_NE(json.find("\"call\": \"PY2BBB\", \"file\": \"PY2BBB.cbr\", \"category_operator\": \"CHECKLOG\""),
              std::string::npos);
    EXPECT_NE(json.find("\"rank\": null"), std::string::npos) << json;

    // Portuguese.
    crosscheck::ContestReport pt = r;
    pt.settings.language = crosscheck::Language::kPortuguese;
    EXPECT_NE(crosscheck::resultsHtml(pt).find(">Logs para conferência (checklog)</h2>"), std::string::npos);
}

// A category naming a band the contest does not have: the entrant is
// checked as one of all bands (no OTHER-BAND) and listed under no category,
// and the committee's page says why.
TEST(CategoryBand, ABandTheContestDoesNotHaveIsCheckedAsAllBands) {
    const contestcheck::CheckOutcome outcome = contestcheck::check(
        sourcesOf(threeLogs("CATEGORY-OPERATOR: SINGLE-OP A\nCATEGORY-BAND: 160M\n")), contestcheck::CheckRequest());
    const crosscheck::ContestReport& r = outcome.report;
    ASSERT_EQ(r.logs.size(), 3u);
    ASSERT_EQ(r.logs[1].call, "PY2BBB");
    for (const crosscheck::QsoVerdict& v : r.verdicts[1].qsos) {
        EXPECT_EQ(v.status, QsoStatus::kConfirmed) << "40 and 20 m alike";
    }
    EXPECT_EQ(crosscheck::standingOf(r.entrants[1].category), crosscheck::CategoryStanding::kOtherBand);
    EXPECT_EQ(crosscheck::categoryHeading(r.entrants[1], crosscheck::Language::kEnglish, crosscheck::shownParts(r)),
              "No category");
    EXPECT_NE(crosscheck::committeeHtml(r).find("PY2BBB: the category's band, 160M, is not a band of the contest"),
              std::string::npos);
    // A band the contest has: the other band's contacts are OTHER-BAND.
    const contestcheck::CheckOutcome single = contestcheck::check(
        sourcesOf(threeLogs("CATEGORY-OPERATOR: SINGLE-OP A\nCATEGORY-BAND: 40M\n")), contestcheck::CheckRequest());
    EXPECT_EQ(single.report.verdicts[1].qsos[1].status, QsoStatus::kOtherBand);
}
