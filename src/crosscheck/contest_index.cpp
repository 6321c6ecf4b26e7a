// Internal to the cross-check: the call interning and the dense arrays of
// every contact (contest_index.h).
#include "crosscheck/contest_index.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <unordered_map>
#include <utility>

#include "engine/contest.h"

namespace torv::crosscheck::detail {

namespace contest = engine::contest;

Contest::Contest(const std::vector<SubmittedLog>& logs) : logs_(logs) {
    size_t total = 0;
    base_.reserve(logs.size() + 1);
    for (const SubmittedLog& log : logs) {
        base_.push_back(static_cast<uint32_t>(total));
        total += log.qsos.size();
    }
    base_.push_back(static_cast<uint32_t>(total));
    internBandModes();
    internCalls();
}

struct Contest::CallInterner {
    std::deque<std::string> owned;
    std::unordered_map<std::string_view, uint32_t> ids;
    std::vector<std::string_view> texts;
    uint32_t operator()(std::string_view call) {
        std::string_view key = call;
        if (std::string upper = normalised(call); upper != call) {
            owned.push_back(std::move(upper));
            key = owned.back();
        }
        // try_emplace makes no node for a call met before (emplace would).
        auto [it, added] = ids.try_emplace(key, static_cast<uint32_t>(texts.size()));
        if (added) {
            texts.push_back(key);
        }
        return it->second;
    }
};

void Contest::internCalls() {
    CallInterner intern;
    std::vector<uint32_t> logCall(logs_.size());
    readContacts(intern, logCall);
    const std::vector<uint32_t> rank = sortCalls(intern.texts);
    for (uint32_t& id : worked_) {
        id = rank[id];
    }
    for (uint32_t& id : logCall) {
        id = rank[id];
    }
    indexLogs(logCall);
}

void Contest::readContacts(CallInterner& intern, std::vector<uint32_t>& logCall) {
    const size_t total = base_.back();
    worked_.resize(total);
    line_.resize(total);
    minute_.resize(total);
    sent_.resize(total);
    received_.resize(total);
    std::unordered_map<std::string, uint32_t> exchanges;
    auto exchangeId = [this, &exchanges](std::string_view exchange) {
        std::string key = normalised(exchange);
        const auto found = exchanges.find(key);
        if (found != exchanges.end()) {
            return found->second;
        }
        exchanges_.push_back(key);
        return exchanges.emplace(std::move(key), static_cast<uint32_t>(exchanges.size())).first->second;
    };
    for (size_t l = 0; l < logs_.size(); ++l) {
        logCall[l] = intern(logs_[l].call);
        uint32_t flat = base_[l];
        for (const LogQso& q : logs_[l].qsos) {
            worked_[flat] = intern(q.call);
            line_[flat] = q.line;
            minute_[flat] = q.minute;
            sent_[flat] = exchangeId(q.exchangeSent);
            received_[flat] = exchangeId(q.exchangeReceived);
            ++flat;
        }
    }
}

std::vector<uint32_t> Contest::sortCalls(const std::vector<std::string_view>& texts) {
    std::vector<uint32_t> order(texts.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return texts[a] < texts[b]; });
    std::vector<uint32_t> rank(texts.size());
    calls_.resize(texts.size());
    for (uint32_t r = 0; r < order.size(); ++r) {
        rank[order[r]] = r;
        calls_[r] = std::string(texts[order[r]]);
    }
    return rank;
}

void Contest::indexLogs(const std::vector<uint32_t>& logCall) {
    const size_t total = base_.back();
    logOfCall_.assign(calls_.size(), -1);
    caller_.resize(total);
    logsHolding_.assign(calls_.size(), 0);
    std::vector<int32_t> lastHolder(calls_.size(), -1);
    flatLog_.resize(total);
    logCall_ = logCall;
    for (size_t l = 0; l < logs_.size(); ++l) {
        if (logOfCall_[logCall[l]] < 0) {
            logOfCall_[logCall[l]] = static_cast<int32_t>(l);
        }
        for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
            caller_[f] = logCall[l];
            flatLog_[f] = static_cast<uint32_t>(l);
            if (!refused(f) && lastHolder[worked_[f]] != static_cast<int32_t>(l)) {
                lastHolder[worked_[f]] = static_cast<int32_t>(l);
                ++logsHolding_[worked_[f]];
            }
        }
    }
    for (size_t l = 0; l < logs_.size(); ++l) {
        if (logOfCall_[logCall[l]] != static_cast<int32_t>(l)) {
            for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
                caller_[f] = std::numeric_limits<uint32_t>::max();
            }
        }
    }
}

void Contest::internBandModes() {
    std::unordered_map<std::string, uint32_t> ids;
    std::unordered_map<std::string, uint32_t> bands;
    std::string key;
    bandMode_.resize(base_.back());
    engine_.resize(base_.back());
    uint32_t f = 0;
    for (const SubmittedLog& log : logs_) {
        for (const LogQso& q : log.qsos) {
            key.assign(q.band);
            key.push_back('\n');
            key.append(q.mode);
            const auto [it, added] = ids.try_emplace(key, static_cast<uint32_t>(ids.size()));
            if (added) {
                countedBand_.push_back(contest::isCountedBand(q.band) ? 1 : 0);
                band_.push_back(bands.try_emplace(q.band.str(), static_cast<uint32_t>(bands.size())).first->second);
                mode_.push_back(q.mode.str());
            }
            engine_[f] = q.engine;
            bandMode_[f++] = it->second;
        }
    }
}

}  // namespace torv::crosscheck::detail
