#include "crosscheck/crosscheck.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "crosscheck/one_edit.h"
#include "crosscheck/pairing.h"
#include "engine/area.h"

namespace crosscheck {

namespace {

constexpr int32_t kUnpaired = -1;

// One contact in the index of pairs: whom it logged on which band and mode
// (one key), when, on which line. A log's entries sorted by these fields are
// its groups of contacts with one station on one band and mode, in time order.
struct PairEntry {
    uint64_t group;  // worked call id << 32 | band-and-mode id
    int64_t minute;  // as logged
    uint32_t line;
    uint32_t flat;
};

bool pairKeyLess(const PairEntry& a, const PairEntry& b) {
    if (a.group != b.group) {
        return a.group < b.group;
    }
    if (a.minute != b.minute) {
        return a.minute < b.minute;
    }
    return a.line != b.line ? a.line < b.line : a.flat < b.flat;
}

uint64_t groupOf(uint32_t worked, uint32_t bandMode) {
    return (static_cast<uint64_t>(worked) << 32) | bandMode;
}

uint32_t workedOfGroup(uint64_t group) {
    return static_cast<uint32_t>(group >> 32);
}

// Every contact of every log, flattened, with the calls interned: the ids
// follow the calls' text order, so comparing ids compares calls.
class Contest {
public:
    explicit Contest(const std::vector<SubmittedLog>& logs) : logs_(logs) {
        size_t total = 0;
        base_.reserve(logs.size() + 1);
        for (const SubmittedLog& log : logs) {
            base_.push_back(static_cast<uint32_t>(total));
            total += log.qsos.size();
        }
        base_.push_back(static_cast<uint32_t>(total));
        internCalls();
        internBandModes();
    }

    size_t size() const { return worked_.size(); }
    size_t logCount() const { return logs_.size(); }
    uint32_t begin(size_t log) const { return base_[log]; }
    uint32_t end(size_t log) const { return base_[log + 1]; }
    uint32_t logOfFlat(uint32_t flat) const { return flatLog_[flat]; }
    // The id of the log's own call.
    uint32_t callOfLog(size_t log) const { return logCall_[log]; }
    uint32_t line(uint32_t flat) const { return line_[flat]; }
    int64_t minute(uint32_t flat) const { return minute_[flat]; }
    EngineResult engine(uint32_t flat) const { return engine_[flat]; }
    // Exchanges by their normalised text: equal ids, equal exchanges.
    uint32_t sent(uint32_t flat) const { return sent_[flat]; }
    uint32_t received(uint32_t flat) const { return received_[flat]; }

