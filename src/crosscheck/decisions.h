// The committee's decisions (`torv check --overrides FILE`): the final
// status of single QSO lines, kept from one run of the check to the next.
// A CSV file with the header line "call,line,status,note", read as the
// categories file is (a semicolon between the fields too, fields in
// quotes), and a line per decision.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/crosscheck.h"

namespace torv::crosscheck {

// The file is small: a line per decision. A larger one is refused whole.
constexpr uint64_t kDecisionsFileLimit = 1 << 20;
constexpr size_t kDecisionsLineLimit = 1000;  // bytes of one line

// Reads the file's text. A line that cannot be taken (a field count other
// than 4, no call, a line number that is none, a status that is not one of
// kDecidableStatuses) is told in problems with its line number and left
// aside. Throws std::invalid_argument when the text is over
// kDecisionsFileLimit or its first line is not the header (nothing of it
// can be trusted then).
DecisionsFile readDecisionsFile(std::string_view text);

// Applies the rows, in order, to the verdicts: each sets the status of its
// line and marks it decided (the later of two rows for one line counts);
// the counterpart stays for CONFIRMED, BUSTED-CALL and BUSTED-EXCHANGE and
// goes for the others. A row naming a call with no log, a line that is no
// QSO line of it or a line with a status of its own is left aside and
// returned.
std::vector<DecisionProblem> applyDecisions(const std::vector<SubmittedLog>& logs, const DecisionsFile& decisions,
                                            std::vector<LogVerdict>& verdicts);

// "line 4: no log of PY2XYZ was checked; left aside", and the like.
std::string decisionProblemText(const DecisionProblem& problem);

}  // namespace torv::crosscheck
