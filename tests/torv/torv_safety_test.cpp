// What a submitted log or a careless command line must never do to the
// committee's machine: write outside --out, hold memory beyond the input,
// overwrite an input, leave a partial or stale file.
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/test_names.h"
#include "torv_program.h"

namespace {

namespace fs = std::filesystem;

std::string cabrilloLog(const std::string& callsign, const std::string& qsoLines) {
    return "START-OF-LOG: 3.0\r\nCALLSIGN: " + callsign + "\r\nCLAIMED-SCORE: 0\r\n" + qsoLines + "END-OF-LOG:\r\n";
}

const std::string kQso = "QSO:  7020 CW 2026-03-14 1200 PY9ZZZ        599 SP     PY2AAA        599 RJ\r\n";

std::string repeated(const std::string& line, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i) {
        text += line;
    }
    return text;
}

// Every file under the folder, relative to it.
std::set<std::string> filesUnder(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), root).generic_string());
        }
    }
    return files;
}

TEST_F(TorvProgram, CallsFromLogsMakeSafeNamesInsideTheOutputFolder) {
    const std::vector<std::pair<std::string, std::string>> calls = {
        {"..\\..\\EVIL", "EVIL"},
        {"../x", "_X"},
        {"..\\results", "RESULTS"},
        {"CON", "_CON"},
        {"com1", "_COM1"},
        {"NUL", "_NUL"},
        {"A/P", "A_P"},
        {"A_P", "A_P-2"},
        {"...", "NOCALL"},
        {"***", "NOCALL-2"},
        {"PY2\xC3\x87\xC3\x83O", "PY2O"},
        {"PY" + std::string(300, 'A'), "PY" + std::string(38, 'A')}};
    fs::create_directory(folder.path() / "logs");
    std::set<std::string> expected = {"qsos.csv",     "results.txt",    "results.csv",
                                      "results.html", "committee.html", "torv-check-files.txt"};
    for (size_t i = 0; i < calls.size(); ++i) {
        writeFile(folder.file("logs/" + std::to_string(i) + ".cbr"), cabrilloLog(calls[i].first, kQso));
        expected.insert("ubn/" + calls[i].second + ".txt");
        expected.insert("ubn/" + calls[i].second + ".html");
    }
    const ProgramRun checked = torv({"check", "logs", "--out", "out"});
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_EQ(filesUnder(folder.path() / "out"), expected);
    std::set<std::string> everything = filesUnder(folder.path());
    for (const std::string& file : everything) {
        EXPECT_TRUE(file.rfind("out/", 0) == 0 || file.rfind("logs/", 0) == 0 || file == "out.txt" ||
                    file == "err.txt" || file == "peak.txt")
            << file << " is outside --out";
    }
    const std::string page = readFile(folder.file("out/results.html"));
    for (const auto& [call, name] : calls) {
        EXPECT_NE(page.find("href=\"ubn/" + name + ".html\""), std::string::npos) << name;
    }
}

// 3,000 copies of one contact draw 4.5 million DUPE lines: counted, never
// held, so memory follows the input's size.
TEST_F(TorvProgram, ThousandsOfIdenticalContactsTakeLittleMemory) {
    writeFile(folder.file("twins.cbr"), cabrilloLog("PY9ZZZ", repeated(kQso, 3000)));
    const ProgramRun score = torv({"score", "twins.cbr", "--json"});
    EXPECT_EQ(score.exitCode, 0) << score.err;
    EXPECT_NE(score.out.find("\"dupe\": 4498500}"), std::string::npos) << score.out;
    EXPECT_LT(score.peakKilobytes, 200 * 1024);
    const ProgramRun check = torv({"check", "twins.cbr", sample(), "--out", "out"});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_LT(check.peakKilobytes, 200 * 1024);
    EXPECT_NE(
        readFile(folder.file("out/ubn/PY9ZZZ.txt")).find("\nDuplicate: the same station, band and mode again (2999)\n"),
        std::string::npos);
}

// n copies draw n(n-1)/2 lines: the file would pass 1 GB, so torv stops.
TEST_F(TorvProgram, FindingsThatWouldPassAGigabyteStop) {
    writeFile(folder.file("twins.cbr"), cabrilloLog("PY9ZZZ", repeated(kQso, 6000)));
    const ProgramRun run = torv({"score", "twins.cbr", "--errors", "-"}, false);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "torv: twins.cbr: the findings would pass 1 GB (a contact repeated n times draws n(n-1)/2 DUPE lines); "
              "stopped\n");
}

