// Internal to the cross-check: excuses. A contact not in the other
// station's log is excused (left UNVERIFIED) when that log has a line
// naming this station at that time that could not be read.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "crosscheck/contest_index.h"
#include "crosscheck/crosscheck.h"

namespace torv::crosscheck::detail {

// Pairs the contacts found in no log (NIL, by status per flat index) with
// the lines of the other station's log that could not be read but whose
// call and time can, naming the contact's station, at most window minutes
// apart on corrected times (minutes per contact; an unreadable line's time
// is corrected by its log's offset), nearest first; each such line stands
// for one contact. Calls excused(flat, line number) for each pair.
void excuseByUnreadableLines(const Contest& contest, const std::vector<int64_t>& minutes,
                             const std::vector<int64_t>& offsets, int64_t window, const std::vector<QsoStatus>& status,
                             const std::function<void(uint32_t, uint32_t)>& excused);

}  // namespace torv::crosscheck::detail
