// The cross-check's public functions and the order of its rules
// (crosscheck.h): a contact's own status, the clocks, the pairs, busted
// calls by the other log, the duplicate takeover, the judgement of each
// side, busted calls by the call history, the consensus exchanges, the
// excuses, then the committee's decisions. Each rule's work is in a file of
// its own: contest_index (call interning), pair_index (the pairing rounds
// and the takeover), clock_offset, busted_calls, call_history, consensus,
// excuses, decisions.
#include "crosscheck/crosscheck.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crosscheck/busted_calls.h"
#include "crosscheck/call_history.h"
#include "crosscheck/category.h"
#include "crosscheck/clock_offset.h"
#include "crosscheck/consensus.h"
#include "crosscheck/contest_index.h"
#include "crosscheck/decisions.h"
#include "crosscheck/excuses.h"
#include "crosscheck/pair_index.h"
#include "engine/area.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using calendar::lowerCase;
using detail::bustByCallHistory;
using detail::ConsensusOf;
using detail::ConsensusTable;
using detail::Contest;
using detail::estimateClocks;
using detail::excuseByUnreadableLines;
using detail::HistoryBust;
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

std::string otherCallOf(const std::vector<SubmittedLog>& logs, const LogVerdict& verdict, const QsoVerdict& v) {
    if (v.otherLog >= 0) {
        return logs[static_cast<size_t>(v.otherLog)].call;
    }
    const Evidence* e = evidenceOf(verdict, v);
    const bool named = v.status == QsoStatus::kConfirmed || v.status == QsoStatus::kBustedCall ||
                       v.status == QsoStatus::kBustedExchange;
    if (e != nullptr && named && (e->kind == EvidenceKind::kCallHistory || e->kind == EvidenceKind::kLoneCopy)) {
        return e->call.str();
    }
    return std::string();
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

// How a contact's pair was made, for the rules that follow the pairing.
enum class PairedBy : uint8_t { kPairing, kBustedSeeker, kBustedFound };

// The pairs and the rules over them, in order: the busted calls with the
// other log's evidence (rule 2), the duplicate takeover (rule 3), then each
// contact judged for itself.
struct Pairs {
    std::vector<int32_t> partner;
    std::vector<PairedBy> by;
};

Pairs pairContacts(const Contest& contest, const PairIndex& index, const std::vector<int64_t>& minutes,
                   const std::vector<int64_t>& offsets, int64_t window) {
    Pairs pairs;
    pairs.partner = index.pairUp(offsets, window);
    pairs.by.assign(contest.size(), PairedBy::kPairing);
    pairBustedCalls(contest, minutes, window, pairs.partner, [&pairs](uint32_t x, uint32_t y) {
        pairs.by[x] = PairedBy::kBustedSeeker;
        pairs.by[y] = PairedBy::kBustedFound;
    });
    // Only a twin paired by the pairing gives its pair away.
    std::vector<uint8_t> mayGive(contest.size(), 0);
    for (uint32_t f = 0; f < contest.size(); ++f) {
        mayGive[f] = pairs.by[f] == PairedBy::kPairing ? 1 : 0;
    }
    index.takeOver(window, pairs.partner, mayGive);
    return pairs;
}

// Each contact's status from its pair, each side judged for itself; an
// unpaired contact is not in the other's log, or the other sent none.
std::vector<QsoStatus> judgedStatuses(const Contest& contest, const Pairs& pairs, const std::vector<QsoStatus>& own) {
    const size_t n = contest.size();
    std::vector<QsoStatus> status(n, QsoStatus::kNil);
    for (uint32_t f = 0; f < n; ++f) {
        QsoStatus judged = QsoStatus::kNil;
        const int32_t other = pairs.partner[f];
        if (other >= 0 && pairs.by[f] == PairedBy::kBustedSeeker) {
            judged = QsoStatus::kBustedCall;
        } else if (other >= 0) {
            judged = contest.received(f) == contest.sent(static_cast<uint32_t>(other)) ? QsoStatus::kConfirmed
                                                                                       : QsoStatus::kBustedExchange;
        } else if (contest.logOfCall(contest.worked(f)) < 0) {
            judged = contest.logsHolding(contest.worked(f)) <= 1 ? QsoStatus::kUnique : QsoStatus::kUnverified;
        }
        status[f] = own[f] != kPairingDecides ? own[f] : judged;
    }
    return status;
}

// Evidence gathered per contact, handed to its log's verdict at the end.
using EvidenceList = std::vector<std::pair<uint32_t, Evidence>>;

// The call history (rule 4) and the consensus exchanges (rule 5).
void judgeByTheContest(const Contest& contest, const std::vector<int64_t>& minutes, const Pairs& pairs,
                       std::vector<QsoStatus>& status, EvidenceList& evidence) {
    const ConsensusTable consensus(contest);
    bustByCallHistory(contest, minutes, status, consensus, [&](uint32_t f, const HistoryBust& bust) {
        status[f] = QsoStatus::kBustedCall;
        Evidence e;
        e.kind = EvidenceKind::kCallHistory;
        e.callLog = contest.logOfCall(bust.call);
        e.count = bust.holders;
        e.total = 1;
        e.call = contest.callText(bust.call);
        evidence.emplace_back(f, std::move(e));
    });
    for (uint32_t f = 0; f < contest.size(); ++f) {
        if (status[f] != QsoStatus::kUnverified || pairs.partner[f] >= 0) {
            continue;
        }
        const uint32_t call = contest.worked(f);
        const std::optional<ConsensusOf> agreed = consensus.of(call);
        if (!agreed) {
            continue;
        }
        Evidence e;
        e.count = agreed->agree;
        e.total = agreed->votes;
        e.call = contest.callText(call);
        e.exchange = contest.exchangeText(agreed->exchange);
        const uint32_t received = contest.received(f);
        if (received == agreed->exchange) {
            e.kind = EvidenceKind::kAsConsensus;
        } else {
            const std::optional<uint32_t> ownVote = consensus.voteOf(call, contest.logOfFlat(f));
            const uint32_t others = consensus.votesFor(call, received) - (ownVote == received ? 1 : 0);
            e.kind = others == 0 ? EvidenceKind::kLoneCopy : EvidenceKind::kMinorityCopy;
            status[f] = others == 0 ? QsoStatus::kBustedExchange : QsoStatus::kUnverified;
        }
        evidence.emplace_back(f, std::move(e));
    }
}

}  // namespace

