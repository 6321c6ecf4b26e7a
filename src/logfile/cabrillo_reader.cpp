#include "logfile/cabrillo_reader.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "logfile/adif_contact.h"
#include "logfile/cabrillo_category.h"
#include "logfile/cabrillo_columns.h"
#include "logfile/date_text.h"
#include "logfile/text.h"

namespace torv::logfile {

using calendar::isAsciiLetter;
using calendar::upperCase;

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

// What follows the number of fields of a line of another layout.
constexpr const char* kLayoutNote = "; TORV's layout has 10 or 11 (call, report and exchange each side)";

// The fewest fields of a line that its columns may still make whole: the
// reports and exchanges blank.
constexpr size_t kShortestByColumns = 6;

// The transmitter column: any token of at most this many characters (0, 1,
// 2, A, ...), as loggers number their transmitters.
constexpr size_t kTransmitterLength = 3;

// Whether a field can be a call sign: a letter and a digit, at least. An
// eleventh field after a line whose received call is no call is one field
// too many in the exchange, not a transmitter.
bool callLike(std::string_view field) {
    bool letter = false;
    bool digit = false;
    for (char c : field) {
        letter = letter || isAsciiLetter(c);
        digit = digit || isDigit(c);
    }
    return letter && digit;
}

// "YYYY-MM-DD" and "HHMM" as an OLE Automation date; false when either is
// malformed or impossible.
bool parseCabrilloDateTime(std::string_view date, std::string_view time, double& oleDate) {
    if (date.size() != 10 || time.size() != 4 || !allDigits(time)) {
        return false;
    }
    // "YYYY-MM-DDTHH:MM", made where no allocation is needed.
    char text[16];
    date.copy(text, 10);
    text[10] = 'T';
    time.copy(text + 11, 2);
    text[13] = ':';
    time.copy(text + 14, 2, 2);
    return parseDateTimeText(std::string_view(text, sizeof text), oleDate);
}

// "1 field", "12 fields".
std::string fieldCount(size_t count) {
    return std::to_string(count) + (count == 1 ? " field" : " fields");
}

bool isTagName(std::string_view name) {
    for (char c : name) {
        const bool allowed = isAsciiLetter(c) || isDigit(c) || c == '-' || c == '_';
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
    return contactFromQsoFields(blankSeparated(text), warnings);
}

LogContact contactFromQsoFields(const std::vector<std::string_view>& fields, std::vector<std::string>* warnings) {
    if (fields.size() != kTorvQsoFields && fields.size() != kTorvQsoFields + 1) {
        throw FieldError({ReadFaultKind::kFieldCount, std::to_string(fields.size()), {}});
    }
    LogContact contact;
    if (fields.size() > kTorvQsoFields) {
        if (fields[kTorvQsoFields].size() > kTransmitterLength || !callLike(fields[7])) {
            throw FieldError({ReadFaultKind::kNoTransmitter, shortened(fields[kTorvQsoFields]), {}});
        }
        contact.transmitter = std::string(fields[kTorvQsoFields]);
    }
    if (!parseFrequencyKHz(fields[0], contact.frequency)) {
        throw FieldError({ReadFaultKind::kFrequencyKHz, shortened(fields[0]), {}});
    }
    for (uint32_t designator : kBandDesignatorsMHz) {
        if (contact.frequency == designator * 1000) {
            contact.frequency = designator * 1000000;
        }
    }
    contact.band = bandOfFrequency(contact.frequency);
    if (contact.band.empty() && warnings != nullptr) {
        warnings->push_back(contact.frequency == 0 ? std::string("no frequency (0): the contact has no band")
                                                   : quoted("frequency", fields[0]) + " kHz is in no amateur band");
    }

    const std::string code = upperCase(fields[1]);
    for (const ModeCode& known : kModeCodes) {
        if (code == known.code) {
            contact.mode = known.mode;
        }
    }
    if (contact.mode.empty()) {
        throw FieldError({ReadFaultKind::kCabrilloMode, shortened(fields[1]), {}});
    }
    if (!parseCabrilloDateTime(fields[2], fields[3], contact.oleDate)) {
        double midnight = 0;
        if (!parseCabrilloDateTime(fields[2], "0000", midnight)) {
            throw FieldError({ReadFaultKind::kCabrilloDate, shortened(fields[2]), {}});
        }
        throw FieldError({ReadFaultKind::kCabrilloTime, shortened(fields[3]), {}});
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

namespace {

// A QSO line, its fields after "QSO:" and where it stands.
struct QsoLine {
    std::string_view line;  // the whole line, for its columns
    std::string_view value;
    size_t lineNumber;
    size_t record;
};

// Reads QSO lines into the log: lines a few fields short (blank reports or
// exchanges) wait until every full line has shown the log's columns; lines
// of another layout are counted by their number of fields and reported
// together.
class QsoReader {
public:
    explicit QsoReader(CabrilloLog& log) : log_(log) {}

    void read(const QsoLine& qso) {
        std::vector<std::string_view>& fields = fields_;
        blankSeparated(qso.value, fields);
        if (fields.size() == kTorvQsoFields || fields.size() == kTorvQsoFields + 1) {
            if (add(qso, fields)) {
                columns_.learn(qso.line, fields);
            }
        } else if (fields.size() < kTorvQsoFields && fields.size() >= kShortestByColumns) {
            shortLines_.push_back(qso);
        } else {
            otherLayout(qso, fields);
        }
    }

    // Reads the lines one field short, and reports the other layouts.
    void finish() {
        const size_t readBefore = log_.contacts.size();
        const size_t unreadableBefore = log_.unreadable.size();
        for (const QsoLine& qso : shortLines_) {
            const std::vector<std::string_view> fields = blankSeparated(qso.value);
            if (auto columns = columns_.read(qso.line, fields)) {
                add(qso, *columns);
            } else {
                otherLayout(qso, fields);
            }
        }
        // Back into file order, by record.
        auto byRecord = [](const auto& a, const auto& b) { return a.record < b.record; };
        std::inplace_merge(log_.contacts.begin(), log_.contacts.begin() + static_cast<std::ptrdiff_t>(readBefore),
                           log_.contacts.end(), byRecord);
        std::inplace_merge(log_.unreadable.begin(),
                           log_.unreadable.begin() + static_cast<std::ptrdiff_t>(unreadableBefore),
                           log_.unreadable.end(), byRecord);
        for (const auto& [count, layout] : otherLayouts_) {
            const size_t lines = layout.lines;
            log_.problems.add({LogProblem::Kind::kSkipped, layout.firstLine, 0,
                               std::to_string(lines) + " of " + std::to_string(log_.qsoLines) +
                                   (lines == 1 ? " QSO lines has " : " QSO lines have ") + fieldCount(count) +
                                   kLayoutNote});
        }
    }

private:
    // Adds the contact of the fields, or reports why there is none; true
    // when there is.
    bool add(const QsoLine& qso, const std::vector<std::string_view>& fields) {
        std::vector<std::string> warnings;
        bool added = false;
        try {
            LogContact contact = contactFromQsoFields(fields, &warnings);
            contact.line = qso.lineNumber;
            contact.record = qso.record;
            log_.contacts.push_back(std::move(contact));
            added = true;
        } catch (const FieldError& error) {
            log_.problems.add({LogProblem::Kind::kSkipped, qso.lineNumber, qso.record, error.what()});
            unreadable(qso, fields, error.fault());
        }
        for (std::string& warning : warnings) {
            log_.problems.add({LogProblem::Kind::kWarning, qso.lineNumber, qso.record, std::move(warning)});
        }
        return added;
    }

    void otherLayout(const QsoLine& qso, const std::vector<std::string_view>& fields) {
        OtherLayout& layout = otherLayouts_[fields.size()];
        layout.firstLine = layout.lines++ == 0 ? qso.lineNumber : std::min(layout.firstLine, qso.lineNumber);
        unreadable(qso, fields, {ReadFaultKind::kFieldCount, std::to_string(fields.size()), {}});
    }

    // What can still be read of a line: its date and time where every
    // Cabrillo layout has them, the call where TORV's has it.
    void unreadable(const QsoLine& qso, const std::vector<std::string_view>& fields, ReadFault fault) {
        UnreadableRecord record{qso.lineNumber, qso.record, std::move(fault), std::string(), std::nullopt};
        double oleDate = 0;
        if (fields.size() > 3 && parseCabrilloDateTime(fields[2], fields[3], oleDate)) {
            record.oleDate = oleDate;
        }
        if (fields.size() == kTorvQsoFields || fields.size() == kTorvQsoFields + 1) {
            record.call = std::string(fields[7]);
        }
        log_.unreadable.push_back(std::move(record));
    }

    CabrilloLog& log_;
    std::vector<std::string_view> fields_;  // of the line being read
    QsoColumns columns_;
    std::vector<QsoLine> shortLines_;
    // The lines of other layouts by their number of fields, reported at the first.
    struct OtherLayout {
        size_t lines = 0;
        size_t firstLine = 0;
    };
    std::map<size_t, OtherLayout> otherLayouts_;
};

// A header tag; one of the tags a log may give on several lines is joined
// to its first line.
void addHeaderTag(CabrilloLog& log, const std::string& name, std::string_view value, size_t lineNumber) {
    for (const JoinedTag& joinedTag : kJoinedTags) {
        if (name != joinedTag.name) {
            continue;
        }
        for (CabrilloTag& earlier : log.header) {
            if (earlier.name == name) {
                earlier.value += joinedTag.separator;
                earlier.value += value;
                return;
            }
        }
    }
    log.header.push_back({name, std::string(value), lineNumber});
}

// The line that starts at start, without its '\n'; start moves to the next.
std::string_view nextLine(std::string_view text, size_t& start) {
    const size_t end = text.find('\n', start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    start = end == std::string_view::npos ? text.size() : end + 1;
    return line;
}

}  // namespace

CabrilloLog readCabrillo(std::string_view text) {
    CabrilloLog log;
    QsoReader qsos(log);
    size_t lineNumber = 0;
    bool ended = false;
    bool warnedAfterEnd = false;
    bool started = false;
    auto problem = [&](LogProblem::Kind kind, std::string message) {
        log.problems.add({kind, lineNumber, 0, std::move(message)});
    };

    for (size_t start = 0; start < text.size();) {
        std::string_view whole = nextLine(text, start);
        ++lineNumber;
        if (lineNumber == 1 && whole.substr(0, 3) == "\xEF\xBB\xBF") {
            whole.remove_prefix(3);
        }
        const std::string_view line = trimmedOfBlanks(whole);
        if (line.empty()) {
            continue;
        }
        if (ended) {
            if (!std::exchange(warnedAfterEnd, true)) {
                problem(LogProblem::Kind::kWarning, "text after END-OF-LOG: is ignored");
            }
            continue;
        }
        const size_t colon = line.find(':');
        const std::string name =
            colon == std::string_view::npos ? std::string() : upperCase(trimmedOfBlanks(line.substr(0, colon)));
        if (colon == std::string_view::npos || !isTagName(name)) {
            problem(LogProblem::Kind::kSkipped,
                    "neither a tag (NAME: value) nor a QSO line: " + quoted("line", line) + " is ignored");
            continue;
        }
        const std::string_view value = trimmedOfBlanks(line.substr(colon + 1));
        if (name == "QSO") {
            qsos.read({whole, value, lineNumber, ++log.qsoLines});
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
        addHeaderTag(log, name, value, lineNumber);
    }
    qsos.finish();
    addCategoryTags(log.header, log.problems);
    if (!started) {
        log.problems.add({LogProblem::Kind::kWarning, 0, 0, "no START-OF-LOG: line"});
    }
    return log;
}

}  // namespace torv::logfile
