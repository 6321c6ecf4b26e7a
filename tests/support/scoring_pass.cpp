#include "support/scoring_pass.h"

#include <cmath>
#include <limits>

using torv::abi::DateTimeArg;
using torv::abi::kDateTimeInvalid;
using torv::abi::kDateTimeNull;
using torv::abi::kDateTimeValid;
using torv::calendar::oleDateFromCalendar;

namespace {

const char* const kSpecialStation = "PY5TORV";

DateTimeArg* timeArgument(const HostContact& contact, DateTimeArg& storage) {
    if (contact.nullTime) {
        return nullptr;
    }
    storage = contact.time;
    return &storage;
}

template <typename Function>
int callWithContact(Function function, const HostContact& c) {
    DateTimeArg time;
    DateTimeArg other{0.0, kDateTimeNull};
    return function(c.ownCall.c_str(), c.call.c_str(), timeArgument(c, time), &other, &other, &other, 0u, c.frequency,
                    c.mode.c_str(), c.rstSent.c_str(), c.rstReceived.c_str(), c.exchangeSent.c_str(),
                    c.exchangeReceived.c_str(), "", "", "", "", "", "", "", "", "", c.prefix.c_str(), 0, 0, 0, 0.0, 0.0,
                    "", c.auxText.c_str(), "", c.band.c_str(), "");
}

// A frequency inside the band, so the Cabrillo lines look like a real log's.
uint32_t frequencyOn(const std::string& band, const std::string& mode) {
    static const struct {
        const char* band;
        uint32_t cw;
        uint32_t ssb;
    } kBandFrequencies[] = {
        {"160m", 1830000, 1850000},  {"80m", 3525000, 3750000},   {"40m", 7025000, 7090000},
        {"30m", 10120000, 10120000}, {"20m", 14025000, 14250000}, {"17m", 18080000, 18130000},
        {"15m", 21025000, 21300000}, {"12m", 24900000, 24950000}, {"10m", 28025000, 28500000},
        {"6m", 50090000, 50150000},
    };
    for (const auto& entry : kBandFrequencies) {
        if (band == entry.band) {
            return mode == "SSB" ? entry.ssb : entry.cw;
        }
    }
    return 3525000;
}

HostContact contact(std::string call, std::string band, std::string mode, std::string exchangeReceived) {
    HostContact c;
    c.frequency = frequencyOn(band, mode);
    c.call = std::move(call);
    c.band = std::move(band);
    c.mode = std::move(mode);
    c.exchangeReceived = std::move(exchangeReceived);
    return c;
}

}  // namespace

int addData(const ExportTable& exports, const HostContact& contact) {
    return callWithContact(exports.AddData0, contact);
}

int removeData(const ExportTable& exports, const HostContact& contact) {
    return callWithContact(exports.RemoveData0, contact);
}

