#include "logfile/log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "io/file.h"
#include "logfile/adif.h"
#include "logfile/adif_contact.h"
#include "logfile/text.h"

namespace torv::logfile {

using calendar::upperCase;

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr uint32_t kReplacementCharacter = 0xFFFD;

// The text after a UTF-8 byte-order mark and blanks, line ends included.
std::string_view opening(std::string_view text) {
    if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        text.remove_prefix(kUtf8Mark.size());
    }
    return withoutLeadingBlanks(text);
}

bool containsCaseless(std::string_view text, std::string_view upperCaseWord) {
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (upperCase(text.substr(at, upperCaseWord.size())) == upperCaseWord) {
            return true;
        }
    }
    return false;
}

bool hasQsoLine(std::string_view text) {
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        const std::string_view line =
            trimmed(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        if (upperCase(line.substr(0, 4)) == "QSO:") {
            return true;
        }
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    return false;
}

// True when the text starts with an ADIF field: <NAME:LENGTH...>.
bool startsWithAdifField(std::string_view text) {
    const size_t close = text.find('>');
    if (text.empty() || text[0] != '<' || close == std::string_view::npos) {
        return false;
    }
    const std::string_view inside = text.substr(1, close - 1);
    const size_t colon = inside.find(':');
    if (colon == 0 || colon == std::string_view::npos) {
        return false;
    }
    const std::string_view length = inside.substr(colon + 1, inside.find(':', colon + 1) - colon - 1);
    return allDigits(length);
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string utf8OfUtf16(std::string_view bytes) {
    const bool bigEndian = bytes.substr(0, 2) == kUtf16BigEndianMark;
    auto unitAt = [&](size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<uint32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::string out;
    out.reserve(bytes.size() / 2);
    size_t at = 2;
    for (; at + 1 < bytes.size(); at += 2) {
        const uint32_t unit = unitAt(at);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && at + 3 < bytes.size() && unitAt(at + 2) >= 0xDC00 && unitAt(at + 2) <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00));
            at += 2;
        } else {
            appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacementCharacter : unit);
        }
    }
    if (at < bytes.size()) {
        appendUtf8(out, kReplacementCharacter);
    }
    return out;
}

// An ADIF problem as the log's: its line and record.
LogProblem problemOf(const AdifError& error, LogProblem::Kind kind) {
    return {kind, error.line(), error.recordNumber(), error.problem()};
}

// What can still be read of an ADIF record whose contact cannot be made.
UnreadableRecord unreadableOf(const AdifRecord& record, ReadFault fault) {
    UnreadableRecord unreadable{record.line, record.number, std::move(fault), std::string(), std::nullopt};
    if (const std::string* call = record.find("CALL")) {
        unreadable.call = std::string(trimmed(*call));
    }
    const std::string* date = record.find("QSO_DATE");
    const std::string* time = record.find("TIME_ON");
    double oleDate = 0;
    if (date != nullptr && time != nullptr && parseAdifDateTime(*date, *time, oleDate)) {
        unreadable.oleDate = oleDate;
    }
    return unreadable;
}

LogFile readAdifLog(std::string_view text) {
    AdifFile adif;
    try {
        adif = parseAdif(text, AdifRecovery::kSkipRecords);
    } catch (const AdifError& error) {
        throw LogFileError(std::string("ADIF: ") + error.what());
    }
    LogFile log;
    log.format = LogFormat::kAdif;
    if (!adif.records.empty()) {
        const AdifRecord& first = adif.records.front();
        const std::string* station = first.find("STATION_CALLSIGN");
        station = station != nullptr ? station : first.find("OPERATOR");
        log.stationCall = station != nullptr ? std::string(trimmed(*station)) : std::string();
    }
    for (const AdifError& header : adif.steppedOver) {
        log.problems.add(problemOf(header, LogProblem::Kind::kWarning));
    }
    if (adif.emptyRecords > 0) {
        log.problems.add({LogProblem::Kind::kWarning, 0, 0,
                          std::to_string(adif.emptyRecords) +
                              (adif.emptyRecords == 1 ? " <EOR> closes" : " <EOR>s close") + " no field: passed over"});
    }
    // Skipped records and mapped ones, merged back into file order.
    auto skipped = adif.skipped.begin();
    auto reportSkippedBefore = [&](size_t recordNumber) {
        for (; skipped != adif.skipped.end() && skipped->recordNumber() < recordNumber; ++skipped) {
            log.problems.add(problemOf(*skipped, LogProblem::Kind::kSkipped));
            log.unreadable.push_back(
                {skipped->line(), skipped->recordNumber(), skipped->fault(), std::string(), std::nullopt});
        }
    };
    log.contacts.reserve(adif.records.size());
    std::unordered_set<std::string_view> contests;
    for (const AdifRecord& record : adif.records) {
        reportSkippedBefore(record.number);
        if (const std::string* contest = record.find("CONTEST_ID")) {
            const std::string_view name = trimmed(*contest);
            if (!name.empty() && contests.insert(name).second) {
                log.contestNames.emplace_back(name);
            }
        }
        std::vector<std::string> warnings;
        try {
            log.contacts.push_back(contactFromRecord(record, std::string(), &warnings));
        } catch (const FieldError& error) {
            log.problems.add({LogProblem::Kind::kSkipped, record.line, record.number, error.what()});
            log.unreadable.push_back(unreadableOf(record, error.fault()));
        }
        for (std::string& warning : warnings) {
            log.problems.add({LogProblem::Kind::kWarning, record.line, record.number, std::move(warning)});
        }
    }
    reportSkippedBefore(static_cast<size_t>(-1));
    return log;
}