CrossCheckResult checkContest(const std::vector<SubmittedLog>& logs, const CheckOptions& options) {
    const Contest contest(logs);
    CrossCheckResult result;
    std::vector<LogVerdict>& verdicts = result.verdicts;
    verdicts.resize(logs.size());
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
    const Pairs pairs = pairContacts(contest, index, minutes, offsets, options.windowMinutes);
    std::vector<QsoStatus> status = judgedStatuses(contest, pairs, own);
    EvidenceList evidence;
    judgeByTheContest(contest, minutes, pairs, status, evidence);

    for (size_t l = 0; l < logs.size(); ++l) {
        LogVerdict& verdict = verdicts[l];
        verdict.qsos.resize(logs[l].qsos.size());
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            QsoVerdict& v = verdict.qsos[f - contest.begin(l)];
            v.status = status[f];
            if (pairs.partner[f] >= 0) {
                const uint32_t other = static_cast<uint32_t>(pairs.partner[f]);
                const uint32_t otherLog = contest.logOfFlat(other);
                v.otherLog = static_cast<int32_t>(otherLog);
                v.otherQso = other - contest.begin(otherLog);
            }
        }
    }
    std::sort(evidence.begin(), evidence.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [f, e] : evidence) {
        LogVerdict& verdict = verdicts[contest.logOfFlat(f)];
        verdict.evidence.push_back(std::move(e));
        verdict.qsos[f - contest.begin(contest.logOfFlat(f))].evidence = static_cast<uint32_t>(verdict.evidence.size());
    }
    // A contact not in the other's log, where that log has a line naming
    // this station at that time that could not be read, is unverified.
    excuseByUnreadableLines(contest, minutes, offsets, options.windowMinutes, status, [&](uint32_t f, uint32_t line) {
        QsoVerdict& v = verdicts[contest.logOfFlat(f)].qsos[f - contest.begin(contest.logOfFlat(f))];
        v.status = QsoStatus::kUnverified;
        v.unreadableLine = line;
    });
    result.decisionProblems = applyDecisions(logs, options.decisions, verdicts);
    return result;
}

std::vector<LogVerdict> crossCheck(const std::vector<SubmittedLog>& logs, const CheckOptions& options) {
    return checkContest(logs, options).verdicts;
}

}  // namespace torv::crosscheck
