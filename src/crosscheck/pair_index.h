// Internal to the cross-check: the index of the contacts that may pair and
// the pairing rounds over it (pairs on corrected times with the duplicate
// twins' takeover, the whole-hour clock search, pairing again after a
// shift). The nearest-in-time rule itself is NearestPairing's (pairing.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "crosscheck/contest_index.h"
#include "crosscheck/pairing.h"

namespace torv::crosscheck::detail {

// A contact's partner when it has none.
constexpr int32_t kUnpaired = -1;
// A duplicate whose pair a counted twin took over: no counterpart.
constexpr int32_t kGaveAway = -2;

// One contact in the index of pairs: whom it logged on which band and mode
// (one key), when, on which line. A log's entries sorted by these fields are
// its groups of contacts with one station on one band and mode, in time order.
struct PairEntry {
    uint64_t group;  // worked call id << 32 | band-and-mode id
    int64_t minute;  // as logged
    uint32_t line;
    uint32_t flat;
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
    // Indexes the contest's contacts with a station that sent a log (not the
    // log's own call, not a second log of a call). counted holds, per flat
    // index, 1 for a contact the engine counts; both must outlive the index.
    PairIndex(const Contest& contest, const std::vector<uint8_t>& counted);

    // Pairs contacts of two stations that logged each other on the same
    // band and mode, at most window minutes apart once each log's time is
    // moved back by its offset. Returns each contact's partner (a flat
    // index) or kUnpaired.
    std::vector<int32_t> pairUp(const std::vector<int64_t>& offsets, int64_t window) const;

    // The duplicate takeover: a counted contact without a pair takes over
    // the pair of a duplicate twin (same call, band and mode in its log)
    // logged at most window minutes from it, the same contact entered
    // twice, when that twin has a pair and mayGive holds 1 for it; of
    // several, the nearest, then the earlier line. The twin is marked
    // kGaveAway. Returns how many pairs were taken over.
    uint32_t takeOver(int64_t window, std::vector<int32_t>& partner, const std::vector<uint8_t>& mayGive) const;

    // Each log's whole-hour clock error in minutes (a multiple of 60 from
    // -24 to +24 hours), 0 when none is found: a shift is taken when it
    // pairs (the offset window, both rounds) at least three times as many of
    // the log's contacts as no shift does, and at least kWholeHourPairs (ten).
    // paired holds each log's pairs without any shift; only a log that could
    // reach that is tried, each of its groups only at the shifts its times
    // allow. The logs are tried largest first, each against the others'
    // times with the shifts taken so far: of two logs off by an hour from
    // each other, one is shifted, not both.
    std::vector<int64_t> wholeHourShifts(const std::vector<uint32_t>& paired, int64_t window) const;

    // Pairs again the groups of the logs whose offset changed, both sides,
    // as pairUp would with the new offsets (no takeover).
    void pairAgain(const std::vector<int64_t>& offsets, const std::vector<uint8_t>& changed, int64_t window,
                   std::vector<int32_t>& partner) const;

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

    // Calls visit(own, other) for each group of one log that the other
    // station's log has a group for; with firstOnly, only where the log's
    // call sorts first.
    template <typename Visit>
    void forEachGroupOf(size_t log, bool firstOnly, Visit visit) const;

    // Calls visit(own, other) once for each pair of groups, from the log
    // whose call sorts first.
    template <typename Visit>
    void forEachGroupPair(Visit visit) const;

    // The other station's group for the group that starts at `start` in `log`.
    Range partnerGroup(size_t log, size_t start) const;

    // Pairs two groups in both rounds; returns the pairs made.
    uint32_t pairGroup(const Range& own, const Range& other, int64_t ownOffset, int64_t otherOffset, int64_t window,
                       std::vector<int32_t>& partner, GroupPairing& room) const;

    // Within one group of a log: the takeover (takeOver).
    uint32_t takeOverIn(const Range& group, int64_t window, std::vector<int32_t>& partner,
                        const std::vector<uint8_t>& mayGive, GroupPairing& room) const;

    const Contest& contest_;
    const std::vector<uint8_t>& counted_;
    std::vector<PairEntry> entries_;
    std::vector<size_t> logStart_;
};

}  // namespace torv::crosscheck::detail
