// The torv program run as a user runs it: standard output, the files it
// writes, messages on standard error and exit codes.
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/test_names.h"
#include "torv_program.h"

namespace {

std::string withoutCarriageReturns(std::string text) {
    std::string result;
    for (char c : text) {
        if (c != '\r') {
            result += c;
        }
    }
    return result;
}

// The text with every run of blanks made one blank and no blank before a line end.
std::string singleBlanks(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == ' ' && !result.empty() && result.back() == ' ') {
            continue;
        }
        if ((c == '\r' || c == '\n') && !result.empty() && result.back() == ' ') {
            result.pop_back();
        }
        result += c;
    }
    return result;
}

std::string goldenSummaryLine() {
    return withoutCarriageReturns(readFile(testDataPath("golden/sample.summary.txt"))) + "\n";
}

TEST_F(TorvProgram, ScoresTheSampleAsThePluginDoes) {
    const ProgramRun run = torv({"score", sample(), "--errors", "errors.txt", "--cabrillo", "log.cbr"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, goldenSummaryLine()) << "the summary with LF line ends, and a line end after it";
    EXPECT_TRUE(matchesGolden(readFile(folder.file("errors.txt")), "golden/sample.err.txt"));
    EXPECT_TRUE(matchesGolden(readFile(folder.file("log.cbr")), "golden/sample.cbr"));
    EXPECT_FALSE(fileExists(folder.file("PY2ZZ.cbr"))) << "nothing but the files asked for";
}

// Standard output carries one output; the summary then goes to standard error.
TEST_F(TorvProgram, AnOutputOnStandardOutputIsAloneThere) {
    const ProgramRun errors = torv({"score", sample(), "--errors", "-"});
    EXPECT_EQ(errors.exitCode, 0);
    EXPECT_EQ(errors.out, withoutCarriageReturns(readFile(testDataPath("golden/sample.err.txt"))));
    EXPECT_EQ(errors.err, goldenSummaryLine());
    const ProgramRun cabrillo = torv({"score", sample(), "--cabrillo", "-"});
    EXPECT_EQ(cabrillo.exitCode, 0);
    EXPECT_TRUE(matchesGolden(cabrillo.out, "golden/sample.cbr")) << "the plug-in's bytes, CR LF and all";
    EXPECT_EQ(cabrillo.err, goldenSummaryLine());
}

TEST_F(TorvProgram, TheCabrilloFileScoresAlikeAndKeepsItsCallsign) {
    ASSERT_EQ(torv({"score", sample(), "--cabrillo", "first.cbr"}).exitCode, 0);
    const ProgramRun again = torv({"score", "first.cbr", "--cabrillo", "second.cbr"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, goldenSummaryLine()) << "DLL -> Cabrillo -> torv score: the same summary";
    // Blanks around an exchange do not survive a blank-separated format.
    EXPECT_TRUE(singleBlanks(readFile(folder.file("second.cbr"))) == singleBlanks(readFile(folder.file("first.cbr"))));

    // Another CALLSIGN in the file: kept in the header and the sent-call
    // column, while the contestant comes from --call.
    std::string renamed = readFile(folder.file("first.cbr"));
    renamed.replace(renamed.find("CALLSIGN: PY2ZZ"), 15, "CALLSIGN: PY2ZZ/P");
    writeFile(folder.file("renamed.cbr"), renamed);
    const ProgramRun kept = torv({"score", "renamed.cbr", "--call", "PY2ZZ", "--cabrillo", "kept.cbr"});
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.out, goldenSummaryLine());
    const std::string written = readFile(folder.file("kept.cbr"));
    EXPECT_NE(written.find("\r\nCALLSIGN: PY2ZZ/P\r\n"), std::string::npos);
    EXPECT_NE(written.find(" PY2ZZ/P       59  SP "), std::string::npos);
}

TEST_F(TorvProgram, TheSettingsFileGivesTheHeaderAndStaysAsItWas) {
    const std::string settings = "[Settings]\r\nName=Ana Silva\r\nOperators=PY2ZZ PY2YY\r\nClaimed=1\r\n";
    writeFile(folder.file("TORV.ini"), settings);
    const ProgramRun run = torv({"score", sample(), "--settings", "TORV.ini", "--cabrillo", "log.cbr"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string written = readFile(folder.file("log.cbr"));
    EXPECT_NE(written.find("\r\nNAME: Ana Silva\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nOPERATORS: PY2ZZ PY2YY\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nCLAIMED-SCORE: 37975\r\n"), std::string::npos);
    EXPECT_EQ(readFile(folder.file("TORV.ini")), settings);
}

TEST_F(TorvProgram, TheContestantAndThePeriodCanBeGiven) {
    const ProgramRun run =
        torv({"score", sample(), "--call", " PY9ZZ ", "--start", "2015-09-11", "--end", "2015-09-14T12:00"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find("\tQSOs")), "      TORV 11.09-14.09.2015\n\tContestant: PY9ZZ \n");
}

TEST_F(TorvProgram, ALogThatNamesNoStationAsksForTheCall) {
    writeFile(folder.file("log.adi"),
              "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>1200<BAND:3>40m<MODE:2>CW"
              "<STX_STRING:2>SP<SRX_STRING:2>RJ<EOR>\n");
    const ProgramRun run = torv({"score", "log.adi"});
    EXPECT_EQ(run.exitCode, 0) << "a warning is no input problem";
    EXPECT_EQ(run.err,
              "torv: log.adi: warning: the log names no station (CALLSIGN, STATION_CALLSIGN or OPERATOR): give "
              "--call\n");
    EXPECT_NE(run.out.find("\tContestant:  \n"), std::string::npos) << run.out;
    EXPECT_EQ(torv({"score", "log.adi", "--call", "PY2ZZ"}).err, "");
}

const char* const kTwoGoodOneBad =
    "START-OF-LOG: 3.0\n"
    "CALLSIGN: PY2ZZ\n"
    "QSO:  7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 YL\n"
    "QSO:  7026 CW 2015-09-12 12:15 PY2ZZ 599 SP PY1AB 599 QRP\n"
    "QSO:  7027 CW 2015-09-12 1216 PY2ZZ 599 SP PY1AC 599 SP\n"
    "END-OF-LOG:\n";

TEST_F(TorvProgram, ABadRecordIsSkippedNamedAndMakesTheExitCodeOne) {
    writeFile(folder.file("log.cbr"), kTwoGoodOneBad);
    const ProgramRun run = torv({"score", "log.cbr"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "torv: log.cbr: line 4, record 2: skipped: time \"12:15\" is not a time of day (HHMM)\n");
    EXPECT_NE(run.out.find("40m\t 2\t 8\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Score: 8*1 = 8\n"), std::string::npos) << run.out;
}

TEST_F(TorvProgram, StrictStopsAtTheFirstBadRecord) {
    writeFile(folder.file("log.cbr"), kTwoGoodOneBad);
    const ProgramRun run = torv({"score", "log.cbr", "--strict", "--cabrillo", "out.cbr"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "torv: log.cbr: line 4, record 2: skipped: time \"12:15\" is not a time of day (HHMM)\n"
              "torv: log.cbr: stopped at the first record that cannot be read (--strict)\n");
    EXPECT_FALSE(fileExists(folder.file("out.cbr")));
}

// The plug-in scores every contact; torv says what a committee would not count.
TEST_F(TorvProgram, ScoreCountsContactsOutsideThePeriodAndTheContestBands) {
    writeFile(folder.file("log.cbr"),
              "START-OF-LOG: 3.0\nCALLSIGN: PY2ZZ\n"
              "QSO:  7025 CW 2026-03-14 1159 PY2ZZ 599 SP PY1AA 599 RJ\n"
              "QSO:  7025 CW 2026-03-14 1200 PY2ZZ 599 SP PY1AB 599 RJ\n"
              "QSO:  7025 CW 2026-03-14 2359 PY2ZZ 599 SP PY1AC 599 RJ\n"
              "QSO:  7025 CW 2026-03-15 0000 PY2ZZ 599 SP PY1AD 599 RJ\n"
              "QSO: 50100 CW 2026-03-14 1300 PY2ZZ 599 SP PY1AE 599 RJ\n"
              "QSO:     0 CW 2026-03-14 1301 PY2ZZ 599 SP PY1AF 599 RJ\n"
              "QSO: 10120 CW 2026-03-14 1302 PY2ZZ 599 SP PY1AG 599 RJ\n"
              "END-OF-LOG:\n");
    // A date alone as the end is the whole day.
    const ProgramRun run = torv({"score", "log.cbr", "--start", "2026-03-14T12:00", "--end", "2026-03-14"});
    EXPECT_EQ(run.exitCode, 0);
    const std::string noBand = "torv: log.cbr: line 8, record 6: warning: no frequency (0): the contact has no band\n";
    EXPECT_EQ(run.err,
              noBand +
                  "torv: log.cbr: 2 contacts outside the contest period: scored here, not counted by torv check\n"
                  "torv: log.cbr: 2 contacts on no contest band (80, 40, 20, 15, 10 m): scored here, refused by torv "
                  "check\n");
    const ProgramRun json = torv({"score", "log.cbr", "--json"});
    EXPECT_NE(json.out.find("\n  \"outsidePeriod\": 0,\n  \"offContestBands\": 2\n}\n"), std::string::npos) << json.out;
    EXPECT_EQ(json.err, noBand +
                            "torv: log.cbr: 2 contacts on no contest band (80, 40, 20, 15, 10 m): scored here, refused "
                            "by torv check\n");
}

TEST_F(TorvProgram, JsonInsteadOfTheSummary) {
    writeFile(folder.file("log.cbr"), kTwoGoodOneBad);
    const ProgramRun run = torv({"score", "log.cbr", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.substr(0, 2), "{\n");
    EXPECT_NE(run.out.find("\"format\": \"Cabrillo\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"skippedRecords\": 1,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"score\": 8,"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
}

struct InputProblem {
    const char* description;
    std::vector<std::string> arguments;
    std::string file;  // written as "in.log" when not empty
    std::string err;
};

class TorvInputProblem : public TorvProgram, public ::testing::WithParamInterface<InputProblem> {};

TEST_P(TorvInputProblem, SaysWhichAndWhyWithExitCodeOne) {
    if (!GetParam().file.empty()) {
        writeFile(folder.file("in.log"), GetParam().file);
    }
    const ProgramRun run = torv(GetParam().arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, TorvInputProblem,
    ::testing::Values(
        InputProblem{"a missing log",
                     {"score", "missing.adi"},
                     "",
                     "torv: cannot read missing.adi: No such file or directory\n"},
        InputProblem{"a folder as the log", {"score", "."}, "", "torv: cannot read .: Is a directory\n"},
        InputProblem{"an empty log", {"score", "in.log"}, " \r\n", "torv: in.log: empty\n"},
        InputProblem{"ADX",
                     {"score", "in.log"},
                     "<?xml version=\"1.0\"?>\n<ADX></ADX>\n",
                     "torv: in.log: this is ADX, the XML form of ADIF, which is not read: export the log as ADIF "
                     "(.adi) or Cabrillo\n"},
        InputProblem{"an ADIF header without its end",
                     {"score", "in.log"},
                     "made up\n<CALL:5>PY1AA<EOR>\n",
                     "torv: in.log: ADIF: line 1, header: no <EOH> ends the header text (a file without a header "
                     "starts with '<')\n"},
        InputProblem{"a file that is no log",
                     {"score", "in.log"},
                     "call,date\nPY1AA,2015-09-12\n",
                     "torv: in.log: not a contest log (neither ADIF nor Cabrillo)\n"},
        InputProblem{"an empty file", {"score", "in.log"}, "\r\n", "torv: in.log: empty\n"},
        InputProblem{"a missing settings file",
                     {"score", "in.log", "--settings", "none.ini"},
                     "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>1200<BAND:3>40m<EOR>",
                     "torv: cannot read none.ini: No such file or directory\n"}),
    [](const ::testing::TestParamInfo<InputProblem>& testCase) { return testName(testCase.param.description); });

TEST_F(TorvProgram, AnUnwritableOutputIsAnInputProblem) {
    const ProgramRun run = torv({"score", sample(), "--cabrillo", "no/such/folder/log.cbr"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, goldenSummaryLine()) << "the summary comes first";
    EXPECT_EQ(run.err, "torv: cannot write no/such/folder/log.cbr: No such file or directory\n");
}

// A command line, its exit code, the first line it writes on standard
// error ("" for none) and a text its standard output holds.
struct Usage {
    const char* description;
    std::vector<std::string> arguments;
    int exitCode;
    std::string firstErrorLine;
    std::string inOutput = "";
};

class TorvUsage : public TorvProgram, public ::testing::WithParamInterface<Usage> {};

TEST_P(TorvUsage, ExitCodeAndFirstMessage) {
    const ProgramRun run = torv(GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.out << run.err;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), GetParam().firstErrorLine) << run.err;
    EXPECT_NE(run.out.find(GetParam().inOutput), std::string::npos) << run.out;
    // Every line of standard error is a message of torv's.
    for (size_t line = 0; line < run.err.size(); line = run.err.find('\n', line) + 1) {
        EXPECT_EQ(run.err.compare(line, 6, "torv: "), 0) << run.err;
    }
}

const std::string kScoreHelp = "torv score --help tells more";
const std::string kCheckHelp = "torv check --help tells more";

INSTANTIATE_TEST_SUITE_P(
    Table, TorvUsage,
    ::testing::Values(
        Usage{"no command", {}, 0, "", "Subcommands:\n  score "},
        Usage{"no command but an option", {"--json"}, 2, "torv: a command is needed: score, check and categories"},
        Usage{"no log", {"score"}, 2, "torv: LOG is required"},
        Usage{"an unknown option", {"score", "x.adi", "--colour"}, 2, "torv: torv score has no option --colour"},
        Usage{"two logs to score", {"score", "x.adi", "y.adi"}, 2, "torv: torv score takes no more arguments: y.adi"},
        Usage{"a bad start date",
              {"score", "x.adi", "--start", "12.09.2015"},
              2,
              "torv: --start takes a date, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), e.g. --start 2026-03-14T12:00"},
        Usage{"a bad end time",
              {"score", "x.adi", "--end", "2015-09-12T24:00"},
              2,
              "torv: --end takes a date, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), e.g. --end 2026-03-14T12:00"},
        Usage{"an option without its value", {"score", "x.adi", "--end"}, 2, "torv: --end needs a value"},
        Usage{"help", {"--help"}, 0, "", "\nExit codes:\n  0    done\n"},
        Usage{"help of score", {"score", "--help"}, 0, "", "--cabrillo"},
        Usage{"exit codes of score", {"score", "--help"}, 0, "", "\nExit codes:\n  0    everything read and written\n"},
        Usage{"version", {"--version"}, 0, "", "torv " TORV_VERSION},
        Usage{"version, short", {"-V"}, 0, "", "torv " TORV_VERSION},
        Usage{"help as a command", {"help"}, 0, "", "score"},
        Usage{"help of a command", {"help", "check"}, 0, "", "--uniques"},
        Usage{"an unknown command",
              {"bogus"},
              2,
              "torv: unknown command \"bogus\": the commands are score, check and categories (torv --help tells more)"},
        Usage{"a call with a blank inside",
              {"score", "x.adi", "--call", "PY2 ZZ"},
              2,
              "torv: --call takes a call of letters, digits and '/', e.g. --call PY2ZZ"},
        Usage{"a call with other characters",
              {"score", "x.adi", "--call", "PY2ZZ;"},
              2,
              "torv: --call takes a call of letters, digits and '/', e.g. --call PY2ZZ"},
        Usage{"an empty call",
              {"score", "x.adi", "--call", " "},
              2,
              "torv: --call takes a call of letters, digits and '/', e.g. --call PY2ZZ"},
        Usage{"a missing log to score", {"score", "x.adi"}, 1, "torv: cannot read x.adi: No such file or directory"}),
    [](const ::testing::TestParamInfo<Usage>& testCase) { return testName(testCase.param.description); });

// torv check as a committee runs it. Its files are held against golden
// files by check_golden_test.sh; here the exit codes and messages.
INSTANTIATE_TEST_SUITE_P(
    CheckTable, TorvUsage,
    ::testing::Values(
        Usage{"check without logs", {"check", "--out", "o"}, 2, "torv: LOGS is required"},
        Usage{"check without a folder", {"check", "x.cbr"}, 2, "torv: --out is required"},
        Usage{"check into an empty folder name",
              {"check", "x.cbr", "--out", ""},
              2,
              "torv: --out takes a folder, e.g. --out results"},
        Usage{"uniques neither count nor remove",
              {"check", "x.cbr", "--out", "o", "--uniques", "drop"},
              2,
              "torv: --uniques takes count or remove, e.g. --uniques remove"},
        Usage{"a window with its unit",
              {"check", "x.cbr", "--out", "o", "--window", "10m"},
              2,
              "torv: --window takes whole minutes from 0 to 1440, e.g. --window 10"},
        Usage{"a negative window",
              {"check", "x.cbr", "--out", "o", "--window", "-1"},
              2,
              "torv: --window takes whole minutes from 0 to 1440, e.g. --window 10"},
        Usage{"a window past a day",
              {"check", "x.cbr", "--out", "o", "--window", "1441"},
              2,
              "torv: --window takes whole minutes from 0 to 1440, e.g. --window 10"},
        Usage{"a negative penalty",
              {"check", "x.cbr", "--out", "o", "--penalty", "-2"},
              2,
              "torv: --penalty takes a whole number from 0 to 1000, e.g. --penalty 1"},
        Usage{"a fractional penalty",
              {"check", "x.cbr", "--out", "o", "--penalty", "1.5"},
              2,
              "torv: --penalty takes a whole number from 0 to 1000, e.g. --penalty 1"},
        Usage{"a bad check date",
              {"check", "x.cbr", "--out", "o", "--start", "14.03.2026"},
              2,
              "torv: --start takes a date, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), e.g. --start 2026-03-14T12:00"},
        Usage{"a check that ends before it starts",
              {"check", "x.cbr", "--out", "o", "--start", "2026-03-14T12:00", "--end", "2026-03-14T11:59"},
              2,
              "torv: --end: the contest ends (2026-03-14T11:59) before it starts (2026-03-14T12:00)"},
        Usage{"a score that ends the day before",
              {"score", "x.cbr", "--start", "2026-03-14", "--end", "2026-03-13"},
              2,
              "torv: --end: the contest ends (2026-03-13) before it starts (2026-03-14)"},
        Usage{"a language not written",
              {"check", "x.cbr", "--out", "o", "--lang", "es"},
              2,
              "torv: --lang takes en or pt (or en-US, pt-BR), e.g. --lang pt"},
        Usage{"an unknown option of check",
              {"check", "x.cbr", "--out", "o", "--colour"},
              2,
              "torv: torv check has no option --colour"},
        Usage{"logs that are not there", {"check", "x.cbr", "--out", "o"}, 2, "torv: no such file or folder: x.cbr"},
        Usage{"results among the logs",
              {"check", ".", "--out", "o"},
              2,
              "torv: --out o is in ., a folder of logs: the results go into a folder of their own, outside it"},
        Usage{"help of check", {"check", "--help"}, 0, "", "--categories"},
        Usage{"exit codes of check",
              {"check", "--help"},
              0,
              "",
              "\n  130  interrupted (Ctrl-C): the results in DIR are unchanged\n"}),
    [](const ::testing::TestParamInfo<Usage>& testCase) { return testName(testCase.param.description); });

// --lang takes the pages' own names of their languages, letter case aside.
TEST_F(TorvProgram, CheckTakesTheLanguagesByTheirTags) {
    for (const char* lang : {"en", "EN", "en-US", "en-us", "pt", "PT", "pt-BR", "pt-br", "Pt-Br"}) {
        SCOPED_TRACE(lang);
        const ProgramRun run = torv({"check", sample(), "--out", "out", "--lang", lang});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const bool portuguese = (lang[0] | 0x20) == 'p';
        EXPECT_NE(
            readFile(folder.file("out/results.html")).find(portuguese ? "<html lang=\"pt-BR\">" : "<html lang=\"en\">"),
            std::string::npos);
    }
}

TEST_F(TorvProgram, CheckOfALogThatIsNotThereIsAUsageErrorAndWritesNothing) {
    const ProgramRun run = torv({"check", "absent.cbr", sample(), "--out", "checked"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no such file or folder: absent.cbr"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fileExists(folder.file("checked")));
}

// An ADIF log with neither FREQ nor, on some records, one RST or both: the Cabrillo
// file torv writes of it reads back to the same contacts.
TEST_F(TorvProgram, ItsOwnCabrilloOfABandOnlyLogReadsBack) {
    std::string adif;
    const char* const areas[] = {"RJ", "MG", "BA", "PR", "RS", "SC", "GO"};
    for (int i = 0; i < 7; ++i) {
        adif += "<CALL:5>PY1A" + std::string(1, static_cast<char>('A' + i)) + "<QSO_DATE:8>20150912<TIME_ON:4>120" +
                std::to_string(i) + "<BAND:3>40M<MODE:2>CW" +
                (i % 3 == 0 ? std::string() : std::string("<RST_RCVD:3>599")) +
                (i % 3 == 0 || i == 4 ? std::string() : std::string("<RST_SENT:3>599")) +
                "<STX_STRING:2>SP<SRX_STRING:2>" + areas[i] + "<STATION_CALLSIGN:5>PY2ZZ<EOR>\n";
    }
    writeFile(folder.file("log.adi"), adif);
    const ProgramRun first = torv({"score", "log.adi", "--cabrillo", "log.cbr", "--errors", "first.txt"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string cabrillo = readFile(folder.file("log.cbr"));
    EXPECT_NE(cabrillo.find("\r\nQSO:  7000 CW 2015-09-12 1200 PY2ZZ             SP     PY1AA             RJ\r\n"),
              std::string::npos)
        << cabrillo;
    const ProgramRun again = torv({"score", "log.cbr", "--errors", "again.txt"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(readFile(folder.file("again.txt")), readFile(folder.file("first.txt")));
}

TEST_F(TorvProgram, AUtf16CabrilloScoresAsItsUtf8) {
    const std::string utf8 = readFile(testDataPath("golden/sample.cbr"));
    std::string utf16 = "\xFF\xFE";
    for (char c : utf8) {
        utf16 += c;
        utf16 += '\0';
    }
    writeFile(folder.file("utf16.cbr"), utf16);
    const ProgramRun run = torv({"score", "utf16.cbr"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, goldenSummaryLine());
}

TEST_F(TorvProgram, MessagesStopAtTwentyPerFile) {
    std::string log = "START-OF-LOG: 3.0\nCALLSIGN: PY2ZZ\n";
    for (int i = 0; i < 25; ++i) {
        log += "QSO: 7025 CW 2015-09-12 24" + std::to_string(i + 10) + " PY2ZZ 599 SP PY1AA 599 RJ\n";
    }
    writeFile(folder.file("log.cbr"), log);
    const ProgramRun run = torv({"score", "log.cbr"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 21) << run.err;
    EXPECT_NE(run.err.find("torv: log.cbr: line 22, record 20: skipped: time \"2429\" is not a time of day"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("\ntorv: log.cbr: 5 more problems not shown (at most 20 per file)\n"), std::string::npos)
        << run.err;
}

TEST_F(TorvProgram, CheckReportsALinkToNothingInAFolder) {
    std::filesystem::create_directory(folder.file("logs"));
    std::filesystem::copy_file(sample(), folder.file("logs/PY2ZZ.adi"));
    std::filesystem::create_symlink("../deleted.cbr", folder.file("logs/gone.cbr"));
    const ProgramRun run = torv({"check", "logs", "--out", "checked"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("torv: logs/gone.cbr: cannot read logs/gone.cbr: a link to ../deleted.cbr, which does "
                           "not exist; left out\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.rfind("1 logs, 600 QSO lines: ", 0), 0u) << run.out;
}

// Every file under a folder, by its path there, with its bytes.
std::map<std::string, std::string> filesUnder(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(root).generic_string()] = readFile(entry.path().string());
        }
    }
    return files;
}

// A file named twice (by two paths, directly and through its folder, by a
// link) is one log, read once and checked once, by its first path: the
// same files as when it is named once, and no word of a replacement. A
// copy is another file, which one log of the call replaces.
TEST_F(TorvProgram, CheckReadsAFileNamedTwiceOnce) {
    std::filesystem::create_directory(folder.file("logs"));
    std::filesystem::create_directory(folder.file("other"));
    std::filesystem::copy_file(sample(), folder.file("logs/a.adi"));
    std::filesystem::create_hard_link(folder.file("logs/a.adi"), folder.file("other/hard.adi"));
    std::filesystem::create_symlink("../logs/a.adi", folder.file("other/soft.adi"));
    std::filesystem::copy_file(sample(), folder.file("other/copy.adi"));
    ASSERT_EQ(torv({"check", "logs/a.adi", "--out", "once"}).exitCode, 0);
    const std::map<std::string, std::string> once = filesUnder(folder.file("once"));
    struct Case {
        const char* what;
        std::vector<std::string> logs;
        bool replaced;
    };
    const Case cases[] = {
        {"the same path twice", {"logs/a.adi", "logs/a.adi"}, false},
        {"two spellings", {"logs/a.adi", "./logs/../logs/a.adi"}, false},
        {"its folder, then itself", {"logs", "logs/a.adi"}, false},
        {"itself, then its folder", {"logs/a.adi", "logs"}, false},
        {"a hard link", {"logs/a.adi", "other/hard.adi"}, false},
        {"a symbolic link", {"logs/a.adi", "other/soft.adi"}, false},
        {"a copy", {"logs/a.adi", "other/copy.adi"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder.file("twice"));
        std::vector<std::string> arguments = {"check"};
        arguments.insert(arguments.end(), c.logs.begin(), c.logs.end());
        arguments.insert(arguments.end(), {"--out", "twice"});
        const ProgramRun run = torv(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out.rfind("1 logs, 600 QSO lines: ", 0), 0u) << run.out;
        EXPECT_EQ(run.err.find("replaced") != std::string::npos || run.err.find("left out") != std::string::npos,
                  c.replaced)
            << run.err;
        if (!c.replaced) {
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(filesUnder(folder.file("twice")), once);
        }
    }
}

// The committee's categories file is read before anything is checked: one
// that cannot be read or has no header line is a usage error, and nothing
// is written; a bad line is told with its number and left aside.
TEST_F(TorvProgram, CheckTakesTheCommitteesCategories) {
    struct Case {
        const char* file;  // nullptr: no such file
        int exitCode;
        const char* told;
    };
    const Case cases[] = {
        {nullptr, 2, "--categories: cannot read cats.csv"},
        {"PY2ZZ,YL,ALL,LOW,CW\n", 2, "cats.csv: its first line is not the header call,operator,band,power,mode"},
        {"call,operator,band,power,mode\nPY2ZZ,YL,,,\nPY9XX,QRP,,,\nPY2ZZ,YL,ALL,HUGE,\n", 1,
         "torv: cats.csv: line 3: no log of PY9XX was checked\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(folder.file("checked"));
        std::filesystem::remove(folder.file("cats.csv"));
        if (c.file != nullptr) {
            writeFile(folder.file("cats.csv"), c.file);
        }
        const ProgramRun run = torv({"check", sample(), "--out", "checked", "--categories", "cats.csv"});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.told), std::string::npos) << run.err;
        EXPECT_EQ(fileExists(folder.file("checked")), c.exitCode == 1);
    }
    const std::string results = readFile(folder.file("checked/results.txt"));
    EXPECT_NE(results.find("\nYL\n"), std::string::npos) << results;
    const std::string committee = readFile(folder.file("checked/committee.html"));
    EXPECT_NE(committee.find("<li>cats.csv: line 4: power &quot;HUGE&quot; is not one of the contest's (HIGH, LOW, "
                             "QRP); left aside</li>"),
              std::string::npos)
        << committee;
}

// The committee's decisions file: one that cannot be read, is over 1 MB or
// has no header line is a usage error and nothing is written; a bad row is
// told with its line number and left aside; a decision sets its line's
// status in qsos.csv.
TEST_F(TorvProgram, CheckTakesTheCommitteesDecisions) {
    ASSERT_EQ(torv({"check", sample(), "--out", "checked"}).exitCode, 0);
    const std::string before = readFile(folder.file("checked/qsos.csv"));
    const size_t second = before.find('\n') + 1;
    const std::string row = before.substr(second, before.find('\n', second) - second);
    const std::string callAndLine = row.substr(0, row.find(',', row.find(',') + 1));
    struct Case {
        std::string file;  // "": no such file
        int exitCode;
        std::string told;
    };
    const Case cases[] = {
        {"", 2, "--overrides: cannot read dec.csv"},
        {callAndLine + ",REFUSED,x\n", 2, "dec.csv: its first line is not the header call,line,status,note"},
        {"call,line,status,note\n" + std::string(1 << 20, ' '), 2, "--overrides"},
        {"call,line,status,note\nPY9XX,1,NIL,x\n" + callAndLine + ",GONE,x\n", 1,
         "torv: dec.csv: line 2: no log of PY9XX was checked; left aside\n"},
        {"call,line,status,note\n" + callAndLine + ",REFUSED,\"a second radio, said the entrant\"\n", 0, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(folder.file("checked"));
        std::filesystem::remove(folder.file("dec.csv"));
        if (!c.file.empty()) {
            writeFile(folder.file("dec.csv"), c.file);
        }
        const ProgramRun run = torv({"check", sample(), "--out", "checked", "--overrides", "dec.csv"});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.told), std::string::npos) << run.err;
        EXPECT_EQ(fileExists(folder.file("checked")), c.exitCode != 2);
    }
    const std::string qsos = readFile(folder.file("checked/qsos.csv"));
    EXPECT_NE(qsos.find(callAndLine + ",REFUSED,,\"decided by the committee: a second radio, said the entrant\"\n"),
              std::string::npos)
        << qsos.substr(0, 400);
    const std::string committee = readFile(folder.file("checked/committee.html"));
    EXPECT_NE(committee.find(", said the entrant</li>"), std::string::npos);
}

// In Portuguese: the pages, results.txt and the UBN reports; the data files
// as in English.
TEST_F(TorvProgram, CheckInPortuguese) {
    ASSERT_EQ(torv({"check", sample(), "--out", "en"}).exitCode, 0);
    const ProgramRun run = torv({"check", sample(), "--out", "pt", "--lang", "pt"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("1 logs, 600 QSO lines: ", 0), 0u) << run.out;
    for (const char* file : {"qsos.csv", "results.csv"}) {
        EXPECT_EQ(readFile(folder.file(std::string("pt/") + file)), readFile(folder.file(std::string("en/") + file)))
            << file;
    }
    const struct {
        const char* file;
        const char* portuguese;
    } pages[] = {
        {"pt/results.html", "<html lang=\"pt-BR\">"},
        {"pt/committee.html", "<h2>Logs que merecem aten\xC3\xA7\xC3\xA3o</h2>"},
        {"pt/results.txt", "resultados verificados\n"},
        {"pt/ubn/PY2ZZ.txt", "relat\xC3\xB3rio UBN de PY2ZZ\n"},
        {"pt/ubn/PY2ZZ.html", "<h1>TORV 2015: relat\xC3\xB3rio UBN de PY2ZZ</h1>"},
    };
    for (const auto& page : pages) {
        EXPECT_NE(readFile(folder.file(page.file)).find(page.portuguese), std::string::npos) << page.file;
    }
}

TEST_F(TorvProgram, CheckCannotWriteItsFolder) {
    writeFile(folder.file("taken"), "a file where the folder should go");
    const ProgramRun run = torv({"check", sample(), "--out", "taken"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("torv: cannot make the folder taken/ubn: ", 0), 0u) << run.err;
}

}  // namespace
