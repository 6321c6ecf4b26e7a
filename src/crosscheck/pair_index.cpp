// Internal to the cross-check: the index of pairs and its pairing rounds
// (pair_index.h).
#include "crosscheck/pair_index.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace torv::crosscheck::detail {

namespace {

// A window no two times of a log are apart by.
constexpr int64_t kAnyDistance = int64_t{1} << 40;
// A whole-hour clock error is taken only when it pairs at least this many contacts.
constexpr uint32_t kWholeHourPairs = 10;

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

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

int64_t ceilDiv(int64_t a, int64_t b) {
    return -floorDiv(-a, b);
}

}  // namespace

PairIndex::PairIndex(const Contest& contest, const std::vector<uint8_t>& counted)
    : contest_(contest), counted_(counted), logStart_(contest.logCount() + 1, 0) {
    entries_.reserve(contest.size());
    for (size_t l = 0; l < contest.logCount(); ++l) {
        logStart_[l] = entries_.size();
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            const uint32_t caller = contest.caller(f);
            const uint32_t worked = contest.worked(f);
            if (caller == worked || caller == std::numeric_limits<uint32_t>::max() || contest.logOfCall(worked) < 0) {
                continue;
            }
            entries_.push_back({groupOf(worked, contest.bandMode(f)), contest.minute(f), contest.line(f), f});
        }
        std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[l]), entries_.end(), pairKeyLess);
    }
    logStart_[contest.logCount()] = entries_.size();
}

template <typename Visit>
void PairIndex::forEachGroupOf(size_t log, bool firstOnly, Visit visit) const {
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

template <typename Visit>
void PairIndex::forEachGroupPair(Visit visit) const {
    for (size_t l = 0; l < contest_.logCount(); ++l) {
        if (contest_.logOfCall(contest_.callOfLog(l)) == static_cast<int32_t>(l)) {
            forEachGroupOf(l, true, visit);
        }
    }
}

PairIndex::Range PairIndex::partnerGroup(size_t log, size_t start) const {
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

uint32_t PairIndex::pairGroup(const Range& own, const Range& other, int64_t ownOffset, int64_t otherOffset,
                              int64_t window, std::vector<int32_t>& partner, GroupPairing& room) const {
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

uint32_t PairIndex::takeOverIn(const Range& group, int64_t window, std::vector<int32_t>& partner,
                               const std::vector<uint8_t>& mayGive, GroupPairing& room) const {
    room.slots.clear();
    room.twins.clear();
    for (size_t i = group.start; i < group.stop; ++i) {
        const PairEntry& e = entries_[i];
        if (counted_[e.flat] && partner[e.flat] == kUnpaired) {
            room.slots.push_back({e.minute, e.line, e.flat});
        } else if (contest_.engine(e.flat) == EngineResult::kDupe && partner[e.flat] >= 0 && mayGive[e.flat]) {
            room.twins.push_back({e.minute, e.line, e.flat});
        }
    }
    if (room.slots.empty() || room.twins.empty()) {
        return 0;
    }
    uint32_t taken = 0;
    room.pairing.clear();
    const uint32_t lone = room.pairing.addSide(room.slots.data(), room.slots.data() + room.slots.size());
    const uint32_t twins = room.pairing.addSide(room.twins.data(), room.twins.data() + room.twins.size());
    room.pairing.addBlock(lone, twins);
    room.pairing.run(window, [&partner, &taken](uint32_t x, uint32_t twin) {
        const int32_t other = partner[twin];
        partner[x] = other;
        partner[static_cast<size_t>(other)] = static_cast<int32_t>(x);
        partner[twin] = kGaveAway;
        ++taken;
    });
    return taken;
}

uint32_t PairIndex::takeOver(int64_t window, std::vector<int32_t>& partner, const std::vector<uint8_t>& mayGive) const {
    GroupPairing room;
    uint32_t taken = 0;
    for (size_t l = 0; l < contest_.logCount(); ++l) {
        const size_t end = logStart_[l + 1];
        for (size_t start = logStart_[l]; start < end;) {
            size_t stop = start + 1;
            while (stop < end && entries_[stop].group == entries_[start].group) {
                ++stop;
            }
            // A twin is a second contact of a group.
            if (stop - start > 1) {
                taken += takeOverIn(Range{l, start, stop}, window, partner, mayGive, room);
            }
            start = stop;
        }
    }
    return taken;
}

std::vector<int32_t> PairIndex::pairUp(const std::vector<int64_t>& offsets, int64_t window) const {
    std::vector<int32_t> partner(contest_.size(), kUnpaired);
    GroupPairing room;
    forEachGroupPair([&](const Range& own, const Range& other) {
        pairGroup(own, other, offsets[own.log], offsets[other.log], window, partner, room);
    });
    return partner;
}

std::vector<int64_t> PairIndex::wholeHourShifts(const std::vector<uint32_t>& paired, int64_t window) const {
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
            const int64_t high = std::min(kMaxHours, floorDiv(entries_[own.stop - 1].minute - otherFirst + window, 60));
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

void PairIndex::pairAgain(const std::vector<int64_t>& offsets, const std::vector<uint8_t>& changed, int64_t window,
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

}  // namespace torv::crosscheck::detail
