// Internal to the cross-check: busted calls by the call history (call_history.h).
#include "crosscheck/call_history.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <unordered_map>

#include "crosscheck/one_edit.h"

namespace torv::crosscheck::detail {

namespace {

// A unique contact and a call that may be its real one.
struct Candidate {
    uint32_t flat;
    uint32_t call;
};

// The exchange a log sends most often, ties to its earliest line's.
uint32_t mostSent(const Contest& contest, size_t log) {
    std::vector<std::pair<uint32_t, uint32_t>> sent;  // (exchange, line)
    for (uint32_t f = contest.begin(log); f < contest.end(log); ++f) {
        sent.emplace_back(contest.sent(f), contest.line(f));
    }
    std::sort(sent.begin(), sent.end());
    using Sent = std::pair<uint32_t, uint32_t>;
    return mostOften(
        sent.begin(), sent.end(), [](const Sent& s) { return s.first; }, [](const Sent& s) { return s.second; },
        std::numeric_limits<uint32_t>::max());
}

// The calls near each unique contact's call that pass (iii) and may pass
// (i), in contact order.
std::vector<Candidate> candidatesOf(const Contest& contest, const std::vector<QsoStatus>& status,
                                    const ConsensusTable& consensus) {
    NearCallIndex index;
    bool any = false;
    for (uint32_t call = 0; call < contest.callCount(); ++call) {
        if (contest.logsHolding(call) >= kHistoryHolders) {
            index.add(0, contest.callText(call), call);
            any = true;
        }
    }
    std::vector<Candidate> candidates;
    if (!any) {
        return candidates;
    }
    index.seal();
    std::unordered_map<uint32_t, uint32_t> exchangeOf;  // of the calls looked at
    auto exchangeOfCall = [&](uint32_t call) {
        const auto found = exchangeOf.find(call);
        if (found != exchangeOf.end()) {
            return found->second;
        }
        uint32_t exchange = std::numeric_limits<uint32_t>::max();
        if (contest.logOfCall(call) >= 0) {
            exchange = mostSent(contest, static_cast<size_t>(contest.logOfCall(call)));
        } else if (const std::optional<ConsensusOf> agreed = consensus.of(call)) {
            exchange = agreed->exchange;
        }
        exchangeOf.emplace(call, exchange);
        return exchange;
    };
    std::vector<uint32_t> found;
    for (uint32_t f = 0; f < contest.size(); ++f) {
        const uint32_t logged = contest.worked(f);
        if (status[f] != QsoStatus::kUnique || contest.logOfCall(logged) >= 0 || contest.logsHolding(logged) > 1) {
            continue;
        }
        found.clear();
        index.find(0, contest.callText(logged), found);
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        found.resize(std::min(found.size(), kHistoryCandidates));
        const std::string_view mode = contest.modeOf(contest.bandMode(f));
        const uint32_t own = contest.callOfLog(contest.logOfFlat(f));
        for (const uint32_t call : found) {
            if (call != logged && call != own &&
                nearness(contest.callText(logged), contest.callText(call), mode).kind != NearKind::kNone &&
                exchangeOfCall(call) == contest.received(f)) {
                candidates.push_back({f, call});
            }
        }
    }
    return candidates;
}

// The lines that hold the candidates' calls, by (call, band, corrected
// minute), each with the next one of its call and band from another log;
// and which logs hold each of them.
class HeldLines {
public:
    HeldLines(const Contest& contest, const std::vector<int64_t>& minutes, const std::vector<Candidate>& candidates) {
        std::vector<uint8_t> wanted(contest.callCount(), 0);
        for (const Candidate& c : candidates) {
            wanted[c.call] = 1;
        }
        for (uint32_t f = 0; f < contest.size(); ++f) {
            if (wanted[contest.worked(f)] && !contest.refused(f)) {
                lines_.push_back({contest.worked(f), contest.bandOf(contest.bandMode(f)), minutes[f],
                                  static_cast<uint32_t>(contest.logOfFlat(f)), 0});
                holds_.emplace_back(contest.worked(f), contest.logOfFlat(f));
            }
        }
        std::sort(lines_.begin(), lines_.end(), [](const Line& a, const Line& b) {
            return std::tie(a.call, a.band, a.minute, a.log) < std::tie(b.call, b.band, b.minute, b.log);
        });
        for (size_t i = lines_.size(); i-- > 0;) {
            const bool sameRun =
                i + 1 < lines_.size() && lines_[i + 1].call == lines_[i].call && lines_[i + 1].band == lines_[i].band;
            lines_[i].nextOther = !sameRun                             ? static_cast<uint32_t>(lines_.size())
                                  : lines_[i + 1].log != lines_[i].log ? static_cast<uint32_t>(i + 1)
                                                                       : lines_[i + 1].nextOther;
        }
        std::sort(holds_.begin(), holds_.end());
        holds_.erase(std::unique(holds_.begin(), holds_.end()), holds_.end());
    }

    bool holds(uint32_t call, uint32_t log) const {
        return std::binary_search(holds_.begin(), holds_.end(), std::make_pair(call, log));
    }

    // A line of the call on the band within [from, to] of a log other than `log`.
    bool heardNear(uint32_t call, uint32_t band, int64_t from, int64_t to, uint32_t log) const {
        const auto at = std::lower_bound(lines_.begin(), lines_.end(), std::make_tuple(call, band, from),
                                         [](const Line& line, const std::tuple<uint32_t, uint32_t, int64_t>& key) {
                                             return std::tie(line.call, line.band, line.minute) < key;
                                         });
        size_t i = static_cast<size_t>(at - lines_.begin());
        if (i < lines_.size() && lines_[i].log == log && lines_[i].call == call && lines_[i].band == band) {
            i = lines_[i].nextOther;
        }
        return i < lines_.size() && lines_[i].call == call && lines_[i].band == band && lines_[i].minute <= to;
    }

private:
    struct Line {
        uint32_t call;
        uint32_t band;
        int64_t minute;
        uint32_t log;
        uint32_t nextOther;
    };
    std::vector<Line> lines_;
    std::vector<std::pair<uint32_t, uint32_t>> holds_;  // (call, log)
};

}  // namespace

void bustByCallHistory(const Contest& contest, const std::vector<int64_t>& minutes,
                       const std::vector<QsoStatus>& status, const ConsensusTable& consensus,
                       const std::function<void(uint32_t, const HistoryBust&)>& busted) {
    const std::vector<Candidate> candidates = candidatesOf(contest, status, consensus);
    if (candidates.empty()) {
        return;
    }
    const HeldLines held(contest, minutes, candidates);
    for (size_t start = 0; start < candidates.size();) {
        const uint32_t f = candidates[start].flat;
        const uint32_t log = contest.logOfFlat(f);
        const uint32_t band = contest.bandOf(contest.bandMode(f));
        bool found = false;
        HistoryBust best{0, 0};
        size_t stop = start;
        for (; stop < candidates.size() && candidates[stop].flat == f; ++stop) {
            const uint32_t call = candidates[stop].call;
            const uint32_t holders = contest.logsHolding(call) - (held.holds(call, log) ? 1 : 0);
            if (holders < kHistoryHolders ||
                !held.heardNear(call, band, minutes[f] - kHistoryMinutes, minutes[f] + kHistoryMinutes, log)) {
                continue;
            }
            if (!found || holders > best.holders || (holders == best.holders && call < best.call)) {
                best = {call, holders};
                found = true;
            }
        }
        if (found) {
            busted(f, best);
        }
        start = stop;
    }
}

}  // namespace torv::crosscheck::detail