    uint32_t caller(uint32_t flat) const { return caller_[flat]; }
    uint32_t worked(uint32_t flat) const { return worked_[flat]; }
    uint32_t bandMode(uint32_t flat) const { return bandMode_[flat]; }
    std::string_view callText(uint32_t id) const { return calls_[id]; }
    // The log a call submitted, or -1.
    int32_t logOfCall(uint32_t id) const { return logOfCall_[id]; }
    // How many logs hold at least one contact with the call.
    uint32_t logsHolding(uint32_t id) const { return logsHolding_[id]; }

private:
    void internCalls() {
        std::deque<std::string> owned;
        std::unordered_map<std::string_view, uint32_t> ids;
        std::vector<std::string_view> texts;
        auto intern = [&](std::string_view call) -> uint32_t {
            std::string_view key = call;
            if (std::string upper = normalised(call); upper != call) {
                owned.push_back(std::move(upper));
                key = owned.back();
            }
            auto [it, added] = ids.emplace(key, static_cast<uint32_t>(texts.size()));
            if (added) {
                texts.push_back(key);
            }
            return it->second;
        };
        std::vector<uint32_t> logCall(logs_.size());
        const size_t total = base_.back();
        worked_.resize(total);
        line_.resize(total);
        minute_.resize(total);
        engine_.resize(total);
        sent_.resize(total);
        received_.resize(total);
        // One pass over the contacts in memory order; the rules then work on
        // these dense arrays only.
        std::unordered_map<std::string, uint32_t> exchanges;
        auto exchangeId = [&](std::string_view exchange) {
            return exchanges.emplace(normalised(exchange), static_cast<uint32_t>(exchanges.size())).first->second;
        };
        for (size_t l = 0; l < logs_.size(); ++l) {
            logCall[l] = intern(logs_[l].call);
            uint32_t flat = base_[l];
            for (const LogQso& q : logs_[l].qsos) {
                worked_[flat] = intern(q.call);
                line_[flat] = q.line;
                minute_[flat] = q.minute;
                engine_[flat] = q.engine;
                sent_[flat] = exchangeId(q.exchangeSent);
                received_[flat] = exchangeId(q.exchangeReceived);
                ++flat;
            }
        }
        // Ids in the calls' text order.
        std::vector<uint32_t> order(texts.size());
        for (uint32_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return texts[a] < texts[b]; });
        std::vector<uint32_t> rank(texts.size());
        calls_.resize(texts.size());
        for (uint32_t r = 0; r < order.size(); ++r) {
            rank[order[r]] = r;
            calls_[r] = std::string(texts[order[r]]);
        }
        for (uint32_t& id : worked_) {
            id = rank[id];
        }
        logOfCall_.assign(calls_.size(), -1);
        caller_.resize(total);
        logsHolding_.assign(calls_.size(), 0);
        std::vector<int32_t> lastHolder(calls_.size(), -1);
        flatLog_.resize(total);
        logCall_.resize(logs_.size());
        for (size_t l = 0; l < logs_.size(); ++l) {
            const uint32_t id = rank[logCall[l]];
            logCall_[l] = id;
            if (logOfCall_[id] < 0) {
                logOfCall_[id] = static_cast<int32_t>(l);
            }
            for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
                caller_[f] = id;
                flatLog_[f] = static_cast<uint32_t>(l);
                if (lastHolder[worked_[f]] != static_cast<int32_t>(l)) {
                    lastHolder[worked_[f]] = static_cast<int32_t>(l);
                    ++logsHolding_[worked_[f]];
                }
            }
        }
        // A second log of a call is nobody's counterpart: its contacts are
        // indexed under a caller no one works.
        for (size_t l = 0; l < logs_.size(); ++l) {
            if (logOfCall_[rank[logCall[l]]] != static_cast<int32_t>(l)) {
                for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
                    caller_[f] = std::numeric_limits<uint32_t>::max();
                }
            }
        }
    }

    void internBandModes() {
        std::unordered_map<std::string, uint32_t> ids;
        std::string key;
        bandMode_.resize(base_.back());
        uint32_t f = 0;
        for (const SubmittedLog& log : logs_) {
            for (const LogQso& q : log.qsos) {
                key.assign(q.band);
                key.push_back('\n');
                key.append(q.mode);
                bandMode_[f++] = ids.emplace(key, static_cast<uint32_t>(ids.size())).first->second;
            }
        }
    }

    const std::vector<SubmittedLog>& logs_;
    std::vector<uint32_t> base_;
    std::vector<uint32_t> line_;
    std::vector<int64_t> minute_;
    std::vector<EngineResult> engine_;
    std::vector<uint32_t> sent_;
    std::vector<uint32_t> received_;
    std::vector<std::string> calls_;
    std::vector<uint32_t> worked_;
    std::vector<uint32_t> caller_;
    std::vector<uint32_t> flatLog_;
    std::vector<uint32_t> logCall_;
    std::vector<uint32_t> bandMode_;
    std::vector<int32_t> logOfCall_;
    std::vector<uint32_t> logsHolding_;
};

