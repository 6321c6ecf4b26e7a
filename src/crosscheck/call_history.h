// Internal to the cross-check: busted calls found by the contest's call
// history, where the other station's log cannot tell (it sent none).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "crosscheck/consensus.h"
#include "crosscheck/contest_index.h"
#include "crosscheck/crosscheck.h"

namespace torv::crosscheck::detail {

// What the call history makes of a unique contact: the real call, and how
// many logs (the contact's own aside) hold it.
struct HistoryBust {
    uint32_t call;
    uint32_t holders;
};

// The thresholds of the rule.
constexpr uint32_t kHistoryHolders = 5;     // the real call is held by at least this many logs
constexpr int64_t kHistoryMinutes = 60;     // one of them on the band within this of the contact
constexpr size_t kHistoryCandidates = 256;  // near calls looked at per contact, at most

// For every UNIQUE contact (status per flat index) whose call C' sent no
// log and is held by no other log: a call C near C' in the contact's mode,
// neither C' nor the contact's own station, is its real call when (i) at
// least kHistoryHolders logs other than the contact's hold C; (ii) a log
// other than the contact's holds C on the contact's band on a line within
// kHistoryMinutes of the contact (corrected times, minutes per flat index);
// (iii) the contact's received exchange is C's: the exchange C's log sends
// most often (ties: its earliest line's), or C's consensus when C sent no
// log; neither: no. Of several, the most holders, then the call's order.
// Calls busted(flat, bust) for each contact found. The near calls are found
// through an index of the calls held by kHistoryHolders logs or more.
void bustByCallHistory(const Contest& contest, const std::vector<int64_t>& minutes,
                       const std::vector<QsoStatus>& status, const ConsensusTable& consensus,
                       const std::function<void(uint32_t, const HistoryBust&)>& busted);

}  // namespace torv::crosscheck::detail
