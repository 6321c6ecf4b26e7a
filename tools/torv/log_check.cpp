#include "log_check.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <thread>

#include "log_scoring.h"
#include "logfile/log_file.h"
#include "logfile/text.h"

namespace {

using crosscheck::EngineResult;
using crosscheck::Entrant;
using crosscheck::LogQso;
using crosscheck::SubmittedLog;

// OLE Automation day 25569 is 1970-01-01.
constexpr double kUnixEpochOleDay = 25569.0;

// One log read and scored, or the reason it is left out.
struct ReadLog {
    bool usable = false;
    SubmittedLog log;
    Entrant entrant;
    std::string bytes;  // kept until the report quotes its lines
    std::vector<std::string> diagnostics;
    bool inputProblems = false;
};

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

crosscheck::HeaderFacts headerFactsOf(const LogFile& log) {
    crosscheck::HeaderFacts facts;
    facts.hasHeader = log.format == LogFormat::kCabrillo;
    if (const std::string* band = findCabrilloTag(log.cabrilloHeader, "CATEGORY-BAND")) {
        facts.categoryBand = *band;
    }
    if (const std::string* claimed = findCabrilloTag(log.cabrilloHeader, "CLAIMED-SCORE")) {
        facts.claimedScorePresent = true;
        facts.claimedScoreText = *claimed;
        const bool digits = claimed->size() <= 18 && allDigits(*claimed);
        if (digits) {
            facts.claimedScore = std::stoll(*claimed);
        }
    }
    return facts;
}

ReadLog readAndScore(const std::string& path, const CheckRequest& request, const LogLoader& load) {
    ReadLog out;
    LogFile log;
    try {
        out.bytes = decodedLogText(load(path));
        log = readLog(out.bytes);
    } catch (const LogFileError& error) {
        out.diagnostics.push_back(path + ": " + error.what() + "; left out");
        out.inputProblems = true;
        return out;
    }
    for (const LogProblem& problem : log.problems.shown) {
        out.diagnostics.push_back(path + ": " + problemMessage(problem));
    }
    if (log.problems.notShown > 0) {
        out.diagnostics.push_back(path + ": " + notShownMessage(log.problems.notShown));
    }
    out.inputProblems = !log.unreadable.empty();
    const std::string station = crosscheck::normalised(log.stationCall);
    if (station.empty()) {
        out.diagnostics.push_back(path + ": " + formatName(log.format) +
                                  " log that names no station (no CALLSIGN, STATION_CALLSIGN or OPERATOR); left out");
        out.inputProblems = true;
        return out;
    }

    const ScoredLog scored = scoreLog(log.contacts, scoringSetupFor(log, std::string(), request.start, request.end));
    out.log.call = station;
    out.log.qsos.reserve(log.contacts.size());
    int32_t counted = 0;
    for (size_t i = 0; i < log.contacts.size(); ++i) {
        const LogContact& c = log.contacts[i];
        const ContactOutcome& outcome = scored.contacts[i];
        LogQso q;
        q.line = static_cast<uint32_t>(c.line);
        q.minute = minuteOfOleDate(c.oleDate);
        q.call = c.call;
        q.band = c.band;
        q.mode = c.mode;
        q.exchangeSent = c.exchangeSent;
        q.exchangeReceived = c.exchangeReceived;
        q.area = outcome.area;
        switch (outcome.result) {
            case ContactResult::kRefused:
                q.engine = EngineResult::kRefused;
                q.finding = findingMessage(outcome.findings);
                break;
            case ContactResult::kDupe:
                q.engine = EngineResult::kDupe;
                q.finding = findingMessage(outcome.findings);
                break;
            case ContactResult::kStored:
                q.engine = EngineResult::kStored;
                counted += c.call.empty() ? 0 : 1;
                break;
        }
        out.log.qsos.push_back(std::move(q));
    }
    for (const UnreadableRecord& record : log.unreadable) {
        crosscheck::UnreadableQso u;
        u.line = static_cast<uint32_t>(record.line);
        u.reason = record.reason;
        u.call = record.call;
        if (record.oleDate) {
            u.minute = minuteOfOleDate(*record.oleDate);
        }
        out.log.unreadable.push_back(std::move(u));
    }
    Entrant& e = out.entrant;
    e.file = path;
    if (const std::string* category = findCabrilloTag(log.cabrilloHeader, "CATEGORY-OPERATOR")) {
        e.categoryOperator = crosscheck::normalised(*category);
    }
    e.header = headerFactsOf(log);
    e.claimedQsos = counted;
    e.claimedPoints = scored.numbers.points;
    e.claimedMultipliers = scored.numbers.multipliers;
    e.claimedScore = scored.numbers.score;
    out.usable = true;
    return out;
}

// The text of each wanted line of a file, without its line end.
std::vector<std::string> linesOf(const std::string& bytes, const std::vector<uint32_t>& wanted) {
    std::vector<uint32_t> sorted = wanted;
    std::sort(sorted.begin(), sorted.end());
    std::map<uint32_t, std::string> found;
    uint32_t line = 1;
    size_t start = 0;
    for (uint32_t w : sorted) {
        while (line < w && start < bytes.size()) {
            const size_t end = bytes.find('\n', start);
            start = end == std::string::npos ? bytes.size() : end + 1;
            ++line;
        }
        if (line == w && start <= bytes.size()) {
            size_t end = bytes.find('\n', start);
            end = end == std::string::npos ? bytes.size() : end;
            std::string text = bytes.substr(start, end - start);
            while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
                text.pop_back();
            }
            found[w] = std::move(text);
        }
    }
    std::vector<std::string> texts;
    texts.reserve(wanted.size());
    for (uint32_t w : wanted) {
        texts.push_back(found[w]);
    }
    return texts;
}

}  // namespace

