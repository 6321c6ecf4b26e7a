#include "sim_oracle.h"

#include <algorithm>
#include <map>
#include <set>

#include "crosscheck/crosscheck.h"
#include "engine/contest.h"

namespace contest = torv::engine::contest;
namespace crosscheck = torv::crosscheck;

namespace torv::contestsim {

namespace {

bool holds(const SimQso& q) {
    return q.engine != crosscheck::EngineResult::kRefused && contest::isCountedBand(q.band);
}

bool mobile(const std::string& call) {
    for (const std::string suffix : {"/M", "/MM", "/AM"}) {
        if (call.size() > suffix.size() && call.compare(call.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return true;
        }
    }
    return false;
}

// A call's consensus: exchange, agreeing votes, all votes.
struct Agreed {
    std::string exchange;
    size_t agree = 0;
    size_t votes = 0;
};

}  // namespace

void expectUnsubmitted(std::vector<OracleLog>& logs) {
    std::map<std::string, size_t> logOf;
    for (size_t l = 0; l < logs.size(); ++l) {
        logOf.emplace(logs[l].call, l);
    }
    std::map<std::string, std::set<size_t>> holders;
    // Each log's vote for each call without a log: its most received exchange, ties to its earliest line.
    std::map<std::string, std::map<size_t, std::string>> votes;
    for (size_t l = 0; l < logs.size(); ++l) {
        std::map<std::string, std::map<std::string, std::pair<size_t, size_t>>> received;  // count, first line
        for (size_t i = 0; i < logs[l].qsos.size(); ++i) {
            const SimQso& q = *logs[l].qsos[i];
            if (!holds(q)) {
                continue;
            }
            holders[q.call].insert(l);
            if (logOf.count(q.call) == 0 && !mobile(q.call)) {
                auto& seen = received[q.call][q.exchangeReceived];
                seen.second = seen.first++ == 0 ? i : seen.second;
            }
        }
        for (const auto& [call, exchanges] : received) {
            const auto best = std::min_element(exchanges.begin(), exchanges.end(), [](const auto& a, const auto& b) {
                return a.second.first != b.second.first ? a.second.first > b.second.first
                                                        : a.second.second < b.second.second;
            });
            votes[call][l] = best->first;
        }
    }
    std::map<std::string, Agreed> agreed;
    std::map<std::string, std::map<std::string, size_t>> tallies;
    for (const auto& [call, byLog] : votes) {
        for (const auto& [l, exchange] : byLog) {
            ++tallies[call][exchange];
        }
        for (const auto& [exchange, count] : tallies[call]) {
            if (byLog.size() >= 3 && 3 * count >= 2 * byLog.size()) {
                agreed[call] = {exchange, count, byLog.size()};
            }
        }
    }
    // The exchange a call's log sends most often, ties to its earliest line.
    auto mostSent = [&](size_t l) {
        std::map<std::string, std::pair<size_t, size_t>> sent;
        for (size_t i = 0; i < logs[l].qsos.size(); ++i) {
            auto& seen = sent[logs[l].qsos[i]->exchangeSent];
            seen.second = seen.first++ == 0 ? i : seen.second;
        }
        return std::min_element(sent.begin(), sent.end(),
                                [](const auto& a, const auto& b) {
                                    return a.second.first != b.second.first ? a.second.first > b.second.first
                                                                            : a.second.second < b.second.second;
                                })
            ->first;
    };
    for (size_t l = 0; l < logs.size(); ++l) {
        for (SimQso* q : logs[l].qsos) {
            if (!q->expectedStatus.empty()) {
                continue;
            }
            if (holders[q->call].size() <= 1) {
                // The call history: the most held near call that passes every test.
                q->expectedStatus = "UNIQUE";
                size_t most = 0;
                for (const auto& [call, held] : holders) {
                    const size_t others = held.size() - held.count(l);
                    if (others < 5 || call == q->call || call == logs[l].call || others < most ||
                        (others == most && !q->expectedOther.empty()) ||
                        crosscheck::nearness(q->call, call, q->mode).kind == crosscheck::NearKind::kNone) {
                        continue;
                    }
                    const auto withLog = logOf.find(call);
                    const std::string exchange = withLog != logOf.end()    ? mostSent(withLog->second)
                                                 : agreed.count(call) != 0 ? agreed[call].exchange
                                                                           : std::string();
                    bool heard = false;
                    for (size_t o : held) {
                        for (const SimQso* other : logs[o].qsos) {
                            heard = heard || (o != l && holds(*other) && other->call == call &&
                                              other->band == q->band && std::abs(other->minute - q->minute) <= 60);
                        }
                    }
                    if (!exchange.empty() && exchange == q->exchangeReceived && heard) {
                        q->expectedStatus = "BUSTED-CALL";
                        q->expectedOther = call;
                        most = others;
                    }
                }
                continue;
            }
            q->expectedStatus = "UNVERIFIED";
            const auto found = agreed.find(q->call);
            if (found == agreed.end() || found->second.exchange == q->exchangeReceived) {
                continue;
            }
            const auto& byLog = votes[q->call];
            const auto own = byLog.find(l);
            const size_t others =
                tallies[q->call][q->exchangeReceived] - (own != byLog.end() && own->second == q->exchangeReceived);
            if (others == 0) {
                q->expectedStatus = "BUSTED-EXCHANGE";
                q->expectedOther = q->call;
            }
        }
    }
}

}  // namespace torv::contestsim