LogFile readCabrilloLog(std::string_view text) {
    CabrilloLog cabrillo = readCabrillo(text);
    LogFile log;
    log.format = LogFormat::kCabrillo;
    if (const std::string* call = cabrillo.tag("CALLSIGN")) {
        log.stationCall = *call;
    }
    if (const std::string* contest = cabrillo.tag("CONTEST"); contest != nullptr && !trimmed(*contest).empty()) {
        log.contestNames.emplace_back(trimmed(*contest));
    }
    log.contacts = std::move(cabrillo.contacts);
    log.unreadable = std::move(cabrillo.unreadable);
    log.problems = std::move(cabrillo.problems);
    log.cabrilloHeader = std::move(cabrillo.header);
    return log;
}

}  // namespace

void LogProblems::add(LogProblem problem) {
    warnings += problem.kind == LogProblem::Kind::kWarning ? 1 : 0;
    // File order: by line, a problem of the whole file (line 0) first.
    const auto at = std::upper_bound(shown.begin(), shown.end(), problem.line,
                                     [](size_t line, const LogProblem& kept) { return line < kept.line; });
    if (at == shown.end() && shown.size() >= kShown) {
        ++notShown;
        return;
    }
    shown.insert(at, std::move(problem));
    if (shown.size() > kShown) {
        shown.pop_back();
        ++notShown;
    }
}

std::string locatedText(const LogProblem& problem) {
    std::string where;
    if (problem.line != 0) {
        where = "line " + std::to_string(problem.line);
    }
    if (problem.record != 0) {
        where += (where.empty() ? "" : ", ") + std::string("record ") + std::to_string(problem.record);
    }
    return where.empty() ? problem.text : where + ": " + problem.text;
}

std::string problemMessage(const LogProblem& problem) {
    LogProblem shown = problem;
    shown.text = (problem.kind == LogProblem::Kind::kSkipped ? "skipped: " : "warning: ") + problem.text;
    return locatedText(shown);
}

std::string notShownMessage(size_t notShown) {
    return std::to_string(notShown) + (notShown == 1 ? " more problem" : " more problems") + " not shown (at most " +
           std::to_string(LogProblems::kShown) + " per file)";
}

const char* formatName(LogFormat format) {
    return format == LogFormat::kCabrillo ? "Cabrillo" : "ADIF";
}

LogFormat detectLogFormat(std::string_view text) {
    const std::string_view start = opening(text);
    if (start.empty()) {
        throw LogFileError("empty");
    }
    const std::string upperStart = upperCase(start.substr(0, 13));
    if (upperStart.rfind("<?XML", 0) == 0 || upperStart.rfind("<ADX", 0) == 0) {
        throw LogFileError(
            "this is ADX, the XML form of ADIF, which is not read: export the log as ADIF (.adi) "
            "or Cabrillo");
    }
    if (upperStart == "START-OF-LOG:") {
        return LogFormat::kCabrillo;
    }
    const bool endsRecords = containsCaseless(text, "<EOR>");
    if (!endsRecords && hasQsoLine(text)) {
        return LogFormat::kCabrillo;
    }
    if (endsRecords || containsCaseless(text, "<EOH>") || startsWithAdifField(start)) {
        return LogFormat::kAdif;
    }
    throw LogFileError("not a contest log (neither ADIF nor Cabrillo)");
}

bool isUtf16(std::string_view bytes) {
    const std::string_view mark = bytes.substr(0, 2);
    return mark == kUtf16LittleEndianMark || mark == kUtf16BigEndianMark;
}

std::string decodedLogText(std::string bytes) {
    if (isUtf16(bytes)) {
        return utf8OfUtf16(bytes);
    }
    return bytes;
}

LogFile readLog(std::string_view bytes) {
    std::string decoded;
    if (isUtf16(bytes)) {
        decoded = utf8OfUtf16(bytes);
        bytes = decoded;
    }
    return detectLogFormat(bytes) == LogFormat::kCabrillo ? readCabrilloLog(bytes) : readAdifLog(bytes);
}

std::string readLogBytes(const std::string& path) {
    errno = 0;
    const io::File file = io::open(path, "rb");
    if (!file) {
        const int reason = errno;
        std::error_code error;
        if (std::filesystem::is_symlink(path, error)) {
            const std::filesystem::path target = std::filesystem::read_symlink(path, error);
            if (!std::filesystem::exists(path, error)) {
                throw LogFileError("cannot read " + path + ": a link to " + target.generic_string() +
                                   ", which does not exist");
            }
        }
        throw LogFileError("cannot read " + path + ": " + std::strerror(reason));
    }
    std::optional<std::string> bytes = io::readRest(file.get());
    if (!bytes) {
        throw LogFileError("cannot read " + path + ": " + std::strerror(errno));
    }
    return std::move(*bytes);
}

}  // namespace torv::logfile
