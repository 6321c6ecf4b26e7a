// torv check publishes all or nothing: an interruption (SIGINT, SIGTERM,
// even when started with SIGINT ignored) or a file that cannot be written
// leaves the old results as they were and no temporary behind; a killed
// run's temporaries go with the next run; the results never go among the
// logs, and a folder inside a folder of logs is named, not read.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/files.h"
#include "support/test_names.h"
#include "torv_program.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr milliseconds kGenerous{60000};

// Every file under a folder, by its path there, with its bytes.
std::map<std::string, std::string> filesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() || entry.is_fifo()) {
            files[entry.path().lexically_relative(root).generic_string()] =
                entry.is_regular_file() ? readFile(entry.path().string()) : "(a pipe)";
        }
    }
    return files;
}

class TorvPublish : public TorvProgram {
protected:
    // The English results of the sample in out/, as a run before leaves them.
    std::map<std::string, std::string> earlierResults() {
        EXPECT_EQ(torv({"check", sample(), "--out", "out"}).exitCode, 0);
        return filesUnder(folder.path() / "out");
    }

    // torv check of the sample into out/, in Portuguese (other bytes than
    // the earlier run's), started and not waited for.
    pid_t startCheck(bool ignoreInterrupt) {
        ChildStreams streams;
        streams.folder = folder.path().string();
        streams.out = folder.file("out.txt");
        streams.err = folder.file("err.txt");
        streams.ignoreInterrupt = ignoreInterrupt;
        return startChild({TORV_PROGRAM, "check", sample(), "--out", "out", "--lang", "pt"}, streams);
    }
};

// A pipe where qsos.csv's temporary goes holds the run while it writes:
// the signal comes then, and the pipe is emptied so that the run goes on
// to stop.
struct Interruption {
    const char* description;
    int signal;
    bool ignoredAtStart;
};

class TorvInterrupted : public TorvPublish, public ::testing::WithParamInterface<Interruption> {};

TEST_P(TorvInterrupted, WhileWritingLeavesTheOldResults) {
    const std::map<std::string, std::string> before = earlierResults();
    const std::string pipe = folder.file("out/.qsos.csv.partial");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    fcntl(reader, F_SETPIPE_SZ, 4096);  // qsos.csv fills it: the writer waits
    const pid_t child = startCheck(GetParam().ignoredAtStart);
    ASSERT_GT(child, 0);
    pollfd ready{reader, POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, static_cast<int>(kGenerous.count())), 1) << "torv never wrote";
    kill(child, GetParam().signal);
    // Emptied to its end: the run closes it and stops.
    char buffer[65536];
    for (;;) {
        pollfd more{reader, POLLIN, 0};
        ASSERT_EQ(poll(&more, 1, static_cast<int>(kGenerous.count())), 1);
        if (read(reader, buffer, sizeof buffer) <= 0 && (more.revents & POLLHUP) != 0) {
            break;
        }
    }
    close(reader);
    const ChildExit exit = waitForChild(child, kGenerous);
    ASSERT_TRUE(exit.ran);
    EXPECT_EQ(exit.exitCode, 130);
    EXPECT_EQ(readFile(folder.file("err.txt")), "torv: interrupted: the results in out are unchanged\n");
    EXPECT_EQ(readFile(folder.file("out.txt")), "");
    EXPECT_EQ(filesUnder(folder.path() / "out"), before) << "the old results, and no temporary";
}

INSTANTIATE_TEST_SUITE_P(Table, TorvInterrupted,
                         ::testing::Values(Interruption{"SIGINT", SIGINT, false},
                                           Interruption{"SIGTERM", SIGTERM, false},
                                           Interruption{"SIGINT in a background job", SIGINT, true}),
                         [](const ::testing::TestParamInfo<Interruption>& testCase) {
                             return testName(testCase.param.description);
                         });

// Before anything is written (here while a log is read from a pipe), an
// interruption ends the run at once: nothing is written.
TEST_F(TorvPublish, AnInterruptionWhileReadingWritesNothing) {
    const std::string pipe = folder.file("log.cbr");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ChildStreams streams;
    streams.folder = folder.path().string();
    streams.err = folder.file("err.txt");
    const pid_t child = startChild({TORV_PROGRAM, "check", "log.cbr", "--out", "out"}, streams);
    ASSERT_GT(child, 0);
    // The pipe opens for writing once torv opens it to read.
    int writer = -1;
    for (const auto start = std::chrono::steady_clock::now();
         writer < 0 && std::chrono::steady_clock::now() - start < kGenerous;) {
        writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer < 0) {
            std::this_thread::sleep_for(milliseconds(5));
        }
    }
    ASSERT_GE(writer, 0) << "torv never read the log";
    kill(child, SIGINT);
    const ChildExit exit = waitForChild(child, kGenerous);
    close(writer);
    ASSERT_TRUE(exit.ran);
    EXPECT_EQ(exit.exitCode, 130);
    EXPECT_EQ(readFile(folder.file("err.txt")), "torv: interrupted: the results in out are unchanged\n");
    EXPECT_FALSE(fs::exists(folder.path() / "out"));
}

// One file that cannot be made or take its place: none does.
struct Obstacle {
    const char* description;
    std::string folder;  // made inside out/
    std::string told;    // the first line on standard error
};

