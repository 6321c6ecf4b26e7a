// Driving the plug-in through its C exports, as the host does: the same
// scoring pass runs against libStats.so natively and against Stats.dll under
// wine, and both must leave the same error file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "abi/stats_exports.h"
#include "engine/date_time.h"

// Every export by its plain name.
struct ExportTable {
#define STATS_TABLE_MEMBER(result, plain, twin, params) decltype(&::plain) plain = nullptr;
    STATS_EXPORTS(STATS_TABLE_MEMBER)
#undef STATS_TABLE_MEMBER
};

// A contact with the fields the host fills; defaults make a valid CW
// contact on 80 m from a mainland station in SP.
struct HostContact {
    std::string ownCall = "PY2ZZ";
    std::string call = "PY1AA";
    torv::abi::DateTimeArg time{torv::calendar::oleDateFromCalendar(2015, 9, 12, 9, 30), torv::abi::kDateTimeValid};
    bool nullTime = false;  // pass a NULL date-time pointer
    uint32_t frequency = 3525000;
    std::string mode = "CW";
    std::string rstSent = "599";
    std::string rstReceived = "599";
    std::string exchangeSent = "SP";
    std::string exchangeReceived = "RJ";
    std::string prefix = "PY";
    std::string auxText;
    std::string band = "80m";
};

int addData(const ExportTable& exports, const HostContact& contact);
int removeData(const ExportTable& exports, const HostContact& contact);
int resetStats(const ExportTable& exports, int exportFlag, const std::string& contestantCall,
               const torv::abi::DateTimeArg& start, const torv::abi::DateTimeArg& end);
int checkCall(const ExportTable& exports, const std::string& call, const std::string& mode, const std::string& prefix,
              const std::string& areaText, const std::string& band);

// The contest period used by the scoring pass: 12-13 September 2015.
torv::abi::DateTimeArg passStart();
torv::abi::DateTimeArg passEnd();

// The contacts of the scoring pass, in log order: every finding of the error
// file, every points rule, island and category stations.
std::vector<HostContact> passContacts();

// Deletions after the log: one removal, two refusals, one contact not stored.
std::vector<HostContact> passRemovals();

// One scoring pass: a reset, every pass contact, then a few removals and call
// checks. Returns every export's result in call order; the error file is left
// in the current folder.
std::vector<int> runScoringPass(const ExportTable& exports, int exportFlag = 0,
                                const std::string& contestantCall = "PY2ZZ");

// The results runScoringPass must return.
std::vector<int> expectedScoringPassResults();
