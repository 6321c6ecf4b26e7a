#include "log_check.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <numeric>
#include <optional>

#include "calendar/minutes.h"
#include "crosscheck/committee_page.h"
#include "crosscheck/qsos_csv.h"
#include "crosscheck/results_json.h"
#include "crosscheck/results_page.h"
#include "crosscheck/results_table.h"
#include "crosscheck/ubn_report.h"
#include "files.h"
#include "logfile/log_file.h"
#include "logfile/text.h"
#include "parallel.h"
#include "scoring/log_scoring.h"

namespace crosscheck = torv::crosscheck;
using torv::calendar::asciiLower;
using torv::calendar::minuteOfOleDate;
using torv::engine::ContactOutcome;
using torv::engine::ContactResult;
using torv::engine::findingMessage;
using torv::logfile::allDigits;
using torv::logfile::decodedLogText;
using torv::logfile::findCabrilloTag;
using torv::logfile::formatName;
using torv::logfile::isDigit;
using torv::logfile::LogContact;
using torv::logfile::LogFile;
using torv::logfile::LogFileError;
using torv::logfile::LogFormat;
using torv::logfile::LogProblem;
using torv::logfile::notShownMessage;
using torv::logfile::readLog;
using torv::logfile::UnreadableRecord;
using torv::scoring::ScoredLog;
using torv::scoring::scoreLog;
using torv::scoring::scoringSetupFor;

