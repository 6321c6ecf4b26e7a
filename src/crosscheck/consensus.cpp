// Internal to the cross-check: the consensus exchanges (consensus.h).
#include "crosscheck/consensus.h"

#include <algorithm>

namespace torv::crosscheck::detail {

bool mobileCall(std::string_view call) {
    for (std::string_view suffix : {"/M", "/MM", "/AM"}) {
        if (call.size() > suffix.size() && call.substr(call.size() - suffix.size()) == suffix) {
            return true;
        }
    }
    return false;
}

ConsensusTable::ConsensusTable(const Contest& contest) {
    // Each holding line of a call without a log: (call, log, exchange, line).
    struct Held {
        uint32_t call, log, exchange, line;
    };
    std::vector<Held> held;
    for (uint32_t f = 0; f < contest.size(); ++f) {
        const uint32_t call = contest.worked(f);
        if (contest.refused(f) || contest.logOfCall(call) >= 0 || contest.exchangeText(contest.received(f)).empty()) {
            continue;
        }
        held.push_back({call, contest.logOfFlat(f), contest.received(f), contest.line(f)});
    }
    std::sort(held.begin(), held.end(), [](const Held& a, const Held& b) {
        return std::tie(a.call, a.log, a.exchange, a.line) < std::tie(b.call, b.log, b.exchange, b.line);
    });
    // Each log's vote: the exchange it received most often, ties to its earliest line.
    for (size_t start = 0; start < held.size();) {
        size_t stop = start;
        while (stop < held.size() && held[stop].call == held[start].call && held[stop].log == held[start].log) {
            ++stop;
        }
        const uint32_t best = mostOften(
            held.begin() + static_cast<std::ptrdiff_t>(start), held.begin() + static_cast<std::ptrdiff_t>(stop),
            [](const Held& h) { return h.exchange; }, [](const Held& h) { return h.line; }, 0);
        if (!mobileCall(contest.callText(held[start].call))) {
            votes_.emplace_back(held[start].call, held[start].log, best);
        }
        start = stop;
    }
    held.clear();
    held.shrink_to_fit();
    // The tallies and each call's consensus.
    std::vector<std::pair<uint32_t, uint32_t>> byCall;  // (call, exchange)
    byCall.reserve(votes_.size());
    for (const auto& [call, log, exchange] : votes_) {
        byCall.emplace_back(call, exchange);
    }
    std::sort(byCall.begin(), byCall.end());
    for (size_t start = 0; start < byCall.size();) {
        size_t stop = start;
        uint32_t total = 0;
        ConsensusOf best{0, 0, 0};
        while (stop < byCall.size() && byCall[stop].first == byCall[start].first) {
            size_t run = stop;
            while (run < byCall.size() && byCall[run] == byCall[stop]) {
                ++run;
            }
            const uint32_t count = static_cast<uint32_t>(run - stop);
            tallies_.emplace_back(byCall[stop].first, byCall[stop].second, count);
            total += count;
            if (count > best.agree) {
                best = {byCall[stop].second, count, 0};
            }
            stop = run;
        }
        best.votes = total;
        if (total >= kConsensusVotes && uint64_t{best.agree} * 3 >= uint64_t{total} * 2) {
            consensus_.emplace_back(byCall[start].first, best);
        }
        start = stop;
    }
}

std::optional<ConsensusOf> ConsensusTable::of(uint32_t call) const {
    const auto found = std::lower_bound(consensus_.begin(), consensus_.end(), call,
                                        [](const auto& entry, uint32_t c) { return entry.first < c; });
    if (found == consensus_.end() || found->first != call) {
        return std::nullopt;
    }
    return found->second;
}

uint32_t ConsensusTable::votesFor(uint32_t call, uint32_t exchange) const {
    const auto key = std::make_tuple(call, exchange, uint32_t{0});
    const auto found = std::lower_bound(tallies_.begin(), tallies_.end(), key);
    if (found == tallies_.end() || std::get<0>(*found) != call || std::get<1>(*found) != exchange) {
        return 0;
    }
    return std::get<2>(*found);
}

std::optional<uint32_t> ConsensusTable::voteOf(uint32_t call, uint32_t log) const {
    const auto key = std::make_tuple(call, log, uint32_t{0});
    const auto found = std::lower_bound(votes_.begin(), votes_.end(), key);
    if (found == votes_.end() || std::get<0>(*found) != call || std::get<1>(*found) != log) {
        return std::nullopt;
    }
    return std::get<2>(*found);
}

}  // namespace torv::crosscheck::detail
