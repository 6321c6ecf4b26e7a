// Internal to the cross-check: the exchange of a station that sent no log,
// known from what the logs that hold its call received from it.
#pragma once

#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include "crosscheck/contest_index.h"

namespace torv::crosscheck::detail {

// A call's consensus: the exchange `agree` of its `votes` voting logs received.
struct ConsensusOf {
    uint32_t exchange;
    uint32_t agree;
    uint32_t votes;
};

// The votes of every log on the exchange of every call that sent no log
// and is no mobile station ("/M", "/MM", "/AM"): each log that holds the
// call with a received exchange votes once, for the exchange it received
// from it most often (ties: its earliest line's). With at least
// kConsensusVotes votes, an exchange with at least two thirds of them is
// the call's consensus. Memory: a few words per line with such a call.
class ConsensusTable {
public:
    explicit ConsensusTable(const Contest& contest);

    // The call's consensus, if it has one.
    std::optional<ConsensusOf> of(uint32_t call) const;
    // How many logs voted for the exchange as the call's.
    uint32_t votesFor(uint32_t call, uint32_t exchange) const;
    // The exchange the log voted for as the call's, if it voted.
    std::optional<uint32_t> voteOf(uint32_t call, uint32_t log) const;

private:
    // (call, log, exchange), sorted.
    std::vector<std::tuple<uint32_t, uint32_t, uint32_t>> votes_;
    // (call, exchange, votes), sorted.
    std::vector<std::tuple<uint32_t, uint32_t, uint32_t>> tallies_;
    // (call, consensus), sorted by call.
    std::vector<std::pair<uint32_t, ConsensusOf>> consensus_;
};

constexpr uint32_t kConsensusVotes = 3;

// True for a mobile station's call ("/M", "/MM", "/AM"): its exchange
// changes with the state it is in.
bool mobileCall(std::string_view call);

// Of a range sorted by value and then by line, the value found most often;
// of values found as often, the one whose earliest line comes first. `none`
// for an empty range. A log's most sent exchange and its vote for a call
// without a log are both chosen this way.
template <typename It, typename ValueOf, typename LineOf>
uint32_t mostOften(It first, It last, ValueOf valueOf, LineOf lineOf, uint32_t none) {
    uint32_t best = none;
    size_t bestCount = 0;
    uint32_t bestLine = 0;
    for (It start = first; start != last;) {
        It stop = start;
        while (stop != last && valueOf(*stop) == valueOf(*start)) {
            ++stop;
        }
        const size_t count = static_cast<size_t>(stop - start);
        if (count > bestCount || (count == bestCount && lineOf(*start) < bestLine)) {
            best = valueOf(*start);
            bestCount = count;
            bestLine = lineOf(*start);
        }
        start = stop;
    }
    return best;
}

}  // namespace torv::crosscheck::detail
