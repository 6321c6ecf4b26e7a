#include "crosscheck/crosscheck.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "crosscheck/category.h"
#include "crosscheck/one_edit.h"
#include "crosscheck/pairing.h"
#include "engine/area.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using calendar::lowerCase;
using engine::normalisedExchange;

namespace {

constexpr int32_t kUnpaired = -1;
// The own status of a contact that has none: the pairing decides.
constexpr QsoStatus kPairingDecides = QsoStatus::kConfirmed;
// A duplicate whose pair a counted twin took over: no counterpart, and not
// offered to the busted-call search (its pair was found).
constexpr int32_t kGaveAway = -2;
// A window no two times of a log are apart by.
constexpr int64_t kAnyDistance = int64_t{1} << 40;
// A whole-hour clock error is taken only when it pairs at least this many contacts.
constexpr uint32_t kWholeHourPairs = 10;

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
    // The contact is on a band the contest counts.
    bool onCountedBand(uint32_t flat) const { return countedBand_[bandMode_[flat]] != 0; }
    std::string_view callText(uint32_t id) const { return calls_[id]; }
    // The log a call submitted, or -1.
    int32_t logOfCall(uint32_t id) const { return logOfCall_[id]; }
    // How many logs hold at least one contact with the call.
    uint32_t logsHolding(uint32_t id) const { return logsHolding_[id]; }
    // The id of a call in upper case, if any log names it.
    std::optional<uint32_t> idOfCall(std::string_view call) const {
        const auto found = std::lower_bound(calls_.begin(), calls_.end(), call);
        if (found == calls_.end() || *found != call) {
            return std::nullopt;
        }
        return static_cast<uint32_t>(found - calls_.begin());
    }
    const SubmittedLog& log(size_t l) const { return logs_[l]; }

private:
    // Calls in upper case, each given an id in the order first met.
    struct CallInterner {
        std::deque<std::string> owned;
        std::unordered_map<std::string_view, uint32_t> ids;
        std::vector<std::string_view> texts;
        uint32_t operator()(std::string_view call) {
            std::string_view key = call;
            if (std::string upper = normalised(call); upper != call) {
                owned.push_back(std::move(upper));
                key = owned.back();
            }
            // try_emplace makes no node for a call met before (emplace would).
            auto [it, added] = ids.try_emplace(key, static_cast<uint32_t>(texts.size()));
            if (added) {
                texts.push_back(key);
            }
            return it->second;
        }
    };

    void internCalls() {
        CallInterner intern;
        std::vector<uint32_t> logCall(logs_.size());
        readContacts(intern, logCall);
        const std::vector<uint32_t> rank = sortCalls(intern.texts);
        for (uint32_t& id : worked_) {
            id = rank[id];
        }
        for (uint32_t& id : logCall) {
            id = rank[id];
        }
        indexLogs(logCall);
    }