class TorvObstacle : public TorvPublish, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(TorvObstacle, ARunThatCannotWriteOneFileWritesNone) {
    std::map<std::string, std::string> before = earlierResults();
    fs::remove(folder.path() / "out" / GetParam().folder);
    before.erase(GetParam().folder);
    fs::create_directories(folder.path() / "out" / GetParam().folder / "inside");
    const ProgramRun run = torv({"check", sample(), "--out", "out", "--lang", "pt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, GetParam().told + "\ntorv: the results in out are unchanged\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(filesUnder(folder.path() / "out"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TorvObstacle,
    ::testing::Values(Obstacle{"a folder in a file's place", "results.txt",
                               "torv: cannot write out/results.txt: a folder is in its place"},
                      Obstacle{"a folder in a temporary's place", ".results.txt.partial",
                               "torv: cannot write out/results.txt: Is a directory"},
                      Obstacle{"a folder in the list's place", "torv-check-files.txt",
                               "torv: cannot write out/torv-check-files.txt: a folder is in its place"}),
    [](const ::testing::TestParamInfo<Obstacle>& testCase) { return testName(testCase.param.description); });

// A killed run's temporaries of outputs go; other hidden files stay.
TEST_F(TorvPublish, TheNextRunRemovesAKilledRunsTemporaries) {
    fs::create_directories(folder.path() / "out/ubn");
    for (const char* name :
         {"out/.qsos.csv.partial", "out/.torv-check-files.txt.partial", "out/ubn/.PY2ZZ.html.partial",
          "out/ubn/.WITHDRAWN.txt.partial", "out/.notes.txt.partial", "out/ubn/.py2zz.txt.partial"}) {
        writeFile(folder.file(name), "left by a killed run");
    }
    ASSERT_EQ(torv({"check", sample(), "--out", "out"}).exitCode, 0);
    std::vector<std::string> hidden;
    for (const auto& [name, bytes] : filesUnder(folder.path() / "out")) {
        if (fs::path(name).filename().string()[0] == '.') {
            hidden.push_back(name);
        }
    }
    EXPECT_EQ(hidden, (std::vector<std::string>{".notes.txt.partial", "ubn/.py2zz.txt.partial"}));
}

// The folders a run made go again when it publishes nothing.
TEST_F(TorvPublish, ARunThatPublishesNothingLeavesNoFolder) {
    fs::create_directories(folder.path() / "out/.results.txt.partial/inside");
    const ProgramRun run = torv({"check", sample(), "--out", "out"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(fs::exists(folder.path() / "out/ubn"));
    EXPECT_TRUE(fs::exists(folder.path() / "out/.results.txt.partial/inside"));
}

// --out in a folder of logs, by any path, is refused before anything is
// read or written.
TEST_F(TorvPublish, TheResultsNeverGoAmongTheLogs) {
    fs::create_directories(folder.path() / "logs/old");
    fs::create_directories(folder.path() / "elsewhere");
    writeFile(folder.file("logs/PY2ZZ.adi"), readFile(sample()));
    fs::create_directory_symlink("../logs", folder.path() / "elsewhere/link");
    fs::create_directory_symlink("logs", folder.path() / "alias");
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
        std::string folder;  // the folder of logs named
    };
    const Case cases[] = {
        {{"logs"}, "logs", "logs"},
        {{"logs/"}, "logs/", "logs/"},
        {{"logs"}, "./logs/../logs", "logs"},
        {{"logs"}, "logs/results", "logs"},
        {{"logs"}, "logs/old/results", "logs"},
        {{"logs"}, "elsewhere/link", "logs"},
        {{"logs"}, "elsewhere/link/new/results", "logs"},
        {{"alias"}, "logs/results", "alias"},
        {{sample(), "logs"}, "logs", "logs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        std::vector<std::string> arguments = {"check"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"--out", c.out});
        const ProgramRun run = torv(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, "torv: --out " + c.out + " is in " + c.folder +
                               ", a folder of logs: the results go into a folder of their own, outside it\n");
        EXPECT_EQ(filesUnder(folder.path() / "logs").size(), 1u);
        EXPECT_FALSE(fs::exists(folder.path() / "logs/results"));
    }
    // Beside the logs, or a file of the folder given alone: fine.
    EXPECT_EQ(torv({"check", "logs/PY2ZZ.adi", "--out", "logs/results"}).exitCode, 0);
    EXPECT_EQ(torv({"check", "logs/old", "--out", "logs/results"}).exitCode, 1) << "no log in old/";
    EXPECT_EQ(torv({"check", "logs/old", "--out", "logsresults"}).exitCode, 1) << "a name that only begins alike";
}

// A folder inside a folder of logs is named, on standard error and on the
// committee's page, and is no input problem.
TEST_F(TorvPublish, AFolderInsideTheLogsIsNamedNotRead) {
    fs::create_directories(folder.path() / "logs/late");
    fs::create_directories(folder.path() / "logs/.hidden");
    writeFile(folder.file("logs/PY2ZZ.adi"), readFile(sample()));
    writeFile(folder.file("logs/late/PY9ZZZ.cbr"), "START-OF-LOG: 3.0\nCALLSIGN: PY9ZZZ\nEND-OF-LOG:\n");
    const ProgramRun run = torv({"check", "logs", "--out", "out"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "torv: not read: logs/late/ is a folder; give it as an argument to check it\n");
    EXPECT_EQ(run.out.rfind("1 logs, 600 QSO lines: ", 0), 0u) << run.out;
    EXPECT_NE(readFile(folder.file("out/committee.html"))
                  .find("<li>not read: logs/late/ is a folder; give it as an argument to check it</li>"),
              std::string::npos);
    ASSERT_EQ(torv({"check", "logs", "--out", "pt", "--lang", "pt"}).exitCode, 0);
    EXPECT_NE(readFile(folder.file("pt/committee.html"))
                  .find("<li>n\xC3\xA3o lida: logs/late/ \xC3\xA9 uma pasta; passe-a como argumento para "
                        "verific\xC3\xA1-la</li>"),
              std::string::npos);
}

}  // namespace
