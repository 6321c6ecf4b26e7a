#include "logfile/log_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "logfile/adif.h"
#include "logfile/adif_contact.h"
#include "logfile/text.h"

namespace {

// The first characters of the text that are not blank, a byte-order mark or
// a line end, upper-cased, at most n of them.
std::string openingText(std::string_view text, size_t n) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    const size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string() : upperCase(text.substr(first, n));
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
    // Skipped records and mapped ones, merged back into file order.
    auto skipped = adif.skipped.begin();
    auto reportSkippedBefore = [&](size_t recordNumber) {
        for (; skipped != adif.skipped.end() && skipped->recordNumber() < recordNumber; ++skipped) {
            log.problems.push_back(
                {LogProblem::Kind::kSkipped, skipped->line(), skipped->recordNumber(), skipped->problem()});
        }
    };
    log.contacts.reserve(adif.records.size());
    for (const AdifRecord& record : adif.records) {
        reportSkippedBefore(record.number);
        std::vector<std::string> warnings;
        try {
            log.contacts.push_back(contactFromRecord(record, std::string(), &warnings));
        } catch (const FieldError& error) {
            log.problems.push_back({LogProblem::Kind::kSkipped, record.line, record.number, error.what()});
        }
        for (std::string& warning : warnings) {
            log.problems.push_back({LogProblem::Kind::kWarning, record.line, record.number, std::move(warning)});
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
    log.contacts = std::move(cabrillo.contacts);
    log.problems = std::move(cabrillo.problems);
    log.cabrilloHeader = std::move(cabrillo.header);
    return log;
}

}  // namespace

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

const char* formatName(LogFormat format) {
    return format == LogFormat::kCabrillo ? "Cabrillo" : "ADIF";
}

LogFormat detectLogFormat(std::string_view text) {
    const std::string opening = openingText(text, 13);
    if (opening.rfind("<?XML", 0) == 0 || opening.rfind("<ADX", 0) == 0) {
        throw LogFileError(
            "this is ADX, the XML form of ADIF, which is not read: export the log as ADIF (.adi) "
            "or Cabrillo");
    }
    if (opening == "START-OF-LOG:") {
        return LogFormat::kCabrillo;
    }
    return !containsCaseless(text, "<EOR>") && hasQsoLine(text) ? LogFormat::kCabrillo : LogFormat::kAdif;
}

LogFile readLog(std::string_view text) {
    return detectLogFormat(text) == LogFormat::kCabrillo ? readCabrilloLog(text) : readAdifLog(text);
}

std::string readLogBytes(const std::string& path) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw LogFileError("cannot read " + path + ": " + std::strerror(errno));
    }
    std::string bytes;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        throw LogFileError("cannot read " + path + ": " + std::strerror(errno));
    }
    return bytes;
}
