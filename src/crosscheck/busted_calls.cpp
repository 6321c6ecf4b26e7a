// Internal to the cross-check: the busted-call search (busted_calls.h).
#include "crosscheck/busted_calls.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

#include "crosscheck/one_edit.h"
#include "crosscheck/pair_index.h"
#include "crosscheck/pairing.h"

namespace torv::crosscheck::detail {

namespace {

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
void indexCrowdedCalls(const Contest& contest, const LooseSides& sides, NearCallIndex& index) {
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
// the log of a station C near B: a block of the pairing.
void addBustedBlocks(const Contest& contest, const LooseSides& sides, const NearCallIndex& index,
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
        const std::string_view mode = contest.modeOf(x.bandMode);
        for (const uint32_t other : found) {
            const uint32_t c = sides.loose[sides.sideStart[other]].caller;
            if (c == a || c == b) {
                continue;
            }
            const Nearness near = nearness(contest.callText(b), contest.callText(c), mode);
            if (near.kind != NearKind::kNone) {
                // Equally near in time: fewer differences first, then the candidate's call.
                pairing.addBlock(side, other, (uint64_t{near.differences} << 32) | c);
            }
        }
    }
}

}  // namespace

void pairBustedCalls(const Contest& contest, const std::vector<int64_t>& minutes, int64_t window,
                     std::vector<int32_t>& partner, const std::function<void(uint32_t, uint32_t)>& busted) {
    LooseSides sides;
    NearestPairing pairing;
    addLooseSides(contest, minutes, partner, sides, pairing);
    NearCallIndex index;
    indexCrowdedCalls(contest, sides, index);
    addBustedBlocks(contest, sides, index, pairing);
    pairing.run(window, [&](uint32_t x, uint32_t y) {
        partner[x] = static_cast<int32_t>(y);
        partner[y] = static_cast<int32_t>(x);
        busted(x, y);
    });
}

}  // namespace torv::crosscheck::detail
