// torv as a committee runs it on what is and is not an entry: a log of
// another contest (score scores it and says so; check leaves it out unless
// --any-contest), and `torv categories`, whose file `torv check
// --categories` then takes without a problem.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/test_names.h"
#include "torv_program.h"

namespace {

const std::string kQso = "QSO:  7020 CW 2026-03-14 1200 PY2AAA 599 SP PY2BBB 599 RJ\n";
const std::string kWpx = "START-OF-LOG: 3.0\nCONTEST: CQ-WPX-CW\nCALLSIGN: PY2AAA\n" + kQso + "END-OF-LOG:\n";
const std::string kEntry =
    "START-OF-LOG: 3.0\nCONTEST: TORV\nCALLSIGN: PY2BBB\nCATEGORY-OPERATOR: SINGLE-OP B\nCATEGORY-BAND: ALL\n"
    "QSO:  7020 CW 2026-03-14 1200 PY2BBB 599 RJ PY2AAA 599 SP\nEND-OF-LOG:\n";
// An ADIF entrant: no category in the log.
const std::string kAdif =
    "<STATION_CALLSIGN:6>PY2CCC<CALL:6>PY2BBB<QSO_DATE:8>20260314<TIME_ON:4>1205<BAND:3>40m<MODE:2>CW"
    "<STX_STRING:2>MG<SRX_STRING:2>RJ<EOR>\n";

struct CommandRun {
    const char* description;
    std::vector<std::pair<std::string, std::string>> files;  // written in the folder first
    std::vector<std::string> arguments;
    int exitCode;
    std::string firstError;            // the first line on standard error, "" when it stays empty
    std::string inOutput;              // found in standard output
    std::vector<std::string> written;  // files the run must have written
};

class TorvEntries : public TorvProgram, public ::testing::WithParamInterface<CommandRun> {};

TEST_P(TorvEntries, ExitCodeMessagesAndFiles) {
    const CommandRun& row = GetParam();
    for (const auto& [path, text] : row.files) {
        std::filesystem::create_directories(std::filesystem::path(folder.file(path)).parent_path());
        writeFile(folder.file(path), text);
    }
    const ProgramRun run = torv(row.arguments);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), row.firstError) << run.err;
    EXPECT_NE(run.out.find(row.inOutput), std::string::npos) << run.out;
    for (const std::string& file : row.written) {
        EXPECT_TRUE(fileExists(folder.file(file))) << file;
    }
}

const std::vector<std::pair<std::string, std::string>> kLogs = {
    {"logs/wpx.cbr", kWpx}, {"logs/PY2BBB.cbr", kEntry}, {"logs/PY2CCC.adi", kAdif}};

