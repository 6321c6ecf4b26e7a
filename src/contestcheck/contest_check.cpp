#include "contestcheck/contest_check.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <map>
#include <numeric>
#include <utility>

#include "calendar/ascii_case.h"
#include "contestcheck/log_reading.h"
#include "contestcheck/parallel.h"
#include "crosscheck/checked_score.h"
#include "crosscheck/crosscheck.h"
#include "io/files.h"
#include "logfile/log_file.h"
#include "logfile/text.h"

namespace torv::contestcheck {

using calendar::asciiLower;
using crosscheck::Entrant;
using crosscheck::SubmittedLog;
using logfile::isDigit;
using logfile::LogFileError;

namespace {

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The text of each wanted line of a file, without its line end (one pass
// over the file, the wanted lines taken in their order there).
std::vector<std::string> linesOf(const std::string& bytes, const std::vector<uint32_t>& wanted) {
    std::vector<uint32_t> order(wanted.size());
    std::iota(order.begin(), order.end(), 0U);
    std::sort(order.begin(), order.end(), [&wanted](uint32_t a, uint32_t b) { return wanted[a] < wanted[b]; });
    std::vector<std::string> texts(wanted.size());
    uint32_t line = 1;
    size_t start = 0;
    for (uint32_t k : order) {
        const uint32_t w = wanted[k];
        while (line < w && start < bytes.size()) {
            const size_t end = bytes.find('\n', start);
            start = end == std::string::npos ? bytes.size() : end + 1;
            ++line;
        }
        if (line == w && start <= bytes.size()) {
            size_t end = bytes.find('\n', start);
            end = end == std::string::npos ? bytes.size() : end;
            while (end > start && (bytes[end - 1] == '\r' || bytes[end - 1] == ' ' || bytes[end - 1] == '\t')) {
                --end;
            }
            texts[k].assign(bytes, start, end - start);
        }
    }
    return texts;
}

// The checked score, the header findings and the quoted lines of one log,
// once the contest is cross-checked.
void finishEntrant(crosscheck::ContestReport& report, size_t l, const std::string& bytes) {
    const SubmittedLog& log = report.logs[l];
    Entrant& e = report.entrants[l];
    e.checked = crosscheck::checkedScore(log.qsos, report.verdicts[l].qsos, report.settings.rules);
    e.findings = crosscheck::headerFindings(e.header, log.qsos, e.claimedScore, report.settings.options.period,
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
    std::vector<std::string> texts = linesOf(bytes, wanted);
    for (size_t k = 0; k < which.size(); ++k) {
        e.qsoText[which[k]] = std::move(texts[k]);
    }
    e.unreadableText.assign(std::make_move_iterator(texts.begin() + static_cast<std::ptrdiff_t>(which.size())),
                            std::make_move_iterator(texts.end()));
}

// The committee's categories over the logs' own; a line naming no log
// checked is told.
void giveCategories(const CheckRequest& request, crosscheck::ContestReport& report) {
    report.categoriesFile = request.categoriesFile;
    report.categoriesProblems = request.categories.problems;
    std::map<std::string, size_t> byCall;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        byCall.emplace(report.logs[l].call, l);
    }
    for (const crosscheck::GivenCategory& given : request.categories.entries) {
        const auto found = byCall.find(given.call);
        if (found == byCall.end()) {
            report.categoriesProblems.push_back("line " + std::to_string(given.line) + ": no log of " + given.call +
                                                " was checked");
            continue;
        }
        Entrant& e = report.entrants[found->second];
        e.category = crosscheck::withGiven(e.logCategory, given.category);
        e.club = given.club.empty() ? e.club : given.club;
    }
}

}  // namespace

LogSource loadLogFile(const std::string& path) {
    io::WholeFile file = io::readWholeFile(path, io::kLogFileLimit);
    if (!file.error.empty()) {
        throw LogFileError(file.error);
    }
    return LogSource{std::move(file.bytes), file.modified, file.regular};
}

bool naturallyBefore(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Numbers: without leading zeros, the shorter is the smaller.
            size_t iEnd = i, jEnd = j;
            while (iEnd < a.size() && isDigit(a[iEnd])) {
                ++iEnd;
            }
            while (jEnd < b.size() && isDigit(b[jEnd])) {
                ++jEnd;
            }
            const size_t iSignificant = std::min(a.find_first_not_of('0', i), iEnd - 1);
            const size_t jSignificant = std::min(b.find_first_not_of('0', j), jEnd - 1);
            const int order = iEnd - iSignificant != jEnd - jSignificant
                                  ? (iEnd - iSignificant < jEnd - jSignificant ? -1 : 1)
                                  : a.compare(iSignificant, iEnd - iSignificant, b, jSignificant, jEnd - jSignificant);
            if (order != 0) {
                return order < 0;
            }
            i = iEnd;
            j = jEnd;
            continue;
        }
        if (asciiLower(a[i]) != asciiLower(b[j])) {
            return static_cast<unsigned char>(asciiLower(a[i])) < static_cast<unsigned char>(asciiLower(b[j]));
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return j < b.size();
    }
    return a < b;  // equal but for case or leading zeros: still one order
}

bool checkedRather(int64_t modifiedA, const std::string& pathA, int64_t modifiedB, const std::string& pathB) {
    if (modifiedA != modifiedB) {
        return modifiedA > modifiedB;
    }
    const std::string nameA = fileNameOf(pathA);
    const std::string nameB = fileNameOf(pathB);
    if (nameA != nameB) {
        return naturallyBefore(nameB, nameA);
    }
    return naturallyBefore(pathB, pathA);
}

namespace {

// Every file read and scored, on all cores; one that fails is left out.
std::vector<ReadLog> readAll(const std::vector<std::string>& paths, const CheckRequest& request,
                             const LogLoader& load) {
    std::vector<ReadLog> read(paths.size());
    forEachIndex(paths.size(), request.threads, [&](size_t i) {
        try {
            read[i] = readAndScore(paths[i], request, load);
        } catch (const std::exception& error) {
            read[i] = leftOut(paths[i], error.what());
        } catch (...) {
            read[i] = leftOut(paths[i], "an unknown error");
        }
    });
    return read;
}

// One log per call into the report: the one modified last, then the later
// name; the others are recorded as replaced. Returns the bytes of each log
// taken, for its quotes.
std::vector<LogBytes> takeOneLogPerCall(const std::vector<std::string>& paths, std::vector<ReadLog>& read,
                                        crosscheck::ContestReport& report) {
    std::map<std::string, std::vector<size_t>> byCall;
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i].usable) {
            byCall[read[i].log.call].push_back(i);
        }
    }
    auto later = [&](size_t a, size_t b) {
        return checkedRather(read[a].modified, paths[a], read[b].modified, paths[b]);
    };
    std::vector<LogBytes> bytes;
    for (auto& [call, logs] : byCall) {
        std::sort(logs.begin(), logs.end(), later);
        if (logs.size() > 1) {
            crosscheck::Replacement replacement{call, paths[logs[0]], {}};
            for (size_t k = 1; k < logs.size(); ++k) {
                replacement.leftOut.push_back(paths[logs[k]]);
                read[logs[k]].file.fate = crosscheck::FileFate::kReplaced;
                read[logs[k]].file.reason = paths[logs[0]];
            }
            report.replacements.push_back(std::move(replacement));
        }
        report.logs.push_back(std::move(read[logs[0]].log));
        report.entrants.push_back(std::move(read[logs[0]].entrant));
        bytes.push_back(std::move(read[logs[0]].bytes));
    }
    for (ReadLog& r : read) {
        report.files.push_back(std::move(r.file));
    }
    return bytes;
}