// The contacts that may pair, sorted once, log by log: every entry of a log
// has the same caller, so a log's entries sorted alone are its groups in
// order, and the other side's group is found by a search within the other
// log. The cost per contact depends on the size of a log, not of the
// contest. A clock correction moves all of a log's times alike, so the
// order holds for corrected times too.
class PairIndex {
public:
    explicit PairIndex(const Contest& contest) : contest_(contest), logStart_(contest.logCount() + 1, 0) {
        entries_.reserve(contest.size());
        for (size_t l = 0; l < contest.logCount(); ++l) {
            logStart_[l] = entries_.size();
            for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
                const uint32_t caller = contest.caller(f);
                const uint32_t worked = contest.worked(f);
                if (caller == worked || caller == std::numeric_limits<uint32_t>::max() ||
                    contest.logOfCall(worked) < 0) {
                    continue;
                }
                entries_.push_back({groupOf(worked, contest.bandMode(f)), contest.minute(f), contest.line(f), f});
            }
            std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[l]), entries_.end(), pairKeyLess);
        }
        logStart_[contest.logCount()] = entries_.size();
    }

    // Pairs contacts of two stations that logged each other on the same
    // band and mode, at most window minutes apart once each log's time is
    // moved back by its offset. Returns each contact's partner (a flat
    // index) or kUnpaired.
    std::vector<int32_t> pairUp(const std::vector<int64_t>& offsets, int64_t window) const {
        std::vector<int32_t> partner(contest_.size(), kUnpaired);
        GroupPairing room;
        for (size_t l = 0; l < contest_.logCount(); ++l) {
            const uint32_t caller = contest_.callOfLog(l);
            const size_t end = logStart_[l + 1];
            for (size_t start = logStart_[l]; start < end;) {
                size_t stop = start + 1;
                while (stop < end && entries_[stop].group == entries_[start].group) {
                    ++stop;
                }
                const uint32_t worked = workedOfGroup(entries_[start].group);
                // Each pair of groups once, from the side whose call sorts first.
                if (caller < worked && contest_.logOfCall(caller) == static_cast<int32_t>(l)) {
                    pairGroup(l, start, stop, offsets, window, partner, room);
                }
                start = stop;
            }
        }
        return partner;
    }

private:
    // What pairing one group needs, kept from group to group.
    struct GroupPairing {
        NearestPairing pairing;
        std::vector<PairingSlot> slots;
    };

    void pairGroup(size_t log, size_t start, size_t stop, const std::vector<int64_t>& offsets, int64_t window,
                   std::vector<int32_t>& partner, GroupPairing& room) const {
        const uint32_t worked = workedOfGroup(entries_[start].group);
        const uint32_t bandMode = static_cast<uint32_t>(entries_[start].group);
        const size_t otherLog = static_cast<size_t>(contest_.logOfCall(worked));
        const PairEntry probe{groupOf(contest_.callOfLog(log), bandMode), std::numeric_limits<int64_t>::min(), 0, 0};
        const auto otherBegin = entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[otherLog]);
        const auto otherEnd = entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[otherLog + 1]);
        size_t other =
            static_cast<size_t>(std::lower_bound(otherBegin, otherEnd, probe, pairKeyLess) - entries_.begin());
        size_t otherStop = other;
        while (otherStop < logStart_[otherLog + 1] && entries_[otherStop].group == probe.group) {
            ++otherStop;
        }
        if (other == otherStop) {
            return;
        }
        const int64_t ownOffset = offsets[log];
        const int64_t otherOffset = offsets[otherLog];
        auto pair = [&partner](uint32_t a, uint32_t b) {
            partner[a] = static_cast<int32_t>(b);
            partner[b] = static_cast<int32_t>(a);
        };
        // Most groups are one contact a side.
        if (stop - start == 1 && otherStop - other == 1) {
            const int64_t d = (entries_[start].minute - ownOffset) - (entries_[other].minute - otherOffset);
            if (d <= window && -d <= window) {
                pair(entries_[start].flat, entries_[other].flat);
            }
            return;
        }
        room.slots.clear();
        for (size_t i = start; i < stop; ++i) {
            room.slots.push_back({entries_[i].minute - ownOffset, entries_[i].line, entries_[i].flat});
        }
        for (size_t j = other; j < otherStop; ++j) {
            room.slots.push_back({entries_[j].minute - otherOffset, entries_[j].line, entries_[j].flat});
        }
        const PairingSlot* slots = room.slots.data();
        room.pairing.clear();
        const uint32_t own = room.pairing.addSide(slots, slots + (stop - start));
        const uint32_t theirs = room.pairing.addSide(slots + (stop - start), slots + room.slots.size());
        room.pairing.addBlock(own, theirs);
        room.pairing.run(window, pair);
    }

    const Contest& contest_;
    std::vector<PairEntry> entries_;
    std::vector<size_t> logStart_;
};