    // One pass over the contacts in memory order; the rules then work on
    // these dense arrays only. Calls get the interner's ids.
    void readContacts(CallInterner& intern, std::vector<uint32_t>& logCall) {
        const size_t total = base_.back();
        worked_.resize(total);
        line_.resize(total);
        minute_.resize(total);
        engine_.resize(total);
        sent_.resize(total);
        received_.resize(total);
        std::unordered_map<std::string, uint32_t> exchanges;
        auto exchangeId = [&exchanges](std::string_view exchange) {
            std::string key = normalised(exchange);
            const auto found = exchanges.find(key);
            if (found != exchanges.end()) {
                return found->second;
            }
            return exchanges.emplace(std::move(key), static_cast<uint32_t>(exchanges.size())).first->second;
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
    }

    // The calls in text order (calls_), and each first-met id's place in it,
    // so that comparing ids compares calls.
    std::vector<uint32_t> sortCalls(const std::vector<std::string_view>& texts) {
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
        return rank;
    }

    // Each log's call and each contact's caller and log; how many logs hold
    // each call. A second log of a call is nobody's counterpart: its
    // contacts are indexed under a caller no one works.
    void indexLogs(const std::vector<uint32_t>& logCall) {
        const size_t total = base_.back();
        logOfCall_.assign(calls_.size(), -1);
        caller_.resize(total);
        logsHolding_.assign(calls_.size(), 0);
        std::vector<int32_t> lastHolder(calls_.size(), -1);
        flatLog_.resize(total);
        logCall_ = logCall;
        for (size_t l = 0; l < logs_.size(); ++l) {
            if (logOfCall_[logCall[l]] < 0) {
                logOfCall_[logCall[l]] = static_cast<int32_t>(l);
            }
            for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
                caller_[f] = logCall[l];
                flatLog_[f] = static_cast<uint32_t>(l);
                if (lastHolder[worked_[f]] != static_cast<int32_t>(l)) {
                    lastHolder[worked_[f]] = static_cast<int32_t>(l);
                    ++logsHolding_[worked_[f]];
                }
            }
        }
        for (size_t l = 0; l < logs_.size(); ++l) {
            if (logOfCall_[logCall[l]] != static_cast<int32_t>(l)) {
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
                const auto [it, added] = ids.try_emplace(key, static_cast<uint32_t>(ids.size()));
                if (added) {
                    countedBand_.push_back(contest::isCountedBand(q.band) ? 1 : 0);
                }
                bandMode_[f++] = it->second;
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
    std::vector<uint8_t> countedBand_;  // per band-and-mode id
    std::vector<int32_t> logOfCall_;
    std::vector<uint32_t> logsHolding_;
};

// The contacts that may pair, sorted once, log by log: every entry of a log
// has the same caller, so a log's entries sorted alone are its groups in
// order, and the other side's group is found by a search within the other
// log. The cost per contact depends on the size of a log, not of the
// contest. A clock correction moves all of a log's times alike, so the
// order holds for corrected times too.
//
// Two groups pair in two rounds by the same nearest-in-time rule: first
// only contacts the engine counts on both sides (`counted`), then any two
// still unpaired. A valid contact is so never left without its pair by a
// refused or duplicate one that happens to lie nearer.
class PairIndex {
public:
    PairIndex(const Contest& contest, const std::vector<uint8_t>& counted)
        : contest_(contest), counted_(counted), logStart_(contest.logCount() + 1, 0) {
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
    // moved back by its offset. With takeover, a counted contact left
    // without a pair then takes over the pair of its nearest duplicate twin
    // (same call, band and mode in its log) that has one; that twin is
    // marked kGaveAway. Returns each contact's partner (a flat index),
    // kUnpaired or kGaveAway.
    std::vector<int32_t> pairUp(const std::vector<int64_t>& offsets, int64_t window, bool takeover) const {
        std::vector<int32_t> partner(contest_.size(), kUnpaired);
        GroupPairing room;
        forEachGroupPair([&](const Range& own, const Range& other) {
            pairGroup(own, other, offsets[own.log], offsets[other.log], window, partner, room);
            // A twin is a second contact of a group.
            if (takeover && own.stop - own.start > 1) {
                takeOver(own, partner, room);
            }
            if (takeover && other.stop - other.start > 1) {
                takeOver(other, partner, room);
            }
        });
        return partner;
    }

    // Each log's whole-hour clock error in minutes (a multiple of 60 from
    // -24 to +24 hours), 0 when none is found: a shift is taken when it
    // pairs (the offset window, both rounds) at least three times as many of
    // the log's contacts as no shift does, and at least kWholeHourPairs.
    // paired holds each log's pairs without any shift; only a log that could
    // reach that is tried, each of its groups only at the shifts its times
    // allow. The logs are tried largest first, each against the others'
    // times with the shifts taken so far: of two logs off by an hour from
    // each other, one is shifted, not both.
    std::vector<int64_t> wholeHourShifts(const std::vector<uint32_t>& paired, int64_t window) const {
        constexpr int64_t kMaxHours = 24;
        std::vector<int64_t> shifts(contest_.logCount(), 0);
        std::vector<std::pair<uint64_t, size_t>> tried;  // (pairable, log)
        for (size_t l = 0; l < contest_.logCount(); ++l) {
            const uint64_t pairable = logStart_[l + 1] - logStart_[l];
            if (pairable >= std::max<uint64_t>(kWholeHourPairs, uint64_t{3} * paired[l])) {
                tried.emplace_back(pairable, l);
            }
        }
        std::sort(tried.begin(), tried.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        std::vector<int32_t> scratch(tried.empty() ? 0 : contest_.size(), kUnpaired);
        GroupPairing room;
        std::array<uint32_t, 2 * kMaxHours + 1> counts{};
        for (const auto& [pairable, l] : tried) {
            counts.fill(0);
            forEachGroupOf(l, false, [&](const Range& own, const Range& other) {
                const int64_t otherShift = shifts[other.log];
                const int64_t otherFirst = entries_[other.start].minute - otherShift;
                const int64_t otherLast = entries_[other.stop - 1].minute - otherShift;
                const int64_t low = std::max(-kMaxHours, ceilDiv(entries_[own.start].minute - otherLast - window, 60));
                const int64_t high =
                    std::min(kMaxHours, floorDiv(entries_[own.stop - 1].minute - otherFirst + window, 60));
                for (int64_t hours = low; hours <= high; ++hours) {
                    counts[static_cast<size_t>(hours + kMaxHours)] +=
                        pairGroup(own, other, hours * 60, otherShift, window, scratch, room);
                    for (const Range& range : {own, other}) {
                        for (size_t i = range.start; i < range.stop; ++i) {
                            scratch[entries_[i].flat] = kUnpaired;
                        }
                    }
                }
            });
            // The most pairs; of equal counts, the smaller shift, then the earlier.
            int64_t best = 0;
            uint32_t most = 0;
            for (int64_t k = 1; k <= kMaxHours; ++k) {
                for (const int64_t hours : {-k, k}) {
                    if (counts[static_cast<size_t>(hours + kMaxHours)] > most) {
                        most = counts[static_cast<size_t>(hours + kMaxHours)];
                        best = hours;
                    }
                }
            }
            if (most >= kWholeHourPairs && most >= uint64_t{3} * counts[kMaxHours]) {
                shifts[l] = best * 60;
            }
        }
        return shifts;
    }

    // Pairs again the groups of the logs whose offset changed, both sides,
    // as pairUp would with the new offsets (no takeover).
    void pairAgain(const std::vector<int64_t>& offsets, const std::vector<uint8_t>& changed, int64_t window,
                   std::vector<int32_t>& partner) const {
        GroupPairing room;
        for (size_t l = 0; l < contest_.logCount(); ++l) {
            if (!changed[l]) {
                continue;
            }
            forEachGroupOf(l, false, [&](const Range& own, const Range& other) {
                // The group pair as pairUp takes it: from the log whose call sorts first.
                const bool ownFirst = contest_.callOfLog(own.log) < contest_.callOfLog(other.log);
                const Range& first = ownFirst ? own : other;
                const Range& second = ownFirst ? other : own;
                for (const Range& range : {first, second}) {
                    for (size_t i = range.start; i < range.stop; ++i) {
                        partner[entries_[i].flat] = kUnpaired;
                    }
                }
                pairGroup(first, second, offsets[first.log], offsets[second.log], window, partner, room);
            });
        }
    }

private:
    // A log's entries [start, stop): one group of it.
    struct Range {
        size_t log;
        size_t start;
        size_t stop;
    };

    // What pairing one group needs, kept from group to group.
    struct GroupPairing {
        NearestPairing pairing;
        std::vector<PairingSlot> slots;
        std::vector<PairingSlot> twins;
    };

    static int64_t floorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }
    static int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

    // Calls visit(own, other) for each group of one log that the other
    // station's log has a group for; with firstOnly, only where the log's
    // call sorts first.
    template <typename Visit>
    void forEachGroupOf(size_t log, bool firstOnly, Visit visit) const {
        const uint32_t caller = contest_.callOfLog(log);
        const size_t end = logStart_[log + 1];
        for (size_t start = logStart_[log]; start < end;) {
            size_t stop = start + 1;
            while (stop < end && entries_[stop].group == entries_[start].group) {
                ++stop;
            }
            if (!firstOnly || caller < workedOfGroup(entries_[start].group)) {
                const Range other = partnerGroup(log, start);
                if (other.start != other.stop) {
                    visit(Range{log, start, stop}, other);
                }
            }
            start = stop;
        }
    }

    // Calls visit(own, other) once for each pair of groups, from the log
    // whose call sorts first.
    template <typename Visit>
    void forEachGroupPair(Visit visit) const {
        for (size_t l = 0; l < contest_.logCount(); ++l) {
            if (contest_.logOfCall(contest_.callOfLog(l)) == static_cast<int32_t>(l)) {
                forEachGroupOf(l, true, visit);
            }
        }
    }

    // The other station's group for the group that starts at `start` in `log`.
    Range partnerGroup(size_t log, size_t start) const {
        const uint32_t worked = workedOfGroup(entries_[start].group);
        const uint32_t bandMode = static_cast<uint32_t>(entries_[start].group);
        const size_t otherLog = static_cast<size_t>(contest_.logOfCall(worked));
        const PairEntry probe{groupOf(contest_.callOfLog(log), bandMode), std::numeric_limits<int64_t>::min(), 0, 0};
        const auto otherBegin = entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[otherLog]);
        const auto otherEnd = entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[otherLog + 1]);
        const size_t other =
            static_cast<size_t>(std::lower_bound(otherBegin, otherEnd, probe, pairKeyLess) - entries_.begin());
        size_t otherStop = other;
        while (otherStop < logStart_[otherLog + 1] && entries_[otherStop].group == probe.group) {
            ++otherStop;
        }
        return {otherLog, other, otherStop};
    }

    // Pairs two groups in both rounds; returns the pairs made.
    uint32_t pairGroup(const Range& own, const Range& other, int64_t ownOffset, int64_t otherOffset, int64_t window,
                       std::vector<int32_t>& partner, GroupPairing& room) const {
        uint32_t made = 0;
        auto pair = [&partner, &made](uint32_t a, uint32_t b) {
            partner[a] = static_cast<int32_t>(b);
            partner[b] = static_cast<int32_t>(a);
            ++made;
        };
        // Most groups are one contact a side: both rounds come to one test.
        if (own.stop - own.start == 1 && other.stop - other.start == 1) {
            const PairEntry& a = entries_[own.start];
            const PairEntry& b = entries_[other.start];
            const int64_t d = (a.minute - ownOffset) - (b.minute - otherOffset);
            if (d <= window && -d <= window) {
                pair(a.flat, b.flat);
            }
            return made;
        }
        bool mixed = false;
        for (const Range& range : {own, other}) {
            for (size_t i = range.start; i < range.stop && !mixed; ++i) {
                mixed = !counted_[entries_[i].flat];
            }
        }
        for (int round = mixed ? 0 : 1; round < 2; ++round) {
            // Round 0: counted contacts only; round 1: any still unpaired.
            auto offered = [&](const PairEntry& e) {
                return round == 0 ? counted_[e.flat] != 0 : partner[e.flat] == kUnpaired;
            };
            room.slots.clear();
            for (size_t i = own.start; i < own.stop; ++i) {
                if (offered(entries_[i])) {
                    room.slots.push_back({entries_[i].minute - ownOffset, entries_[i].line, entries_[i].flat});
                }
            }
            const size_t ownCount = room.slots.size();
            for (size_t j = other.start; j < other.stop; ++j) {
                if (offered(entries_[j])) {
                    room.slots.push_back({entries_[j].minute - otherOffset, entries_[j].line, entries_[j].flat});
                }
            }
            if (ownCount == 0 || ownCount == room.slots.size()) {
                continue;
            }
            const PairingSlot* slots = room.slots.data();
            room.pairing.clear();
            const uint32_t first = room.pairing.addSide(slots, slots + ownCount);
            const uint32_t second = room.pairing.addSide(slots + ownCount, slots + room.slots.size());
            room.pairing.addBlock(first, second);
            room.pairing.run(window, pair);
        }
        return made;
    }

    // Within one group of a log: each counted contact without a pair takes
    // over the pair of its nearest duplicate twin that has one (ties to the
    // earlier line), by the same pairing with no window.
    void takeOver(const Range& group, std::vector<int32_t>& partner, GroupPairing& room) const {
        room.slots.clear();
        room.twins.clear();
        for (size_t i = group.start; i < group.stop; ++i) {
            const PairEntry& e = entries_[i];
            if (counted_[e.flat] && partner[e.flat] == kUnpaired) {
                room.slots.push_back({e.minute, e.line, e.flat});
            } else if (contest_.engine(e.flat) == EngineResult::kDupe && partner[e.flat] >= 0) {
                room.twins.push_back({e.minute, e.line, e.flat});
            }
        }
        if (room.slots.empty() || room.twins.empty()) {
            return;
        }
        room.pairing.clear();
        const uint32_t lone = room.pairing.addSide(room.slots.data(), room.slots.data() + room.slots.size());
        const uint32_t twins = room.pairing.addSide(room.twins.data(), room.twins.data() + room.twins.size());
        room.pairing.addBlock(lone, twins);
        room.pairing.run(kAnyDistance, [&partner](uint32_t x, uint32_t twin) {
            const int32_t other = partner[twin];
            partner[x] = other;
            partner[static_cast<size_t>(other)] = static_cast<int32_t>(x);
            partner[twin] = kGaveAway;
        });
    }

    const Contest& contest_;
    const std::vector<uint8_t>& counted_;
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

// The unpaired contacts, grouped in sides: those of one log with one call
// on one band and mode.
struct LooseSides {
    std::vector<LooseEntry> loose;                      // sorted by side
    std::vector<PairingSlot> slots;                     // loose's slots, in the same order; the pairing points into it
    std::vector<uint32_t> sideStart;                    // the first entry of each side
    std::vector<std::pair<uint64_t, uint32_t>> scoped;  // (the call logged, band and mode; side), sorted
};

// The sides of the unpaired contacts, each added to the pairing.
void addLooseSides(const Contest& contest, const std::vector<int64_t>& minutes, const std::vector<int32_t>& partner,
                   LooseSides& sides, NearestPairing& pairing) {
    std::vector<LooseEntry>& loose = sides.loose;
    for (uint32_t f = 0; f < contest.size(); ++f) {
        if (partner[f] == kUnpaired && contest.caller(f) != std::numeric_limits<uint32_t>::max()) {
            loose.push_back(
                {contest.caller(f), contest.worked(f), contest.bandMode(f), {minutes[f], contest.line(f), f}});
        }
    }
    std::sort(loose.begin(), loose.end(), looseLess);
    sides.slots.reserve(loose.size());
    for (const LooseEntry& e : loose) {
        sides.slots.push_back(e.slot);
    }
    for (size_t start = 0; start < loose.size();) {
        size_t stop = start + 1;
        while (stop < loose.size() && loose[stop].caller == loose[start].caller &&
               loose[stop].worked == loose[start].worked && loose[stop].bandMode == loose[start].bandMode) {
            ++stop;
        }
        const uint32_t side = pairing.addSide(sides.slots.data() + start, sides.slots.data() + stop);
        sides.sideStart.push_back(static_cast<uint32_t>(start));
        sides.scoped.emplace_back(scopeOf(loose[start].worked, loose[start].bandMode), side);
        start = stop;
    }
    std::sort(sides.scoped.begin(), sides.scoped.end());
}

// The second sides of a call are found by comparing calls where that call
// was logged by few, through the index where by many.
constexpr size_t kCompared = 32;

// The index of the calls that logged a call by many, for the stations that
// sent a log (only they look for the contacts others made with them).
void indexCrowdedCalls(const Contest& contest, const LooseSides& sides, OneEditIndex& index) {
    const auto& scoped = sides.scoped;
    for (size_t start = 0; start < scoped.size();) {
        size_t stop = start + 1;
        while (stop < scoped.size() && scoped[stop].first == scoped[start].first) {
            ++stop;
        }
        const bool asked = contest.logOfCall(static_cast<uint32_t>(scoped[start].first >> 32)) >= 0;
        for (size_t k = start; asked && stop - start > kCompared && k < stop; ++k) {
            const uint32_t caller = sides.loose[sides.sideStart[scoped[k].second]].caller;
            index.add(scoped[k].first, contest.callText(caller), scoped[k].second);
        }
        start = stop;
    }
    index.seal();
}

// For each side of A with B, the sides with A on the same band and mode in
// the log of a station C one edit from B: a block of the pairing.
void addBustedBlocks(const Contest& contest, const LooseSides& sides, const OneEditIndex& index,
                     NearestPairing& pairing) {
    std::vector<uint32_t> found;
    for (uint32_t side = 0; side < sides.sideStart.size(); ++side) {
        const LooseEntry& x = sides.loose[sides.sideStart[side]];
        const uint32_t a = x.caller;
        const uint32_t b = x.worked;
        if (a == b) {
            continue;
        }
        const uint64_t scope = scopeOf(a, x.bandMode);
        const auto range =
            std::equal_range(sides.scoped.begin(), sides.scoped.end(), std::make_pair(scope, uint32_t{0}),
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
            const uint32_t c = sides.loose[sides.sideStart[other]].caller;
            if (c != a && c != b && oneEditApart(contest.callText(c), contest.callText(b))) {
                pairing.addBlock(side, other);
            }
        }
    }
}

// Pairs unpaired contacts as busted calls, nearest in time first: a contact
// of A with B (the first side) and a contact with A on the same band and
// mode in the log of a station C, C neither A nor B, one edit from B (the
// second side), on corrected times. The sides one edit apart are found
// through an index of the calls, never by comparing every pair.
void pairBustedCalls(const Contest& contest, const std::vector<int64_t>& minutes, int64_t window,
                     std::vector<int32_t>& partner, const std::function<void(uint32_t, uint32_t)>& busted) {
    LooseSides sides;
    NearestPairing pairing;
    addLooseSides(contest, minutes, partner, sides, pairing);
    OneEditIndex index;
    indexCrowdedCalls(contest, sides, index);
    addBustedBlocks(contest, sides, index, pairing);
    pairing.run(window, [&](uint32_t x, uint32_t y) {
        partner[x] = static_cast<int32_t>(y);
        partner[y] = static_cast<int32_t>(x);
        busted(x, y);
    });
}

// How many of each log's contacts have a partner.
std::vector<uint32_t> pairedPerLog(const Contest& contest, const std::vector<int32_t>& partner) {
    std::vector<uint32_t> paired(contest.logCount(), 0);
    for (size_t l = 0; l < contest.logCount(); ++l) {
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            paired[l] += partner[f] >= 0 ? 1 : 0;
        }
    }
    return paired;
}

// One side of the search for unreadable lines: a NIL contact of log `from`
// with the station of log `to`, or an unreadable line of log `to` naming
// the station of log `from`.
struct ExcuseEntry {
    uint32_t from;
    uint32_t to;
    PairingSlot slot;
};

bool excuseLess(const ExcuseEntry& a, const ExcuseEntry& b) {
    return std::tie(a.from, a.to, a.slot.minute, a.slot.line, a.slot.flat) <
           std::tie(b.from, b.to, b.slot.minute, b.slot.line, b.slot.flat);
}

// The unreadable lines whose call and time can be read, naming the station
// of another log, sorted; lineNumbers gets each one's line number, which
// its slot's flat index points to.
std::vector<ExcuseEntry> namingUnreadableLines(const Contest& contest, const std::vector<int64_t>& offsets,
                                               std::vector<uint32_t>& lineNumbers) {
    std::vector<ExcuseEntry> lines;
    for (size_t l = 0; l < contest.logCount(); ++l) {
        for (const UnreadableQso& u : contest.log(l).unreadable) {
            const std::optional<uint32_t> named = u.minute ? contest.idOfCall(normalised(u.call)) : std::nullopt;
            if (!named || contest.logOfCall(*named) < 0 || static_cast<size_t>(contest.logOfCall(*named)) == l) {
                continue;
            }
            lines.push_back({static_cast<uint32_t>(contest.logOfCall(*named)),
                             static_cast<uint32_t>(l),
                             {*u.minute - offsets[l], u.line, static_cast<uint32_t>(lineNumbers.size())}});
            lineNumbers.push_back(u.line);
        }
    }
    std::sort(lines.begin(), lines.end(), excuseLess);
    return lines;
}

// The NIL contacts with stations that sent a log, sorted.
std::vector<ExcuseEntry> nilContacts(const Contest& contest, const std::vector<int64_t>& minutes,
                                     const std::vector<QsoStatus>& status) {
    std::vector<ExcuseEntry> nils;
    for (size_t l = 0; l < contest.logCount(); ++l) {
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            const int32_t to = contest.logOfCall(contest.worked(f));
            if (status[f] == QsoStatus::kNil && to >= 0) {
                nils.push_back({static_cast<uint32_t>(l), static_cast<uint32_t>(to), {minutes[f], contest.line(f), f}});
            }
        }
    }
    std::sort(nils.begin(), nils.end(), excuseLess);
    return nils;
}

// Pairs the contacts found in no log (NIL) with the lines of the other
// station's log that could not be read but whose call and time can, naming
// the contact's station, at most window minutes apart on corrected times,
// nearest first; each such line stands for one contact. Calls excused(flat,
// line) for each pair.
void excuseByUnreadableLines(const Contest& contest, const std::vector<int64_t>& minutes,
                             const std::vector<int64_t>& offsets, int64_t window, const std::vector<QsoStatus>& status,
                             const std::function<void(uint32_t, uint32_t)>& excused) {
    std::vector<uint32_t> lineNumbers;
    const std::vector<ExcuseEntry> lines = namingUnreadableLines(contest, offsets, lineNumbers);
    if (lines.empty()) {
        return;
    }
    const std::vector<ExcuseEntry> nils = nilContacts(contest, minutes, status);
    std::vector<PairingSlot> slots;
    slots.reserve(nils.size() + lines.size());
    for (const std::vector<ExcuseEntry>* list : {&nils, &lines}) {
        for (const ExcuseEntry& e : *list) {
            slots.push_back(e.slot);
        }
    }
    // A side is a run of one (from, to); the NIL side and the lines' side of one pair of logs form a block.
    NearestPairing pairing;
    auto sameLogs = [](const ExcuseEntry& a, const ExcuseEntry& b) { return a.from == b.from && a.to == b.to; };
    size_t j = 0;
    for (size_t i = 0; i < nils.size();) {
        size_t iStop = i + 1;
        while (iStop < nils.size() && sameLogs(nils[iStop], nils[i])) {
            ++iStop;
        }
        while (j < lines.size() && std::tie(lines[j].from, lines[j].to) < std::tie(nils[i].from, nils[i].to)) {
            ++j;
        }
        size_t jStop = j;
        while (jStop < lines.size() && sameLogs(lines[jStop], nils[i])) {
            ++jStop;
        }
        if (j != jStop) {
            const PairingSlot* base = slots.data();
            const uint32_t first = pairing.addSide(base + i, base + iStop);
            const uint32_t second = pairing.addSide(base + nils.size() + j, base + nils.size() + jStop);
            pairing.addBlock(first, second);
        }
        i = iStop;
        j = jStop;
    }
    pairing.run(window, [&](uint32_t flat, uint32_t line) { excused(flat, lineNumbers[line]); });
}

}  // namespace

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

