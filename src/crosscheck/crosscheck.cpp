// The cross-check's public functions and the order of its rules
// (crosscheck.h): a contact's own status, the clocks, the pairs, busted
// calls, the rest, then the excuses. Each rule's work is in a file of its
// own: contest_index (call interning), pair_index (the pairing rounds),
// clock_offset, busted_calls, excuses.
#include "crosscheck/crosscheck.h"

#include <cstdint>
#include <string>
#include <vector>

#include "crosscheck/busted_calls.h"
#include "crosscheck/category.h"
#include "crosscheck/clock_offset.h"
#include "crosscheck/contest_index.h"
#include "crosscheck/excuses.h"
#include "crosscheck/pair_index.h"
#include "engine/area.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using calendar::lowerCase;
using detail::Contest;
using detail::estimateClocks;
using detail::excuseByUnreadableLines;
using detail::pairBustedCalls;
using detail::PairIndex;
using engine::normalisedExchange;

const char* statusWord(QsoStatus status) {
    static_assert(contest::kCheckStatusWords.size() == kStatusCount);
    const size_t index = static_cast<size_t>(status);
    return index < contest::kCheckStatusWords.size() ? contest::kCheckStatusWords[index] : "";
}

CategoryBand categoryBandOf(std::string_view categoryBand) {
    const std::string value = categoryText(categoryBand);
    CategoryBand category;
    if (namesBand(value)) {
        category.band = lowerCase(value);
        category.contestBand = !namesOtherBand(value);
    }
    return category;
}

std::string normalised(std::string_view text) {
    return normalisedExchange(text);
}

namespace {

// The own status of a contact that has none: the pairing decides.
constexpr QsoStatus kPairingDecides = QsoStatus::kConfirmed;

// The statuses a contact has of its own, whatever the pairs: refused (by
// the engine, or on no band the contest counts) and duplicate now; outside
// the period and on another band once the clocks are known.
std::vector<QsoStatus> statusesOfTheirOwn(const Contest& contest) {
    std::vector<QsoStatus> own(contest.size(), kPairingDecides);
    for (uint32_t f = 0; f < contest.size(); ++f) {
        if (contest.engine(f) == EngineResult::kRefused || !contest.onCountedBand(f)) {
            own[f] = QsoStatus::kRefused;
        } else if (contest.engine(f) == EngineResult::kDupe) {
            own[f] = QsoStatus::kDupe;
        }
    }
    return own;
}

// Each contact's time corrected by its log's clock; a contact left to the
// pairing becomes OUT-OF-PERIOD or OTHER-BAND by it and by the entrant's
// category band.
std::vector<int64_t> correctedMinutes(const Contest& contest, const std::vector<SubmittedLog>& logs,
                                      const CheckOptions& options, std::vector<LogVerdict>& verdicts,
                                      std::vector<QsoStatus>& own) {
    std::vector<int64_t> minutes(contest.size());
    for (size_t l = 0; l < logs.size(); ++l) {
        const CategoryBand category = categoryBandOf(logs[l].categoryBand);
        const std::string single = category.contestBand ? category.band : std::string();
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            minutes[f] = contest.minute(f) - verdicts[l].offsetMinutes;
            if (own[f] != kPairingDecides) {
                continue;
            }
            if (options.period.excludes(minutes[f])) {
                own[f] = QsoStatus::kOutOfPeriod;
            } else if (!single.empty() && logs[l].qsos[f - contest.begin(l)].band != single) {
                own[f] = QsoStatus::kOtherBand;
            }
        }
    }
    return minutes;
}

// Each contact's status from the pairs on the corrected times, each side
// judged for itself; partner gains the busted calls' counterparts.
std::vector<QsoStatus> judgedStatuses(const Contest& contest, const std::vector<int64_t>& minutes, int64_t window,
                                      const std::vector<QsoStatus>& own, std::vector<int32_t>& partner) {
    const size_t n = contest.size();
    auto keptOr = [&own](uint32_t f, QsoStatus status) { return own[f] != kPairingDecides ? own[f] : status; };
    std::vector<QsoStatus> status(n, QsoStatus::kNil);
    std::vector<bool> decided(n, false);
    auto judge = [&](uint32_t f, uint32_t other) {
        const QsoStatus exchange =
            contest.received(f) == contest.sent(other) ? QsoStatus::kConfirmed : QsoStatus::kBustedExchange;
        status[f] = keptOr(f, exchange);
        decided[f] = true;
    };
    for (uint32_t f = 0; f < n; ++f) {
        if (partner[f] >= 0) {
            judge(f, static_cast<uint32_t>(partner[f]));
        }
    }
    // Busted calls: an unpaired contact of A with B, and an unpaired contact
    // with A in the log of a station C one edit from B.
    pairBustedCalls(contest, minutes, window, partner, [&](uint32_t x, uint32_t y) {
        status[x] = keptOr(x, QsoStatus::kBustedCall);
        decided[x] = true;
        judge(y, x);
    });
    // The rest: not in the other's log, or the other sent none.
    for (uint32_t f = 0; f < n; ++f) {
        if (decided[f]) {
            continue;
        }
        const uint32_t b = contest.worked(f);
        QsoStatus rest = QsoStatus::kNil;
        if (contest.logOfCall(b) < 0) {
            rest = contest.logsHolding(b) <= 1 ? QsoStatus::kUnique : QsoStatus::kUnverified;
        }
        status[f] = keptOr(f, rest);
    }
    return status;
}

}  // namespace

std::vector<LogVerdict> crossCheck(const std::vector<SubmittedLog>& logs, const CheckOptions& options) {
    const Contest contest(logs);
    std::vector<LogVerdict> verdicts(logs.size());
    std::vector<QsoStatus> own = statusesOfTheirOwn(contest);
    std::vector<uint8_t> counted(contest.size(), 0);
    for (uint32_t f = 0; f < contest.size(); ++f) {
        counted[f] = own[f] == kPairingDecides ? 1 : 0;
    }
    const PairIndex index(contest, counted);
    estimateClocks(contest, index, options.offsetWindowMinutes, verdicts);
    const std::vector<int64_t> minutes = correctedMinutes(contest, logs, options, verdicts, own);
    std::vector<int64_t> offsets(logs.size());
    for (size_t l = 0; l < logs.size(); ++l) {
        offsets[l] = verdicts[l].offsetMinutes;
    }
    std::vector<int32_t> partner = index.pairUp(offsets, options.windowMinutes, true);
    const std::vector<QsoStatus> status = judgedStatuses(contest, minutes, options.windowMinutes, own, partner);

    for (size_t l = 0; l < logs.size(); ++l) {
        LogVerdict& verdict = verdicts[l];
        verdict.qsos.resize(logs[l].qsos.size());
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            QsoVerdict& v = verdict.qsos[f - contest.begin(l)];
            v.status = status[f];
            if (partner[f] >= 0) {
                const uint32_t other = static_cast<uint32_t>(partner[f]);
                const uint32_t otherLog = contest.logOfFlat(other);
                v.otherLog = static_cast<int32_t>(otherLog);
                v.otherQso = other - contest.begin(otherLog);
            }
        }
    }
    // A contact not in the other's log, where that log has a line naming
    // this station at that time that could not be read, is unverified.
    excuseByUnreadableLines(contest, minutes, offsets, options.windowMinutes, status, [&](uint32_t f, uint32_t line) {
        QsoVerdict& v = verdicts[contest.logOfFlat(f)].qsos[f - contest.begin(contest.logOfFlat(f))];
        v.status = QsoStatus::kUnverified;
        v.unreadableLine = line;
    });
    return verdicts;
}

}  // namespace torv::crosscheck