// The median of the differences, the mean of the middle two (rounded
// toward zero) for an even count.
int64_t median(std::vector<int64_t>& values) {
    const size_t n = values.size();
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(n / 2);
    std::nth_element(values.begin(), middle, values.end());
    const int64_t upperMiddle = *middle;
    if (n % 2 == 1) {
        return upperMiddle;
    }
    const int64_t lowerMiddle = *std::max_element(values.begin(), middle);
    return (lowerMiddle + upperMiddle) / 2;
}

QsoStatus keptOr(EngineResult engine, QsoStatus status) {
    switch (engine) {
        case EngineResult::kRefused:
            return QsoStatus::kRefused;
        case EngineResult::kDupe:
            return QsoStatus::kDupe;
        case EngineResult::kStored:
            break;
    }
    return status;
}

// An unpaired contact offered to the busted-call search: its log's call,
// the call it logged, band and mode.
struct LooseEntry {
    uint32_t caller;
    uint32_t worked;
    uint32_t bandMode;
    PairingSlot slot;
};

bool looseLess(const LooseEntry& a, const LooseEntry& b) {
    return std::tie(a.caller, a.worked, a.bandMode, a.slot.minute, a.slot.line, a.slot.flat) <
           std::tie(b.caller, b.worked, b.bandMode, b.slot.minute, b.slot.line, b.slot.flat);
}

uint64_t scopeOf(uint32_t worked, uint32_t bandMode) {
    return (static_cast<uint64_t>(worked) << 32) | bandMode;
}

// Pairs unpaired contacts as busted calls, nearest in time first: a contact
// of A with B (the first side) and a contact with A on the same band and
// mode in the log of a station C, C neither A nor B, one edit from B (the
// second side), on corrected times. The unpaired contacts of one log with
// one call on one band and mode form a side; the sides one edit apart are
// found through an index of the calls, never by comparing every pair.
void pairBustedCalls(const Contest& contest, const std::vector<int64_t>& minutes, int64_t window,
                     std::vector<int32_t>& partner, const std::function<void(uint32_t, uint32_t)>& busted) {
    std::vector<LooseEntry> loose;
    for (uint32_t f = 0; f < contest.size(); ++f) {
        if (partner[f] == kUnpaired && contest.caller(f) != std::numeric_limits<uint32_t>::max()) {
            loose.push_back(
                {contest.caller(f), contest.worked(f), contest.bandMode(f), {minutes[f], contest.line(f), f}});
        }
    }
    std::sort(loose.begin(), loose.end(), looseLess);
    std::vector<PairingSlot> slots;
    slots.reserve(loose.size());
    for (const LooseEntry& e : loose) {
        slots.push_back(e.slot);
    }
    NearestPairing pairing;
    std::vector<uint32_t> sideStart;                    // the first entry of each side
    std::vector<std::pair<uint64_t, uint32_t>> scoped;  // (the call logged, band and mode; side)
    for (size_t start = 0; start < loose.size();) {
        size_t stop = start + 1;
        while (stop < loose.size() && loose[stop].caller == loose[start].caller &&
               loose[stop].worked == loose[start].worked && loose[stop].bandMode == loose[start].bandMode) {
            ++stop;
        }
        const uint32_t side = pairing.addSide(slots.data() + start, slots.data() + stop);
        sideStart.push_back(static_cast<uint32_t>(start));
        scoped.emplace_back(scopeOf(loose[start].worked, loose[start].bandMode), side);
        start = stop;
    }
    std::sort(scoped.begin(), scoped.end());
    // The second sides of a call are found by comparing calls where that
    // call was logged by few, through the index where by many.
    constexpr size_t kCompared = 32;
    OneEditIndex index;
    for (size_t start = 0; start < scoped.size();) {
        size_t stop = start + 1;
        while (stop < scoped.size() && scoped[stop].first == scoped[start].first) {
            ++stop;
        }
        // Only a station that sent a log looks for the contacts others made with it.
        const bool asked = contest.logOfCall(static_cast<uint32_t>(scoped[start].first >> 32)) >= 0;
        for (size_t k = start; asked && stop - start > kCompared && k < stop; ++k) {
            index.add(scoped[k].first, contest.callText(loose[sideStart[scoped[k].second]].caller), scoped[k].second);
        }
        start = stop;
    }
    index.seal();
    std::vector<uint32_t> found;
    for (uint32_t side = 0; side < sideStart.size(); ++side) {
        const LooseEntry& x = loose[sideStart[side]];
        const uint32_t a = x.caller;
        const uint32_t b = x.worked;
        if (a == b) {
            continue;
        }
        const uint64_t scope = scopeOf(a, x.bandMode);
        const auto range = std::equal_range(scoped.begin(), scoped.end(), std::make_pair(scope, uint32_t{0}),
                                            [](const auto& p, const auto& q) { return p.first < q.first; });
        found.clear();
        if (static_cast<size_t>(range.second - range.first) > kCompared) {
            index.find(scope, contest.callText(b), found);
            std::sort(found.begin(), found.end());
            found.erase(std::unique(found.begin(), found.end()), found.end());
        } else {
            for (auto it = range.first; it != range.second; ++it) {
                found.push_back(it->second);
            }
        }
        for (const uint32_t other : found) {
            const uint32_t c = loose[sideStart[other]].caller;
            if (c != a && c != b && oneEditApart(contest.callText(c), contest.callText(b))) {
                pairing.addBlock(side, other);
            }
        }
    }
    pairing.run(window, [&](uint32_t x, uint32_t y) {
        partner[x] = static_cast<int32_t>(y);
        partner[y] = static_cast<int32_t>(x);
        busted(x, y);
    });
}

}  // namespace