namespace {

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

// Each log's clock offset: whole hours first, then the minutes, from pairs
// on the logged times with the wide window (no takeover: a twin's time
// difference is no clock error).
void estimateClocks(const Contest& contest, const PairIndex& index, int64_t window, std::vector<LogVerdict>& verdicts) {
    const size_t logs = verdicts.size();
    std::vector<int64_t> hours(logs, 0);
    std::vector<int32_t> rough = index.pairUp(hours, window, false);
    hours = index.wholeHourShifts(pairedPerLog(contest, rough), window);
    std::vector<uint8_t> shifted(logs, 0);
    for (size_t l = 0; l < logs; ++l) {
        shifted[l] = hours[l] != 0 ? 1 : 0;
    }
    index.pairAgain(hours, shifted, window, rough);
    // First against the other stations' times; then once more, with the
    // times of each station whose estimate rests on more pairs than this
    // log's as that estimate corrects them, so that a small log is not
    // pulled off by the clock of a big one.
    std::vector<int64_t> first(logs, 0);
    std::vector<uint32_t> pairs(logs, 0);
    std::vector<int64_t> differences;
    for (int round = 0; round < 2; ++round) {
        std::vector<int64_t> estimate(logs, 0);
        for (size_t l = 0; l < logs; ++l) {
            differences.clear();
            for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
                if (rough[f] >= 0) {
                    const uint32_t other = static_cast<uint32_t>(rough[f]);
                    const uint32_t otherLog = contest.logOfFlat(other);
                    const int64_t otherOffset = hours[otherLog] + (pairs[otherLog] > pairs[l] ? first[otherLog] : 0);
                    differences.push_back((contest.minute(f) - hours[l]) - (contest.minute(other) - otherOffset));
                }
            }
            verdicts[l].offsetPairs = static_cast<uint32_t>(differences.size());
            estimate[l] = differences.empty() ? 0 : median(differences);
        }
        first = std::move(estimate);
        for (size_t l = 0; l < logs; ++l) {
            pairs[l] = verdicts[l].offsetPairs;
        }
    }
    for (size_t l = 0; l < logs; ++l) {
        verdicts[l].offsetMinutes = static_cast<int32_t>(hours[l] + first[l]);
        verdicts[l].wholeHours = static_cast<int32_t>(hours[l] / 60);
    }
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
