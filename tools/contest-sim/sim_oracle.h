// What the cross-check must make of the contacts with stations that sent
// no log, worked out from the finished logs the plain way (every call
// against every call): unique, busted by the contest's call history,
// unverified, or busted against the consensus of the other logs.
#pragma once

#include <string>
#include <vector>

#include "contest_sim.h"

namespace torv::contestsim {

// One log while its expectations are finished: its call and its lines in
// file order, their minutes as the check corrects them.
struct OracleLog {
    std::string call;
    std::vector<SimQso*> qsos;
};

// Gives every line whose expectedStatus is still "" (its station sent no
// log) its status and counterpart.
void expectUnsubmitted(std::vector<OracleLog>& logs);

}  // namespace torv::contestsim
