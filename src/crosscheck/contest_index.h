// Internal to the cross-check: every contact of every submitted log in dense
// arrays, with the calls interned once. The rules (pairing, clocks, busted
// calls, excuses) work on these arrays only, by a contact's flat index.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/crosscheck.h"

namespace torv::crosscheck::detail {

// Every contact of every log, flattened, with the calls interned: the ids
// follow the calls' text order, so comparing ids compares calls.
class Contest {
public:
    explicit Contest(const std::vector<SubmittedLog>& logs);

    size_t size() const { return worked_.size(); }
    size_t logCount() const { return logs_.size(); }
    uint32_t begin(size_t log) const { return base_[log]; }
    uint32_t end(size_t log) const { return base_[log + 1]; }
    uint32_t logOfFlat(uint32_t flat) const { return flatLog_[flat]; }
    // The id of the log's own call.
    uint32_t callOfLog(size_t log) const { return logCall_[log]; }
    uint32_t line(uint32_t flat) const { return line_[flat]; }
    int64_t minute(uint32_t flat) const { return minute_[flat]; }
    EngineResult engine(uint32_t flat) const { return engine_[flat]; }
    // Exchanges by their normalised text: equal ids, equal exchanges.
    uint32_t sent(uint32_t flat) const { return sent_[flat]; }
    uint32_t received(uint32_t flat) const { return received_[flat]; }
    std::string_view exchangeText(uint32_t id) const { return exchanges_[id]; }

    uint32_t caller(uint32_t flat) const { return caller_[flat]; }
    uint32_t worked(uint32_t flat) const { return worked_[flat]; }
    uint32_t bandMode(uint32_t flat) const { return bandMode_[flat]; }
    // The contact is on a band the contest counts.
    bool onCountedBand(uint32_t flat) const { return countedBand_[bandMode_[flat]] != 0; }
    // The contact is REFUSED by its own status: by the engine, or on no band the contest counts.
    bool refused(uint32_t flat) const { return engine_[flat] == EngineResult::kRefused || !onCountedBand(flat); }
    // The band of a band-and-mode id, as an id of its own, and its mode's text.
    uint32_t bandOf(uint32_t bandMode) const { return band_[bandMode]; }
    std::string_view modeOf(uint32_t bandMode) const { return mode_[bandMode]; }
    std::string_view callText(uint32_t id) const { return calls_[id]; }
    uint32_t callCount() const { return static_cast<uint32_t>(calls_.size()); }
    // The log a call submitted, or -1.
    int32_t logOfCall(uint32_t id) const { return logOfCall_[id]; }
    // How many logs hold the call: have at least one contact with it that
    // is not REFUSED (each log once).
    uint32_t logsHolding(uint32_t id) const { return logsHolding_[id]; }
    // The id of a call in upper case, if any log names it.
    std::optional<uint32_t> idOfCall(std::string_view call) const {
        const auto found = std::lower_bound(calls_.begin(), calls_.end(), call);
        if (found == calls_.end() || *found != call) {
            return std::nullopt;
        }
        return static_cast<uint32_t>(found - calls_.begin());
    }
    const SubmittedLog& log(size_t l) const { return logs_[l]; }

private:
    // Calls in upper case, each given an id in the order first met.
    struct CallInterner;

    void internCalls();
    // One pass over the contacts in memory order; the rules then work on
    // these dense arrays only. Calls get the interner's ids.
    void readContacts(CallInterner& intern, std::vector<uint32_t>& logCall);
    // The calls in text order (calls_), and each first-met id's place in it,
    // so that comparing ids compares calls.
    std::vector<uint32_t> sortCalls(const std::vector<std::string_view>& texts);
    // Each log's call and each contact's caller and log; how many logs hold
    // each call. A second log of a call is nobody's counterpart: its
    // contacts are indexed under a caller no one works.
    void indexLogs(const std::vector<uint32_t>& logCall);
    void internBandModes();

    const std::vector<SubmittedLog>& logs_;
    std::vector<uint32_t> base_;
    std::vector<uint32_t> line_;
    std::vector<int64_t> minute_;
    std::vector<EngineResult> engine_;
    std::vector<uint32_t> sent_;
    std::vector<uint32_t> received_;
    std::vector<std::string> calls_;
    std::vector<uint32_t> worked_;
    std::vector<uint32_t> caller_;
    std::vector<uint32_t> flatLog_;
    std::vector<uint32_t> logCall_;
    std::vector<uint32_t> bandMode_;
    std::vector<uint8_t> countedBand_;    // per band-and-mode id
    std::vector<uint32_t> band_;          // per band-and-mode id
    std::vector<std::string> mode_;       // per band-and-mode id
    std::vector<std::string> exchanges_;  // the normalised exchanges by id
    std::vector<int32_t> logOfCall_;
    std::vector<uint32_t> logsHolding_;
};

}  // namespace torv::crosscheck::detail