struct Clash {
    const char* description;
    std::vector<std::string> arguments;  // after "score log.adi"
    std::string err;                     // found in standard error
};

class OutputsAndInputs : public TorvProgram, public ::testing::WithParamInterface<Clash> {};

TEST_P(OutputsAndInputs, AClashIsAUsageErrorAndTheLogStaysAsItWas) {
    const std::string log = readFile(sample());
    writeFile(folder.file("log.adi"), log);
    writeFile(folder.file("TORV.ini"), "[Settings]\r\nName=Ana\r\n");
    ASSERT_EQ(symlink("log.adi", folder.file("link.adi").c_str()), 0);
    ASSERT_EQ(link(folder.file("log.adi").c_str(), folder.file("hard.adi").c_str()), 0);
    std::vector<std::string> arguments = {"score", "log.adi"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const ProgramRun run = torv(arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(GetParam().err), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(folder.file("log.adi")), log);
    EXPECT_EQ(readFile(folder.file("TORV.ini")), "[Settings]\r\nName=Ana\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutputsAndInputs,
    ::testing::Values(
        Clash{"errors over the log", {"--errors", "log.adi"}, "--errors log.adi is the log"},
        Clash{"cabrillo over the log by another name", {"--cabrillo", "./log.adi"}, "is the log"},
        Clash{"errors over a link to the log", {"--errors", "link.adi"}, "is the log"},
        Clash{"cabrillo over a hard link to the log", {"--cabrillo", "hard.adi"}, "is the log"},
        Clash{"cabrillo over the settings",
              {"--settings", "TORV.ini", "--cabrillo", "TORV.ini"},
              "is the --settings file"},
        Clash{"both outputs in one file", {"--errors", "x.txt", "--cabrillo", "./x.txt"}, "name the same file"},
        Clash{"both outputs on standard output", {"--errors", "-", "--cabrillo", "-"}, "cannot both go"},
        Clash{"an output beside the JSON", {"--json", "--cabrillo", "-"}, "beside --json"}),
    [](const ::testing::TestParamInfo<Clash>& testCase) { return testName(testCase.param.description); });

// A log where an output goes, in the folder or in its ubn folder (the log's
// own report, by its call), is never written over.
TEST_F(TorvProgram, CheckNeverWritesOverALog) {
    for (const std::string name : {"qsos.csv", "ubn/PY9ZZZ.txt"}) {
        SCOPED_TRACE(name);
        fs::remove_all(folder.path() / "out");
        fs::create_directories(folder.path() / "out/ubn");
        const std::string log = cabrilloLog("PY9ZZZ", kQso);
        writeFile(folder.file("out/" + name), log);
        const ProgramRun run = torv({"check", "out/" + name, sample(), "--out", "out"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("out/" + name + " is one of the logs"), std::string::npos) << run.err;
        EXPECT_EQ(readFile(folder.file("out/" + name)), log);
        EXPECT_EQ(filesUnder(folder.path() / "out"), std::set<std::string>{name});
    }
}

// What a run no longer writes goes; what no run of torv check listed stays.
TEST_F(TorvProgram, TheManifestRemovesStaleFilesAndNothingElse) {
    fs::create_directories(folder.path() / "logs");
    fs::create_directories(folder.path() / "out/ubn");
    writeFile(folder.file("logs/a.cbr"),
              cabrilloLog("PY2AAA", "QSO:  7020 CW 2026-03-14 1200 PY2AAA        599 SP     PY2BBB        599 RJ\r\n"));
    writeFile(folder.file("logs/sample.adi"), readFile(sample()));
    writeFile(folder.file("out/ubn/OLD.txt"), "from a run before the manifest");
    writeFile(folder.file("out/notes.txt"), "the committee's own");
    ASSERT_EQ(torv({"check", "logs", "--out", "out", "--json"}).exitCode, 0);
    EXPECT_TRUE(fileExists(folder.file("out/results.json")));

    fs::remove(folder.path() / "logs/a.cbr");
    ASSERT_EQ(torv({"check", "logs", "--out", "out"}).exitCode, 0);
    const std::set<std::string> second = {
        "qsos.csv",      "results.txt",    "results.csv", "results.html", "committee.html", "torv-check-files.txt",
        "ubn/PY2ZZ.txt", "ubn/PY2ZZ.html", "ubn/OLD.txt", "notes.txt"};
    EXPECT_EQ(filesUnder(folder.path() / "out"), second);
    EXPECT_EQ(readFile(folder.file("out/torv-check-files.txt")),
              "# written by torv check; the next run removes what it no longer writes\nqsos.csv\nubn/PY2ZZ.txt\n"
              "ubn/PY2ZZ.html\nresults.txt\nresults.csv\nresults.html\ncommittee.html\n");

    // A manifest names only files torv check writes, inside the folder.
    writeFile(folder.file("victim.txt"), "keep");
    writeFile(folder.file("out/torv-check-files.txt"),
              "../victim.txt\nubn/../../victim.txt\n" + folder.file("victim.txt") + "\nnotes.txt\n");
    ASSERT_EQ(torv({"check", "logs", "--out", "out"}).exitCode, 0);
    EXPECT_EQ(filesUnder(folder.path() / "out"), second);
    EXPECT_EQ(readFile(folder.file("victim.txt")), "keep");
}

// A file over 512 MB is refused before it is read (a sparse file: no disk).
TEST_F(TorvProgram, ALogOver512MegabytesIsRefused) {
    writeFile(folder.file("big.cbr"), "");
    ASSERT_EQ(truncate(folder.file("big.cbr").c_str(), (512LL << 20) + 1), 0);
    const ProgramRun score = torv({"score", "big.cbr"});
    EXPECT_EQ(score.exitCode, 1);
    EXPECT_EQ(score.err, "torv: cannot read big.cbr: it is over 512 MB\n");
    const ProgramRun check = torv({"check", "big.cbr", sample(), "--out", "out"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.err.find("torv: big.cbr: cannot read big.cbr: it is over 512 MB; left out\n"), std::string::npos);
    EXPECT_TRUE(fileExists(folder.file("out/ubn/PY2ZZ.txt")));
    EXPECT_LT(std::max(score.peakKilobytes, check.peakKilobytes), 100 * 1024);
}

struct SettingsCase {
    const char* description;
    std::string file;  // written as "TORV.ini"; "" makes it a folder
    int exitCode;
    std::string err;
};

class SettingsFile : public TorvProgram, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsFile, IsThePluginsOrRefused) {
    if (GetParam().file.empty()) {
        fs::create_directory(folder.path() / "TORV.ini");
    } else {
        writeFile(folder.file("TORV.ini"), GetParam().file);
    }
    const ProgramRun run = torv({"score", sample(), "--settings", "TORV.ini", "--cabrillo", "log.cbr"});
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(fileExists(folder.file("log.cbr")), GetParam().exitCode == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFile,
    ::testing::Values(SettingsCase{"a folder", "", 1, "torv: cannot read TORV.ini: Is a directory\n"},
                      SettingsCase{"NUL bytes", std::string("[Settings]\r\nName=A\0na\r\n", 23), 1,
                                   "torv: TORV.ini: not a settings file (it holds NUL bytes)\n"},
                      SettingsCase{"no Settings section", "Name=Ana\r\n[Other]\r\nName=Ana\r\n", 1,
                                   "torv: TORV.ini: not the plug-in's settings file (no [Settings] section)\n"},
                      SettingsCase{"UTF-16 with its mark", std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0", 22), 0,
                                   ""},
                      SettingsCase{"an empty Settings section", "[settings]\r\n", 0, ""}),
    [](const ::testing::TestParamInfo<SettingsCase>& testCase) { return testName(testCase.param.description); });

TEST_F(TorvProgram, TheExampleSettingsFileFillsTheHeader) {
    const ProgramRun run =
        torv({"score", sample(), "--cabrillo", "PY2ZZ.cbr", "--settings", testDataPath("../examples/TORV.ini")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string written = readFile(folder.file("PY2ZZ.cbr"));
    EXPECT_NE(written.find("\r\nLOCATION: SP\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\r\nNAME: Ana Silva\r\nADDRESS: Rua das Flores 100\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nSOAPBOX: Good conditions on 40 m.\r\nSOAPBOX: Thanks"), std::string::npos);
}

}  // namespace
