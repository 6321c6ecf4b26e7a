// contest-sim: writes a synthetic contest into a folder: every submitted log
// in logs/ (Cabrillo, some ADIF), "expected.csv" with what the cross-check
// must make of each QSO line given the contest period and the categories,
// "categories.csv" with the categories of the ADIF logs, "offsets.csv"
// with each log's clock error, and with --decisions "decisions.csv", the
// committee's decisions that expected.csv follows.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>

#include "contest_sim.h"
#include "io/file.h"

namespace contestsim = torv::contestsim;

namespace {

bool writeFile(const std::filesystem::path& path, const std::string& text) {
    return torv::io::writeWhole(path.string(), text);
}

// "2026-03-14T23:59", as torv's --start and --end take it.
std::string periodText(int64_t minute) {
    const std::string time = contestsim::timeText(minute);
    return contestsim::dateText(minute, false) + "T" + time.substr(0, 2) + ":" + time.substr(2);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        CLI::App app{"Writes a synthetic TORV contest with known faults, for the cross-check"};
        app.set_version_flag("--version", "contest-sim 1.0");
        std::string out;
        contestsim::SimOptions options;
        app.add_option("--out", out, "Folder to write the logs into")->required();
        app.add_option("--seed", options.seed, "Random seed")->capture_default_str();
        app.add_option("--stations", options.stations, "Stations on the air")->capture_default_str();
        app.add_option("--contacts", options.contacts, "Contacts really made")->capture_default_str();
        app.add_option("--casual", options.casualStations, "Stations that make one or two contacts")
            ->capture_default_str();
        app.add_option("--silent", options.silentShare, "Share of stations that send no log")->capture_default_str();
        app.add_option("--adif", options.adifShare, "Share of logs sent as ADIF")->capture_default_str();
        app.add_option("--clock-off", options.clockOffShare, "Share of logs with a clock off by minutes")
            ->capture_default_str();
        app.add_option("--hours-off", options.wholeHoursShare, "Share of logs with a clock off by hours or a day")
            ->capture_default_str();
        app.add_option("--decisions", options.decisions,
                       "Committee decisions to write into decisions.csv (and four bad rows); expected.csv follows "
                       "them (give it to torv check --overrides)")
            ->capture_default_str();
        CLI11_PARSE(app, argc, argv);

        const contestsim::SimContest contest = contestsim::generateContest(options);
        const std::filesystem::path folder(out);
        std::filesystem::create_directories(folder / "logs");
        std::string expected = "log,line,status,other\n";
        std::string offsets = "log,offset\n";
        size_t lines = 0;
        for (const contestsim::SimLog& log : contest.logs) {
            if (!writeFile(folder / "logs" / contestsim::fileName(log), contestsim::logText(log))) {
                std::cerr << "contest-sim: cannot write " << (folder / "logs" / contestsim::fileName(log)).string()
                          << "\n";
                return 1;
            }
            for (size_t i = 0; i < log.qsos.size(); ++i) {
                expected += log.call + "," + std::to_string(contestsim::qsoLine(log, i)) + "," +
                            log.qsos[i].expectedStatus + "," + log.qsos[i].expectedOther + "\n";
            }
            offsets += log.call + "," + std::to_string(log.clockOffset) + "\n";
            lines += log.qsos.size();
        }
        if (!contest.decisionsCsv.empty() && !writeFile(folder / "decisions.csv", contest.decisionsCsv)) {
            std::cerr << "contest-sim: cannot write into " << folder.string() << "\n";
            return 1;
        }
        if (!writeFile(folder / "expected.csv", expected) || !writeFile(folder / "offsets.csv", offsets) ||
            !writeFile(folder / "categories.csv", contestsim::categoriesCsv(contest))) {
            std::cerr << "contest-sim: cannot write into " << folder.string() << "\n";
            return 1;
        }
        std::cout << contest.logs.size() << " logs, " << lines << " QSO lines, " << contest.silentStations.size()
                  << " stations without a log; the contest period: --start " << periodText(contest.startMinute)
                  << " --end " << periodText(contest.endMinute) << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "contest-sim: " << e.what() << "\n";
        return 1;
    }
}
