// Internal to the cross-check: the clock. Each log's clock offset is
// estimated from the pairs found on its logged times with a wide window,
// whole hours (a time zone or a date set wrong) before minutes.
#pragma once

#include <cstdint>
#include <vector>

#include "crosscheck/contest_index.h"
#include "crosscheck/crosscheck.h"
#include "crosscheck/pair_index.h"

namespace torv::crosscheck::detail {

// Each log's clock offset into verdicts (offsetMinutes, wholeHours,
// offsetPairs; one verdict per log): whole hours first, then the minutes,
// the median of the pairs' time differences, from pairs on the logged
// times with the wide window (no takeover: a twin's time difference is no
// clock error).
void estimateClocks(const Contest& contest, const PairIndex& index, int64_t window, std::vector<LogVerdict>& verdicts);

}  // namespace torv::crosscheck::detail