INSTANTIATE_TEST_SUITE_P(
    Table, TorvEntries,
    ::testing::Values(
        CommandRun{"score of another contest's log",
                   {{"wpx.cbr", kWpx}},
                   {"score", "wpx.cbr"},
                   1,
                   "torv: wpx.cbr: names another contest, \"CQ-WPX-CW\", not TORV; scored by TORV's rules all the same",
                   "Score: 2*1 = 2",
                   {}},
        CommandRun{"its JSON",
                   {{"wpx.cbr", kWpx}},
                   {"score", "wpx.cbr", "--json"},
                   1,
                   "torv: wpx.cbr: names another contest, \"CQ-WPX-CW\", not TORV; scored by TORV's rules all the same",
                   "  \"format\": \"Cabrillo\",\n  \"otherContest\": \"CQ-WPX-CW\",\n",
                   {}},
        CommandRun{"score of this contest's log", {{"b.cbr", kEntry}}, {"score", "b.cbr"}, 0, "", "Score:", {}},
        CommandRun{"check leaves it out and still writes its files",
                   {{"logs/wpx.cbr", kWpx}},
                   {"check", "logs", "--out", "out"},
                   1,
                   "torv: logs/wpx.cbr: names another contest, \"CQ-WPX-CW\"; left out",
                   "0 logs, 0 QSO lines",
                   {"out/results.html", "out/results.txt", "out/committee.html", "out/qsos.csv"}},
        CommandRun{"check with --any-contest",
                   {{"logs/wpx.cbr", kWpx}},
                   {"check", "logs", "--out", "out", "--any-contest"},
                   0,
                   "",
                   "1 logs, 1 QSO lines",
                   {"out/ubn/PY2AAA.html"}},
        CommandRun{"categories to standard output",
                   kLogs,
                   {"categories", "logs"},
                   1,
                   "torv: logs/wpx.cbr: names another contest, \"CQ-WPX-CW\"; left out",
                   "call,operator,band,power,mode\nPY2BBB,SINGLE-OP B,ALL,,\nPY2CCC,,,,\n",
                   {}},
        CommandRun{"categories of every contest",
                   kLogs,
                   {"categories", "logs", "--any-contest"},
                   0,
                   "",
                   "call,operator,band,power,mode\nPY2AAA,,,,\nPY2BBB,SINGLE-OP B,ALL,,\nPY2CCC,,,,\n",
                   {}},
        CommandRun{"categories into a file",
                   kLogs,
                   {"categories", "logs/PY2BBB.cbr", "logs/PY2CCC.adi", "--out", "categories.csv"},
                   0,
                   "",
                   "2 entrants in categories.csv\n",
                   {"categories.csv"}},
        CommandRun{
            "categories of words that are not the contest's",
            {{"b.cbr", "START-OF-LOG: 2.0\nCALLSIGN: PY2BBB\nCATEGORY: SINGLE-OP ALL LOW MIXED\n" + kQso}},
            {"categories", "b.cbr"},
            0,
            "torv: b.cbr: CATEGORY-OPERATOR \"SINGLE-OP\" is not one of the contest's words; left empty to fill in",
            "PY2BBB,,ALL,LOW,MIXED\n",
            {}},
        CommandRun{"categories into a log's place",
                   kLogs,
                   {"categories", "logs", "--out", "logs/PY2BBB.cbr"},
                   2,
                   "torv: --out: logs/PY2BBB.cbr is one of the logs: an output never overwrites an input",
                   "",
                   {}},
        CommandRun{
            "categories of nothing", {}, {"categories", "none"}, 2, "torv: no such file or folder: none", "", {}},
        CommandRun{"categories without logs", {}, {"categories"}, 2, "torv: LOGS is required", "", {}},
        CommandRun{"help of categories", {}, {"categories", "--help"}, 0, "", "--out", {}}),
    [](const ::testing::TestParamInfo<CommandRun>& testCase) { return testName(testCase.param.description); });

// The file torv categories writes, filled in by the committee, is one torv
// check takes without a problem.
TEST_F(TorvProgram, TheCategoriesFileTorvWritesIsOneCheckTakes) {
    for (const auto& [path, text] : kLogs) {
        std::filesystem::create_directories(std::filesystem::path(folder.file(path)).parent_path());
        writeFile(folder.file(path), text);
    }
    ASSERT_EQ(torv({"categories", "logs", "--out", "categories.csv"}).exitCode, 1) << "the WPX log is left out";
    std::string csv = readFile(folder.file("categories.csv"));
    EXPECT_EQ(csv, "call,operator,band,power,mode\nPY2BBB,SINGLE-OP B,ALL,,\nPY2CCC,,,,\n");
    csv.replace(csv.find("PY2CCC,,,,"), 10, "PY2CCC,CHECKLOG,ALL,LOW,CW");
    writeFile(folder.file("categories.csv"), csv);
    std::filesystem::remove(folder.file("logs/wpx.cbr"));
    const ProgramRun run = torv({"check", "logs", "--out", "out", "--categories", "categories.csv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string results = readFile(folder.file("out/results.txt"));
    EXPECT_NE(results.find("\nCheck logs\nSent to help the check, not ranked.\nPY2CCC\n"), std::string::npos)
        << results;
}

}  // namespace