int resetStats(const ExportTable& exports, int exportFlag, const std::string& contestantCall, const DateTimeArg& start,
               const DateTimeArg& end) {
    DateTimeArg startCopy = start;
    DateTimeArg endCopy = end;
    return exports.ResetStats0("", exportFlag, contestantCall.c_str(), &startCopy, &endCopy, "", "", "", "", "", "", "",
                               "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "");
}

int checkCall(const ExportTable& exports, const std::string& call, const std::string& mode, const std::string& prefix,
              const std::string& areaText, const std::string& band) {
    char buffer27[64] = "untouched";
    char buffer28[64] = "untouched";
    return exports.CheckCall0(call.c_str(), 0u, 0u, mode.c_str(), "", "", "", "", "", "", "", "", "", prefix.c_str(), 0,
                              0, 0, 0.0, 0.0, "", "", "", "", areaText.c_str(), band.c_str(), "", buffer27, buffer28);
}

DateTimeArg passStart() {
    return {oleDateFromCalendar(2015, 9, 12, 0, 0), kDateTimeValid};
}

DateTimeArg passEnd() {
    return {oleDateFromCalendar(2015, 9, 13, 23, 59), kDateTimeValid};
}

std::vector<HostContact> passContacts() {
    std::vector<HostContact> contacts;
    contacts.push_back(contact("PY1AA", "80m", "CW", "RJ"));
    contacts.push_back(contact("PY2BB", "40m", "SSB", " sp "));  // area SP
    contacts.push_back(contact("PY3CC", "30m", "RTTY", "RS"));   // band first
    contacts.push_back(contact("PY3CC", "20m", "cw", "RS"));     // mode
    HostContact noSent = contact("PY4DD", "20m", "CW", "MG");
    noSent.exchangeSent.clear();
    contacts.push_back(noSent);
    contacts.push_back(contact("PY5EE", "15m", "CW", "xx"));   // no area
    contacts.push_back(contact("PY1AA", "80m", "CW", "RJ"));   // one DUPE line
    contacts.push_back(contact("PY1AA", "80m", "CW", "RJ"));   // two DUPE lines
    contacts.push_back(contact("PY1AA", "80m", "SSB", "RJ"));  // other mode: no dupe
    HostContact island = contact("PY0TI", "20m", "SSB", "ZZ");
    island.prefix = "PY0T";
    contacts.push_back(island);
    contacts.push_back(contact("PY6MIL", "40m", "CW", "MIL"));  // category word
    contacts.push_back(contact("PY6MIX", "40m", "CW", "mil"));  // not one
    contacts.push_back(contact("PY7FF", "6m", "SSB", "PE"));    // unlisted band
    HostContact fast = contact("PY8GG", "20m", "CW", "PA");
    fast.frequency = 14025999;
    contacts.push_back(fast);
    HostContact invalidTime = contact("PY9HH", "12m", "CW", "AM");
    invalidTime.time.status = kDateTimeInvalid;
    contacts.push_back(invalidTime);
    HostContact nullTime = contact("PY9HH", "17m", "CW", "AM");
    nullTime.nullTime = true;
    contacts.push_back(nullTime);
    HostContact nanTime = contact("PY9HI", "160m", "CW", "AM");
    nanTime.time.date = std::numeric_limits<double>::quiet_NaN();
    contacts.push_back(nanTime);
    contacts.push_back(contact("", "10m", "SSB", "BA"));  // empty call is stored
    HostContact highBytes = contact("PY2\xC7\xE3O", "10m", "CW", "\xE9X");
    highBytes.auxText = "\xFF";
    contacts.push_back(highBytes);
    HostContact halfPast = contact("PY2JJ", "40m", "CW", "SC");
    halfPast.time.date = 42259.3958333;  // 2015-09-12 09:30 less 0.03 s
    contacts.push_back(halfPast);
    HostContact emptyAll;
    emptyAll.ownCall = emptyAll.call = emptyAll.mode = emptyAll.rstSent = emptyAll.rstReceived = "";
    emptyAll.exchangeSent = emptyAll.exchangeReceived = emptyAll.prefix = emptyAll.band = "";
    emptyAll.frequency = 999;
    contacts.push_back(emptyAll);  // empty mode
    // Points beyond the ordinary two, for the summary.
    contacts.push_back(contact("PY7YL", "15m", "SSB", "YL"));
    contacts.push_back(contact("PY7QRP", "15m", "CW", "QRP"));
    contacts.push_back(contact(kSpecialStation, "20m", "CW", "PR"));
    return contacts;
}

std::vector<HostContact> passRemovals() {
    HostContact unsent = contact("PY2BB", "40m", "SSB", "SP");
    unsent.exchangeSent.clear();
    HostContact russian = contact("PY5EE", "15m", "CW", "XX");
    russian.prefix = "UA";
    return {
        contact("PY1AA", "80m", "CW", "RJ"),   // the first of three twins goes
        unsent,                                // refused
        russian,                               // refused: no area
        contact("NOBODY", "80m", "CW", "RJ"),  // not stored: done all the same
    };
}

std::vector<int> runScoringPass(const ExportTable& exports, int exportFlag, const std::string& contestantCall) {
    std::vector<int> results;
    results.push_back(resetStats(exports, exportFlag, contestantCall, passStart(), passEnd()));
    for (const HostContact& contact : passContacts()) {
        results.push_back(addData(exports, contact));
    }

    for (const HostContact& contact : passRemovals()) {
        results.push_back(removeData(exports, contact));
    }

    // The remaining PY1AA 80m CW records keep the call a duplicate there.
    results.push_back(checkCall(exports, "PY1AA", "CW", "PY", "RJ", "80m"));
    results.push_back(checkCall(exports, "PY1ZZ", "CW", "PY", "RJ", "80m"));
    results.push_back(checkCall(exports, "PY1ZZ", "CW", "PY0/s", "RJ", "80m"));
    results.push_back(checkCall(exports, "PY1ZZ", "CW", "PY", "RJ", "40m"));
    return results;
}

std::vector<int> expectedScoringPassResults() {
    return {
        1,                                         // reset
        1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // contacts up to 14025999 Hz
        0, 0, 0, 1, 1, 1, 0,                       // refused bands, empty call, high bytes, 09:30, empty mode
        1, 1, 1,                                   // YL, QRP, the special station
        1, 0, 0, 1,                                // removals
        0, 1, 2, 2,                                // call checks
    };
}