const char* statusWord(QsoStatus status) {
    static_assert(contest::kCheckStatusWords.size() == kStatusCount);
    const size_t index = static_cast<size_t>(status);
    return index < contest::kCheckStatusWords.size() ? contest::kCheckStatusWords[index] : "";
}

std::string normalised(std::string_view text) {
    return normalisedExchange(text);
}

bool oneEditApart(std::string_view a, std::string_view b) {
    if (a == b) {
        return false;
    }
    // A portable suffix added or dropped: "PY2AAA" and "PY2AAA/P".
    auto portableOf = [](std::string_view longer, std::string_view shorter) {
        const size_t slash = longer.rfind('/');
        return slash != std::string_view::npos && slash + 1 < longer.size() && longer.substr(0, slash) == shorter;
    };
    if (portableOf(a, b) || portableOf(b, a)) {
        return true;
    }
    if (a.size() == b.size()) {
        size_t differences = 0;
        for (size_t i = 0; i < a.size() && differences < 2; ++i) {
            differences += a[i] != b[i] ? 1 : 0;
        }
        return differences == 1;
    }
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (a.size() != b.size() + 1) {
        return false;
    }
    // One character dropped from a gives b.
    size_t i = 0;
    while (i < b.size() && a[i] == b[i]) {
        ++i;
    }
    return a.substr(i + 1) == b.substr(i);
}