// Each entrant's checked score, findings and quoted lines, on all cores.
// A file that changed since it was read, or an entrant that cannot be
// finished, is told; the others are still finished. True when all went well.
bool finishAll(crosscheck::ContestReport& report, std::vector<LogBytes>& bytes, const CheckRequest& request,
               const LogLoader& load) {
    std::vector<std::string> failures(report.logs.size());
    std::vector<char> changed(report.logs.size(), 0);
    forEachIndex(report.logs.size(), request.threads, [&](size_t l) {
        try {
            std::string text = std::move(bytes[l].held);
            if (bytes[l].loadAgain) {
                changed[l] = !loadedAgain(report.entrants[l].file, bytes[l].hash, load, text);
            }
            finishEntrant(report, l, text);
        } catch (const std::exception& error) {
            failures[l] = error.what();
        } catch (...) {
            failures[l] = "an unknown error";
        }
    });
    bool fine = true;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        if (changed[l] != 0) {
            for (crosscheck::FileRecord& file : report.files) {
                if (file.path == report.entrants[l].file) {
                    file.messages.push_back("changed or gone since it was read; its report quotes none of its lines");
                }
            }
            fine = false;
        }
        if (!failures[l].empty()) {
            report.entrants[l].problem = failures[l];
            report.entrants[l].qsoText.resize(report.logs[l].qsos.size());
            report.entrants[l].unreadableText.resize(report.logs[l].unreadable.size());
            fine = false;
        }
    }
    return fine;
}

}  // namespace

CheckOutcome check(const LogSources& sources, const CheckRequest& request) {
    const std::vector<std::string>& paths = sources.paths;
    const LogLoader& load = sources.load;
    std::vector<ReadLog> read = readAll(paths, request, load);
    CheckOutcome outcome;
    crosscheck::ContestReport& report = outcome.report;
    report.settings = request.settings;
    report.foldersNotRead = sources.foldersNotRead;
    for (const ReadLog& r : read) {
        outcome.inputProblems = outcome.inputProblems || r.inputProblems;
    }
    std::vector<LogBytes> bytes = takeOneLogPerCall(paths, read, report);
    read.clear();
    giveCategories(request, report);
    outcome.inputProblems = outcome.inputProblems || !report.categoriesProblems.empty();
    // A single-band entrant's other bands are checked by its category as
    // the committee gives it.
    for (size_t l = 0; l < report.logs.size(); ++l) {
        report.logs[l].categoryBand = report.entrants[l].category.part(crosscheck::CategoryPart::kBand);
    }
    crosscheck::crossCheckReport(report);
    outcome.inputProblems = outcome.inputProblems || !crosscheck::decisionsProblems(report).empty();
    // The others are still checked when one cannot be finished; its report says less.
    outcome.inputProblems = !finishAll(report, bytes, request, load) || outcome.inputProblems;
    return outcome;
}

}  // namespace torv::contestcheck
