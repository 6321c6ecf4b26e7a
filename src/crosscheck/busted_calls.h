// Internal to the cross-check: busted calls. A contact left without a pair
// is matched with a contact of the station it really worked, near the call
// it logged.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "crosscheck/contest_index.h"

namespace torv::crosscheck::detail {

// Pairs unpaired contacts as busted calls, nearest in time first: a contact
// of A with B (the first side) and a contact with A on the same band and
// mode in the log of a station C, C neither A nor B, near B in the mode
// (nearness; the second side), at most window minutes apart on corrected
// times (minutes, per flat index). Of candidates equally near in time, the
// fewer differences first, then C's call, then the lines. Only contacts
// whose partner is kUnpaired take part; each pair made is written into
// partner both ways and told as busted(x, y), x the contact of A. The near
// sides are found through an index of the calls, never by comparing every
// pair.
void pairBustedCalls(const Contest& contest, const std::vector<int64_t>& minutes, int64_t window,
                     std::vector<int32_t>& partner, const std::function<void(uint32_t, uint32_t)>& busted);

}  // namespace torv::crosscheck::detail
