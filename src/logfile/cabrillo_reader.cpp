#include "logfile/cabrillo_reader.h"

#include <array>

#include "logfile/adif_contact.h"
#include "logfile/date_text.h"
#include "logfile/text.h"

namespace {

// Cabrillo's mode codes and the modes the host writes for them.
struct ModeCode {
    std::string_view code;
    const char* mode;
};
constexpr std::array<ModeCode, 5> kModeCodes{
    {{"CW", "CW"}, {"PH", "SSB"}, {"FM", "FM"}, {"RY", "RTTY"}, {"DG", "DIGI"}}};

// Band designators Cabrillo allows instead of a frequency above 30 MHz, in MHz.
constexpr std::array<uint32_t, 6> kBandDesignatorsMHz{{50, 70, 144, 222, 432, 902}};

// Tags whose repeated lines continue one value, and what joins the lines.
struct JoinedTag {
    std::string_view name;
    char separator;
};
constexpr std::array<JoinedTag, 3> kJoinedTags{{{"OPERATORS", ' '}, {"ADDRESS", '\n'}, {"SOAPBOX", '\n'}}};

std::vector<std::string_view> blankSeparated(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (true) {
        const size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) {
            return fields;
        }
        const size_t end = text.find_first_of(" \t", start);
        fields.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            return fields;
        }
        at = end;
    }
}

std::string quoted(std::string_view what, std::string_view value) {
    return std::string(what) + " \"" + shortened(value) + "\"";
}

// "YYYY-MM-DD" and "HHMM" as an OLE Automation date; false when either is
// malformed or impossible.
bool parseCabrilloDateTime(std::string_view date, std::string_view time, double& oleDate) {
    if (date.size() != 10 || time.size() != 4 || !allDigits(time)) {
        return false;
    }
    const std::string text =
        std::string(date) + "T" + std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2));
    return parseDateTimeText(text, oleDate);
}

bool isTagName(std::string_view name) {
    for (char c : name) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c) || c == '-' || c == '_';
        if (!allowed) {
            return false;
        }
    }
    return !name.empty();
}

}  // namespace

const std::string* findCabrilloTag(const std::vector<CabrilloTag>& header, std::string_view upperCaseName) {
    for (const CabrilloTag& entry : header) {
        if (entry.name == upperCaseName) {
            return &entry.value;
        }
    }
    return nullptr;
}

LogContact contactFromQsoFields(std::string_view text, std::vector<std::string>* warnings) {
    const std::vector<std::string_view> fields = blankSeparated(text);
    const bool transmitter = fields.size() == 11 && (fields[10] == "0" || fields[10] == "1");
    if (fields.size() != 10 && !transmitter) {
        throw FieldError(
            "a QSO line has 10 fields (frequency, mode, date, time, call, RST and exchange sent, call, "
            "RST and exchange received), this one has " +
            std::to_string(fields.size()));
    }
    LogContact contact;
    if (!parseFrequencyKHz(fields[0], contact.frequency)) {
        throw FieldError(quoted("frequency", fields[0]) + " is not a number of kHz");
    }
    for (uint32_t designator : kBandDesignatorsMHz) {
        if (contact.frequency == designator * 1000) {
            contact.frequency = designator * 1000000;
        }
    }
    contact.band = bandOfFrequency(contact.frequency);
    if (contact.band.empty() && warnings != nullptr) {
        warnings->push_back(quoted("frequency", fields[0]) + " kHz is in no amateur band");
    }

    const std::string code = upperCase(fields[1]);
    for (const ModeCode& known : kModeCodes) {
        if (code == known.code) {
            contact.mode = known.mode;
        }
    }
    if (contact.mode.empty()) {
        throw FieldError(quoted("mode", fields[1]) + " is none of CW, PH, FM, RY, DG");
    }
    if (!parseCabrilloDateTime(fields[2], "0000", contact.oleDate)) {
        throw FieldError(quoted("date", fields[2]) + " is not a date (YYYY-MM-DD)");
    }
    if (!parseCabrilloDateTime(fields[2], fields[3], contact.oleDate)) {
        throw FieldError(quoted("time", fields[3]) + " is not a time of day (HHMM)");
    }
    contact.ownCall = std::string(fields[4]);
    contact.rstSent = std::string(fields[5]);
    contact.exchangeSent = std::string(fields[6]);
    contact.call = std::string(fields[7]);
    contact.rstReceived = std::string(fields[8]);
    contact.exchangeReceived = std::string(fields[9]);
    contact.prefix = callPrefix(contact.call);
    return contact;
}

CabrilloLog readCabrillo(std::string_view text) {
    CabrilloLog log;
    size_t lineNumber = 0;
    size_t qsoNumber = 0;
    bool ended = false;
    bool warnedAfterEnd = false;
    bool started = false;
    auto problem = [&](LogProblem::Kind kind, size_t record, std::string message) {
        log.problems.push_back({kind, lineNumber, record, std::move(message)});
    };

    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        ++lineNumber;
        if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
            line.remove_prefix(3);
        }
        line = trimmed(line);
        if (line.empty()) {
            continue;
        }
        if (ended) {
            if (!warnedAfterEnd) {
                problem(LogProblem::Kind::kWarning, 0, "text after END-OF-LOG: is ignored");
                warnedAfterEnd = true;
            }
            continue;
        }
        const size_t colon = line.find(':');
        const std::string name = colon == std::string_view::npos ? std::string() : upperCase(line.substr(0, colon));
        if (colon == std::string_view::npos || !isTagName(name)) {
            problem(LogProblem::Kind::kSkipped, 0,
                    "neither a tag (NAME: value) nor a QSO line: " + quoted("line", line) + " is ignored");
            continue;
        }
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (name == "QSO") {
            ++qsoNumber;
            std::vector<std::string> warnings;
            try {
                LogContact contact = contactFromQsoFields(value, &warnings);
                contact.line = lineNumber;
                contact.record = qsoNumber;
                log.contacts.push_back(std::move(contact));
            } catch (const FieldError& error) {
                problem(LogProblem::Kind::kSkipped, qsoNumber, error.what());
            }
            for (std::string& warning : warnings) {
                problem(LogProblem::Kind::kWarning, qsoNumber, std::move(warning));
            }
            continue;
        }
        if (name == "X-QSO") {
            ++log.ignoredQsoLines;
            continue;
        }
        if (name == "END-OF-LOG") {
            ended = true;
            continue;
        }
        if (name == "START-OF-LOG") {
            started = true;
        }
        bool joined = false;
        for (const JoinedTag& joinedTag : kJoinedTags) {
            if (name != joinedTag.name) {
                continue;
            }
            for (CabrilloTag& earlier : log.header) {
                if (earlier.name == name) {
                    earlier.value += joinedTag.separator;
                    earlier.value += value;
                    joined = true;
                    break;
                }
            }
        }
        if (!joined) {
            log.header.push_back({name, std::string(value), lineNumber});
        }
    }
    if (!started) {
        log.problems.insert(log.problems.begin(),
                            LogProblem{LogProblem::Kind::kWarning, 0, 0, "no START-OF-LOG: line"});
    }
    return log;
}