namespace {

using crosscheck::EngineResult;
using crosscheck::Entrant;
using crosscheck::LogQso;
using crosscheck::SubmittedLog;

// What quotes a log's lines once the contest is checked: its bytes, held
// only when they cannot be loaded again (a pipe); a file's bytes are loaded
// again instead of being held through the cross-check (at a million lines
// they would be a third of the memory), and known by their hash.
struct LogBytes {
    std::string held;
    bool loadAgain = false;
    size_t hash = 0;
};

size_t hashOf(std::string_view bytes) {
    return std::hash<std::string_view>()(bytes);
}

// One log read and scored, or the reason it is left out.
struct ReadLog {
    bool usable = false;
    SubmittedLog log;
    Entrant entrant;
    LogBytes bytes;
    int64_t modified = 0;
    crosscheck::FileRecord file;
    bool inputProblems = false;
};

ReadLog leftOut(const std::string& path, const std::string& why) {
    ReadLog out;
    out.file.path = path;
    out.file.fate = crosscheck::FileFate::kLeftOut;
    out.file.reason = why;
    out.inputProblems = true;
    return out;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

crosscheck::Category categoryOf(const LogFile& log) {
    crosscheck::Category category;
    const char* const tags[] = {"CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-POWER", "CATEGORY-MODE"};
    for (size_t p = 0; p < crosscheck::kCategoryParts; ++p) {
        if (const std::string* value = findCabrilloTag(log.cabrilloHeader, tags[p])) {
            category.parts[p] = crosscheck::categoryText(*value);
        }
    }
    return category;
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

// A contact as the check sees it: the reader's fields and the engine's verdict.
LogQso checkedQso(const LogContact& c, const ContactOutcome& outcome) {
    LogQso q;
    q.line = static_cast<uint32_t>(c.line);
    q.minute = minuteOfOleDate(c.oleDate);
    q.call = c.call;
    q.band = c.band;
    q.mode = c.mode;
    q.exchangeSent = c.exchangeSent;
    q.exchangeReceived = c.exchangeReceived;
    q.area = outcome.area;
    // The report quotes the engine's message of the last finding, the one
    // that decided: the refusal, or the duplicate.
    switch (outcome.result) {
        case ContactResult::kRefused:
            q.engine = EngineResult::kRefused;
            q.finding = findingMessage(outcome.findings.back().code);
            break;
        case ContactResult::kDupe:
            q.engine = EngineResult::kDupe;
            q.finding = findingMessage(outcome.findings.back().code);
            break;
        case ContactResult::kStored:
            q.engine = EngineResult::kStored;
            break;
    }
    return q;
}

crosscheck::UnreadableQso unreadableQso(const UnreadableRecord& record) {
    crosscheck::UnreadableQso u;
    u.line = static_cast<uint32_t>(record.line);
    u.reason = record.reason;
    u.call = record.call;
    if (record.oleDate) {
        u.minute = minuteOfOleDate(*record.oleDate);
    }
    return u;
}

// Loads and reads one file; what it held is kept or marked to be loaded
// again for the quotes. Throws LogFileError.
LogFile loadAndRead(const std::string& path, const LogLoader& load, ReadLog& out) {
    LogSource source = load(path);
    out.bytes.loadAgain = source.again;
    out.bytes.hash = source.again ? hashOf(source.bytes) : 0;
    out.modified = source.modified;
    const std::string text = decodedLogText(std::move(source.bytes));
    LogFile log = readLog(text);
    if (!source.again) {
        out.bytes.held = text;
    }
    return log;
}

ReadLog readAndScore(const std::string& path, const CheckRequest& request, const LogLoader& load) {
    ReadLog out;
    crosscheck::FileRecord& file = out.file;
    file.path = path;
    LogFile log;
    try {
        log = loadAndRead(path, load, out);
    } catch (const LogFileError& error) {
        return leftOut(path, error.what());
    }
    for (const LogProblem& problem : log.problems.shown) {
        file.messages.push_back(problemMessage(problem));
    }
    if (log.problems.notShown > 0) {
        file.messages.push_back(notShownMessage(log.problems.notShown));
    }
    file.qsoLines = static_cast<uint32_t>(log.contacts.size() + log.unreadable.size());
    file.unreadableLines = static_cast<uint32_t>(log.unreadable.size());
    out.inputProblems = !log.unreadable.empty();
    file.call = crosscheck::normalised(log.stationCall);
    if (file.call.empty()) {
        file.fate = crosscheck::FileFate::kLeftOut;
        file.reason = std::string(formatName(log.format)) +
                      " log that names no station (no CALLSIGN, STATION_CALLSIGN or OPERATOR)";
        out.inputProblems = true;
        return out;
    }

    const ScoredLog scored = scoreLog(log.contacts, scoringSetupFor(log, std::string(), request.start, request.end));
    out.log.call = file.call;
    out.log.qsos.reserve(log.contacts.size());
    int32_t counted = 0;
    for (size_t i = 0; i < log.contacts.size(); ++i) {
        out.log.qsos.push_back(checkedQso(log.contacts[i], scored.contacts[i]));
        const bool stored = scored.contacts[i].result == ContactResult::kStored;
        counted += stored && !log.contacts[i].call.empty() ? 1 : 0;
    }
    for (const UnreadableRecord& record : log.unreadable) {
        out.log.unreadable.push_back(unreadableQso(record));
    }
    Entrant& e = out.entrant;
    e.file = path;
    e.logCategory = categoryOf(log);
    e.category = e.logCategory;
    e.header = headerFactsOf(log);
    e.claimedQsos = counted;
    e.claimedPoints = scored.numbers.points;
    e.claimedMultipliers = scored.numbers.multipliers;
    e.claimedScore = scored.numbers.score;
    out.usable = true;
    return out;
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

// The text of a log loaded again, when its bytes are the ones first read;
// false (and no text) when they are not or cannot be read.
bool loadedAgain(const std::string& path, size_t hash, const LogLoader& load, std::string& text) {
    try {
        LogSource source = load(path);
        if (hashOf(source.bytes) == hash) {
            text = decodedLogText(std::move(source.bytes));
            return true;
        }
    } catch (const LogFileError&) {
        // Gone or unreadable: told as changed.
    }
    text.clear();
    return false;
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
    }
}

}  // namespace

LogSource loadLogFile(const std::string& path) {
    WholeFile file = readWholeFile(path, kLogFileLimit);
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
        if (read[a].modified != read[b].modified) {
            return read[a].modified > read[b].modified;
        }
        const std::string nameA = fileNameOf(paths[a]);
        const std::string nameB = fileNameOf(paths[b]);
        if (nameA != nameB) {
            return naturallyBefore(nameB, nameA);
        }
        return naturallyBefore(paths[b], paths[a]);
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

CheckOutcome checkLogs(const std::vector<std::string>& paths, const CheckRequest& request, const LogLoader& load) {
    std::vector<ReadLog> read = readAll(paths, request, load);
    CheckOutcome outcome;
    crosscheck::ContestReport& report = outcome.report;
    report.settings = request.settings;
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

std::vector<std::string> makeCheckFiles(const std::vector<CheckFile>& files, unsigned threads,
                                        const CheckFileWriter& write) {
    std::vector<std::string> failures(files.size());
    forEachIndex(files.size(), threads, [&](size_t i) {
        try {
            failures[i] = write(files[i].name, files[i].text());
        } catch (const std::exception& error) {
            failures[i] = error.what();
        } catch (...) {
            failures[i] = "an unknown error";
        }
    });
    return failures;
}

std::vector<CheckFile> checkFiles(const crosscheck::ContestReport& report, bool json) {
    using crosscheck::ContestReport;
    std::vector<CheckFile> files;
    auto whole = [&report](std::string (*make)(const ContestReport&)) {
        return [&report, make] { return make(report); };
    };
    files.push_back({"qsos.csv", whole(crosscheck::qsosCsv)});
    const std::vector<std::string> names = crosscheck::ubnFileNames(report);
    // Found once for every report, when the first one is made; the reports
    // are made on several threads at once.
    struct Shared {
        std::once_flag once;
        std::optional<crosscheck::UbnShared> part;
    };
    auto shared = std::make_shared<Shared>();
    auto sharedPart = [&report, shared]() -> const crosscheck::UbnShared& {
        std::call_once(shared->once, [&] { shared->part = crosscheck::ubnShared(report); });
        return *shared->part;
    };
    for (size_t l = 0; l < report.logs.size(); ++l) {
        files.push_back({"ubn/" + names[l] + ".txt",
                         [&report, l, sharedPart] { return crosscheck::ubnText(report, sharedPart(), l); }});
        files.push_back({"ubn/" + names[l] + ".html",
                         [&report, l, sharedPart] { return crosscheck::ubnHtml(report, sharedPart(), l); }});
    }
    files.push_back({"results.txt", whole(crosscheck::resultsText)});
    files.push_back({"results.csv", whole(crosscheck::resultsCsv)});
    files.push_back({"results.html", whole(crosscheck::resultsHtml)});
    files.push_back({"committee.html", whole(crosscheck::committeeHtml)});
    if (json) {
        files.push_back({"results.json", whole(crosscheck::resultsJson)});
    }
    return files;
}