std::vector<LogVerdict> crossCheck(const std::vector<SubmittedLog>& logs, const CheckOptions& options) {
    const Contest contest(logs);
    const size_t n = contest.size();
    const PairIndex index(contest);

    // The clock offset: pairs on the logged times with the wide window.
    std::vector<int64_t> minutes(n);
    for (uint32_t f = 0; f < n; ++f) {
        minutes[f] = contest.minute(f);
    }
    std::vector<LogVerdict> verdicts(logs.size());
    {
        const std::vector<int32_t> rough =
            index.pairUp(std::vector<int64_t>(logs.size(), 0), options.offsetWindowMinutes);
        // First against the other stations' logged times; then once more,
        // with the times of each station whose estimate rests on more pairs
        // than this log's as that estimate corrects them, so that a small
        // log is not pulled off by the clock of a big one.
        std::vector<int64_t> first(logs.size(), 0);
        std::vector<uint32_t> pairs(logs.size(), 0);
        std::vector<int64_t> differences;
        for (int round = 0; round < 2; ++round) {
            std::vector<int64_t> estimate(logs.size(), 0);
            for (size_t l = 0; l < logs.size(); ++l) {
                differences.clear();
                for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
                    if (rough[f] != kUnpaired) {
                        const uint32_t other = static_cast<uint32_t>(rough[f]);
                        const uint32_t otherLog = contest.logOfFlat(other);
                        const int64_t otherOffset = pairs[otherLog] > pairs[l] ? first[otherLog] : 0;
                        differences.push_back(minutes[f] - (minutes[other] - otherOffset));
                    }
                }
                verdicts[l].offsetPairs = static_cast<uint32_t>(differences.size());
                estimate[l] = differences.empty() ? 0 : median(differences);
            }
            first = std::move(estimate);
            for (size_t l = 0; l < logs.size(); ++l) {
                pairs[l] = verdicts[l].offsetPairs;
            }
        }
        for (size_t l = 0; l < logs.size(); ++l) {
            verdicts[l].offsetMinutes = static_cast<int32_t>(first[l]);
        }
    }
    for (size_t l = 0; l < logs.size(); ++l) {
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            minutes[f] -= verdicts[l].offsetMinutes;
        }
    }

    // Pairs on the corrected times, each side judged for itself.
    std::vector<int64_t> offsets(logs.size());
    for (size_t l = 0; l < logs.size(); ++l) {
        offsets[l] = verdicts[l].offsetMinutes;
    }
    std::vector<int32_t> partner = index.pairUp(offsets, options.windowMinutes);
    std::vector<QsoStatus> status(n, QsoStatus::kNil);
    std::vector<bool> decided(n, false);
    auto judge = [&](uint32_t f, uint32_t other) {
        const QsoStatus exchange =
            contest.received(f) == contest.sent(other) ? QsoStatus::kConfirmed : QsoStatus::kBustedExchange;
        status[f] = keptOr(contest.engine(f), exchange);
        decided[f] = true;
    };
    for (uint32_t f = 0; f < n; ++f) {
        if (partner[f] != kUnpaired) {
            judge(f, static_cast<uint32_t>(partner[f]));
        }
    }

    // Busted calls: an unpaired contact of A with B, and an unpaired contact
    // with A in the log of a station C one edit from B.
    pairBustedCalls(contest, minutes, options.windowMinutes, partner, [&](uint32_t x, uint32_t y) {
        status[x] = keptOr(contest.engine(x), QsoStatus::kBustedCall);
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
        status[f] = keptOr(contest.engine(f), rest);
    }

    for (size_t l = 0; l < logs.size(); ++l) {
        LogVerdict& verdict = verdicts[l];
        verdict.qsos.resize(logs[l].qsos.size());
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            QsoVerdict& v = verdict.qsos[f - contest.begin(l)];
            v.status = status[f];
            if (partner[f] != kUnpaired) {
                const uint32_t other = static_cast<uint32_t>(partner[f]);
                const uint32_t otherLog = contest.logOfFlat(other);
                v.otherLog = static_cast<int32_t>(otherLog);
                v.otherQso = other - contest.begin(otherLog);
            }
        }
    }
    return verdicts;
}

std::string verdictDetail(const std::vector<SubmittedLog>& logs, const std::vector<LogVerdict>& verdicts, size_t self,
                          size_t q) {
    const LogQso& qso = logs[self].qsos[q];
    const QsoVerdict& v = verdicts[self].qsos[q];
    const std::string call = normalised(qso.call);
    switch (v.status) {
        case QsoStatus::kConfirmed:
            return std::string();
        case QsoStatus::kBustedExchange: {
            const LogQso& other = logs[static_cast<size_t>(v.otherLog)].qsos[v.otherQso];
            return "logged " + normalised(qso.exchangeReceived) + ", " +
                   normalised(logs[static_cast<size_t>(v.otherLog)].call) + " sent " + normalised(other.exchangeSent);
        }
        case QsoStatus::kBustedCall:
            return "logged " + call + ", was " + normalised(logs[static_cast<size_t>(v.otherLog)].call);
        case QsoStatus::kNil:
            return "not in " + call + "'s log";
        case QsoStatus::kUnique:
            return call + " sent no log and is in no other log";
        case QsoStatus::kUnverified:
            return call + " sent no log";
        case QsoStatus::kRefused:
            return qso.engine == EngineResult::kRefused ? qso.finding.str() : std::string("no contest band");
        case QsoStatus::kDupe:
            return qso.finding.str();
        case QsoStatus::kOutOfPeriod:
            return "outside the contest period";
        case QsoStatus::kOtherBand:
            return "on " + (qso.band.empty() ? std::string("no band") : qso.band.str()) +
                   ", not the entrant's category band";
        case QsoStatus::kUnreadable:
            break;
    }
    return std::string();
}

}  // namespace crosscheck