int64_t minuteOfOleDate(double oleDate) {
    return static_cast<int64_t>(std::llround((oleDate - kUnixEpochOleDay) * 1440.0));
}

std::string findingMessage(const std::string& findingLines) {
    std::string_view text(findingLines);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    const size_t lineStart = text.rfind('\n');
    if (lineStart != std::string_view::npos) {
        text.remove_prefix(lineStart + 1);
    }
    // The message follows the fields after three blanks.
    const size_t message = text.rfind("   ");
    if (message != std::string_view::npos) {
        text.remove_prefix(message + 3);
    }
    return std::string(text);
}

CheckOutcome checkLogs(const std::vector<std::string>& paths, const CheckRequest& request, const LogLoader& load) {
    std::vector<ReadLog> read(paths.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < paths.size(); i = next++) {
            try {
                read[i] = readAndScore(paths[i], request, load);
            } catch (const std::exception& error) {
                read[i] = ReadLog();
                read[i].diagnostics.push_back(paths[i] + ": " + error.what() + "; left out");
                read[i].inputProblems = true;
            }
        }
    };
    unsigned threads = request.threads != 0 ? request.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(paths.size(), 1)));
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads; ++t) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& w : workers) {
        w.join();
    }

    CheckOutcome outcome;
    outcome.report.settings = request.settings;
    // One log per call: the later file name wins.
    std::map<std::string, size_t> byCall;
    const std::string leftOut = "; left out";
    for (size_t i = 0; i < read.size(); ++i) {
        for (std::string& d : read[i].diagnostics) {
            // The results say which files were left out and why.
            if (!read[i].usable && d.size() >= leftOut.size() &&
                d.compare(d.size() - leftOut.size(), leftOut.size(), leftOut) == 0) {
                outcome.report.notes.push_back(d);
            }
            outcome.diagnostics.push_back(std::move(d));
        }
        outcome.inputProblems = outcome.inputProblems || read[i].inputProblems;
        if (!read[i].usable) {
            continue;
        }
        auto [it, added] = byCall.emplace(read[i].log.call, i);
        if (!added) {
            const size_t kept = it->second;
            const auto later = [&](size_t a, size_t b) {
                return std::make_pair(fileNameOf(paths[a]), paths[a]) > std::make_pair(fileNameOf(paths[b]), paths[b]);
            };
            const size_t winner = later(i, kept) ? i : kept;
            const size_t loser = winner == i ? kept : i;
            const std::string note = read[i].log.call + ": two logs, " + paths[winner] + " is checked and " +
                                     paths[loser] + " left out (the later file name wins)";
            outcome.diagnostics.push_back("warning: " + note);
            outcome.report.notes.push_back(note);
            it->second = winner;
        }
    }
    crosscheck::ContestReport& report = outcome.report;
    std::vector<std::string> bytes;
    for (const auto& [call, index] : byCall) {
        report.logs.push_back(std::move(read[index].log));
        report.entrants.push_back(std::move(read[index].entrant));
        bytes.push_back(std::move(read[index].bytes));
    }
    read.clear();

    report.verdicts = crosscheck::crossCheck(report.logs, report.settings.options);
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const SubmittedLog& log = report.logs[l];
        Entrant& e = report.entrants[l];
        e.checked = crosscheck::checkedScore(log.qsos, report.verdicts[l].qsos, report.settings.rules);
        e.findings = crosscheck::headerFindings(e.header, log.qsos, e.claimedScore, report.settings.period,
                                                report.verdicts[l].offsetMinutes);
        // The reports quote the lines of the contacts that are not confirmed.
        std::vector<uint32_t> wanted;
        std::vector<size_t> which;
        for (size_t q = 0; q < log.qsos.size(); ++q) {
            if (report.verdicts[l].qsos[q].status != crosscheck::QsoStatus::kConfirmed) {
                wanted.push_back(log.qsos[q].line);
                which.push_back(q);
            }
        }
        for (const crosscheck::UnreadableQso& u : log.unreadable) {
            wanted.push_back(u.line);
        }
        e.qsoText.assign(log.qsos.size(), std::string());
        std::vector<std::string> texts = linesOf(bytes[l], wanted);
        for (size_t k = 0; k < which.size(); ++k) {
            e.qsoText[which[k]] = std::move(texts[k]);
        }
        e.unreadableText.assign(std::make_move_iterator(texts.begin() + static_cast<std::ptrdiff_t>(which.size())),
                                std::make_move_iterator(texts.end()));
        std::string().swap(bytes[l]);
    }
    return outcome;
}

std::vector<std::pair<std::string, std::string>> checkFiles(const crosscheck::ContestReport& report, bool json) {
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back("qsos.csv", crosscheck::qsosCsv(report));
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const std::string base = "ubn/" + crosscheck::ubnBaseName(report.logs[l].call);
        files.emplace_back(base + ".txt", crosscheck::ubnText(report, l));
        files.emplace_back(base + ".html", crosscheck::ubnHtml(report, l));
    }
    files.emplace_back("results.txt", crosscheck::resultsText(report));
    files.emplace_back("results.csv", crosscheck::resultsCsv(report));
    files.emplace_back("results.html", crosscheck::resultsHtml(report));
    if (json) {
        files.emplace_back("results.json", crosscheck::resultsJson(report));
    }
    return files;
}
