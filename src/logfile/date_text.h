// Dates and times as contest logs and command lines write them.
#pragma once

#include <string_view>

namespace torv::logfile {

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS" as an OLE
// Automation date; false for anything else or an impossible date or time.
bool parseDateTimeText(std::string_view text, double& oleDate);

}  // namespace torv::logfile
