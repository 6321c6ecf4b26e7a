#include "contestcheck/log_reading.h"

#include <optional>
#include <utility>
#include <vector>

#include "abi/date_time_arg.h"
#include "calendar/calendar.h"
#include "calendar/minutes.h"
#include "engine/contact_outcome.h"
#include "engine/contest.h"
#include "logfile/log_file.h"
#include "logfile/text.h"
#include "scoring/log_scoring.h"

namespace torv::contestcheck {

using calendar::minuteOfOleDate;
using engine::ContactOutcome;
using engine::ContactResult;
using logfile::allDigits;
using logfile::decodedLogText;
using logfile::findCabrilloTag;
using logfile::formatName;
using logfile::LogContact;
using logfile::LogFile;
using logfile::LogFileError;
using logfile::LogFormat;
using logfile::LogProblem;
using logfile::notShownMessage;
using logfile::readLog;
using logfile::UnreadableRecord;
using scoring::ScoredLog;
using scoring::scoreLog;
using scoring::scoringSetupFor;

using crosscheck::EngineResult;
using crosscheck::Entrant;
using crosscheck::LogQso;

namespace {

size_t hashOf(std::string_view bytes) {
    return std::hash<std::string_view>()(bytes);
}

// The date the engine's reset takes for a minute of the contest period.
std::optional<abi::DateTimeArg> engineDate(const std::optional<int64_t>& minute) {
    if (!minute) {
        return std::nullopt;
    }
    const calendar::CivilMinute c = calendar::civilOf(*minute);
    return abi::DateTimeArg{calendar::oleDateFromCalendar(static_cast<int>(c.year), c.month, c.day, c.hour, c.minute),
                            abi::kDateTimeValid};
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
    // The reports name the last finding, the one that decided: the
    // refusal, or the duplicate.
    switch (outcome.result) {
        case ContactResult::kRefused:
            q.engine = EngineResult::kRefused;
            q.finding = outcome.findings.back().code;
            break;
        case ContactResult::kDupe:
            q.engine = EngineResult::kDupe;
            q.finding = outcome.findings.back().code;
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
    u.fault = record.fault;
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

}  // namespace

std::optional<std::string> otherContestOf(const LogFile& log) {
    for (const std::string& name : log.contestNames) {
        if (!engine::contest::namesTheContest(name)) {
            return name;
        }
    }
    return std::nullopt;
}

ReadLog leftOut(const std::string& path, const std::string& why) {
    ReadLog out;
    out.file.path = path;
    out.file.fate = crosscheck::FileFate::kLeftOut;
    out.file.reason = why;
    out.inputProblems = true;
    return out;
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
    file.qsoLines = static_cast<uint32_t>(log.contacts.size() + log.unreadable.size());
    file.unreadableLines = static_cast<uint32_t>(log.unreadable.size());
    file.call = crosscheck::normalised(log.stationCall);
    // Another contest's log is set aside before what its reader said is
    // kept: read by this contest's layout, that would only be noise.
    if (const std::optional<std::string> other = otherContestOf(log); other && !request.anyContest) {
        file.fate = crosscheck::FileFate::kOtherContest;
        file.reason = *other;
        out.inputProblems = true;
        return out;
    }
    for (const LogProblem& problem : log.problems.shown) {
        file.messages.push_back(problemMessage(problem));
    }
    if (log.problems.notShown > 0) {
        file.messages.push_back(notShownMessage(log.problems.notShown));
    }
    out.inputProblems = !log.unreadable.empty();
    if (file.call.empty()) {
        file.fate = crosscheck::FileFate::kLeftOut;
        file.reason = std::string(formatName(log.format)) +
                      " log that names no station (no CALLSIGN, STATION_CALLSIGN or OPERATOR)";
        out.inputProblems = true;
        return out;
    }
    if (log.contacts.empty()) {
        file.fate = crosscheck::FileFate::kNoContacts;
        out.inputProblems = true;
        return out;
    }

    const crosscheck::Period& period = request.settings.options.period;
    const ScoredLog scored =
        scoreLog(log.contacts, scoringSetupFor(log, std::string(), engineDate(period.start), engineDate(period.end)));
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
    if (const std::string* club = findCabrilloTag(log.cabrilloHeader, "CLUB")) {
        e.club = *club;
    }
    if (const std::string* soapbox = findCabrilloTag(log.cabrilloHeader, "SOAPBOX")) {
        e.soapbox = *soapbox;
    }
    e.claimedQsos = counted;
    e.claimedPoints = scored.numbers.points;
    e.claimedMultipliers = scored.numbers.multipliers;
    e.claimedScore = scored.numbers.score;
    out.usable = true;
    return out;
}

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

}  // namespace torv::contestcheck
