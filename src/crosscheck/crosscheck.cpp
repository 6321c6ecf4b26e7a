#include "crosscheck/crosscheck.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <tuple>
#include <utility>
#include <unordered_map>

#include "engine/area.h"

namespace crosscheck {

namespace {

constexpr int32_t kUnpaired = -1;

// One contact in the index of pairs: whom it logged on which band and mode
// (one key), when, on which line. A log's entries sorted by these fields are
// its groups of contacts with one station on one band and mode, in time order.
struct PairEntry {
    uint64_t group;  // worked call id << 32 | band-and-mode id
    int64_t minute;  // as logged
    uint32_t line;
    uint32_t flat;
};

bool pairKeyLess(const PairEntry& a, const PairEntry& b) {
    if (a.group != b.group) {
        return a.group < b.group;
    }
    if (a.minute != b.minute) {
        return a.minute < b.minute;
    }
    return a.line != b.line ? a.line < b.line : a.flat < b.flat;
}

uint64_t groupOf(uint32_t worked, uint32_t bandMode) {
    return (static_cast<uint64_t>(worked) << 32) | bandMode;
}

uint32_t workedOfGroup(uint64_t group) {
    return static_cast<uint32_t>(group >> 32);
}

// A candidate pair of two contacts: nearest in time first, then the earlier
// line of the first side, then the earlier line of the second.
struct Candidate {
    int64_t distance;
    uint32_t firstLine;
    uint32_t secondLine;
    uint32_t first;
    uint32_t second;
};

bool candidateLess(const Candidate& a, const Candidate& b) {
    return std::tie(a.distance, a.firstLine, a.secondLine, a.first, a.second) <
           std::tie(b.distance, b.firstLine, b.secondLine, b.first, b.second);
}

int64_t distance(int64_t a, int64_t b) {
    return a > b ? a - b : b - a;
}

// Every contact of every log, flattened, with the calls interned: the ids
// follow the calls' text order, so comparing ids compares calls.
class Contest {
public:
    explicit Contest(const std::vector<SubmittedLog>& logs) : logs_(logs) {
        size_t total = 0;
        base_.reserve(logs.size() + 1);
        for (const SubmittedLog& log : logs) {
            base_.push_back(static_cast<uint32_t>(total));
            total += log.qsos.size();
        }
        base_.push_back(static_cast<uint32_t>(total));
        internCalls();
        internBandModes();
    }

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

    uint32_t caller(uint32_t flat) const { return caller_[flat]; }
    uint32_t worked(uint32_t flat) const { return worked_[flat]; }
    uint32_t bandMode(uint32_t flat) const { return bandMode_[flat]; }
    std::string_view callText(uint32_t id) const { return calls_[id]; }
    // The log a call submitted, or -1.
    int32_t logOfCall(uint32_t id) const { return logOfCall_[id]; }
    // How many logs hold at least one contact with the call.
    uint32_t logsHolding(uint32_t id) const { return logsHolding_[id]; }

private:
    void internCalls() {
        std::deque<std::string> owned;
        std::unordered_map<std::string_view, uint32_t> ids;
        std::vector<std::string_view> texts;
        auto intern = [&](const std::string& call) -> uint32_t {
            std::string_view key = call;
            if (std::string upper = normalised(call); upper != call) {
                owned.push_back(std::move(upper));
                key = owned.back();
            }
            auto [it, added] = ids.emplace(key, static_cast<uint32_t>(texts.size()));
            if (added) {
                texts.push_back(key);
            }
            return it->second;
        };
        std::vector<uint32_t> logCall(logs_.size());
        const size_t total = base_.back();
        worked_.resize(total);
        line_.resize(total);
        minute_.resize(total);
        engine_.resize(total);
        sent_.resize(total);
        received_.resize(total);
        // One pass over the contacts in memory order; the rules then work on
        // these dense arrays only.
        std::unordered_map<std::string, uint32_t> exchanges;
        auto exchangeId = [&](const std::string& exchange) {
            return exchanges.emplace(normalised(exchange), static_cast<uint32_t>(exchanges.size())).first->second;
        };
        for (size_t l = 0; l < logs_.size(); ++l) {
            logCall[l] = intern(logs_[l].call);
            uint32_t flat = base_[l];
            for (const LogQso& q : logs_[l].qsos) {
                worked_[flat] = intern(q.call);
                line_[flat] = q.line;
                minute_[flat] = q.minute;
                engine_[flat] = q.engine;
                sent_[flat] = exchangeId(q.exchangeSent);
                received_[flat] = exchangeId(q.exchangeReceived);
                ++flat;
            }
        }
        // Ids in the calls' text order.
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
        for (uint32_t& id : worked_) {
            id = rank[id];
        }
        logOfCall_.assign(calls_.size(), -1);
        caller_.resize(total);
        logsHolding_.assign(calls_.size(), 0);
        std::vector<int32_t> lastHolder(calls_.size(), -1);
        flatLog_.resize(total);
        logCall_.resize(logs_.size());
        for (size_t l = 0; l < logs_.size(); ++l) {
            const uint32_t id = rank[logCall[l]];
            logCall_[l] = id;
            if (logOfCall_[id] < 0) {
                logOfCall_[id] = static_cast<int32_t>(l);
            }
            for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
                caller_[f] = id;
                flatLog_[f] = static_cast<uint32_t>(l);
                if (lastHolder[worked_[f]] != static_cast<int32_t>(l)) {
                    lastHolder[worked_[f]] = static_cast<int32_t>(l);
                    ++logsHolding_[worked_[f]];
                }
            }
        }
        // A second log of a call is nobody's counterpart: its contacts are
        // indexed under a caller no one works.
        for (size_t l = 0; l < logs_.size(); ++l) {
            if (logOfCall_[rank[logCall[l]]] != static_cast<int32_t>(l)) {
                for (uint32_t f = base_[l]; f < base_[l + 1]; ++f) {
                    caller_[f] = std::numeric_limits<uint32_t>::max();
                }
            }
        }
    }

    void internBandModes() {
        std::unordered_map<std::string, uint32_t> ids;
        std::string key;
        bandMode_.resize(base_.back());
        uint32_t f = 0;
        for (const SubmittedLog& log : logs_) {
            for (const LogQso& q : log.qsos) {
                key.assign(q.band);
                key.push_back('\n');
                key.append(q.mode);
                bandMode_[f++] = ids.emplace(key, static_cast<uint32_t>(ids.size())).first->second;
            }
        }
    }

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
    std::vector<int32_t> logOfCall_;
    std::vector<uint32_t> logsHolding_;
};

// The contacts that may pair, sorted once, log by log: every entry of a log
// has the same caller, so a log's entries sorted alone are its groups in
// order, and the other side's group is found by a search within the other
// log. The cost per contact depends on the size of a log, not of the
// contest. A clock correction moves all of a log's times alike, so the
// order holds for corrected times too.
class PairIndex {
public:
    explicit PairIndex(const Contest& contest) : contest_(contest), logStart_(contest.logCount() + 1, 0) {
        entries_.reserve(contest.size());
        for (size_t l = 0; l < contest.logCount(); ++l) {
            logStart_[l] = entries_.size();
            for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
                const uint32_t caller = contest.caller(f);
                const uint32_t worked = contest.worked(f);
                if (caller == worked || caller == std::numeric_limits<uint32_t>::max() ||
                    contest.logOfCall(worked) < 0) {
                    continue;
                }
                entries_.push_back({groupOf(worked, contest.bandMode(f)), contest.minute(f), contest.line(f), f});
            }
            std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[l]), entries_.end(), pairKeyLess);
        }
        logStart_[contest.logCount()] = entries_.size();
    }

    // Pairs contacts of two stations that logged each other on the same
    // band and mode, at most window minutes apart once each log's time is
    // moved back by its offset. Returns each contact's partner (a flat
    // index) or kUnpaired.
    std::vector<int32_t> pairUp(const std::vector<int64_t>& offsets, int64_t window) const {
        std::vector<int32_t> partner(contest_.size(), kUnpaired);
        std::vector<Candidate> candidates;
        for (size_t l = 0; l < contest_.logCount(); ++l) {
            const uint32_t caller = contest_.callOfLog(l);
            const size_t end = logStart_[l + 1];
            for (size_t start = logStart_[l]; start < end;) {
                size_t stop = start + 1;
                while (stop < end && entries_[stop].group == entries_[start].group) {
                    ++stop;
                }
                const uint32_t worked = workedOfGroup(entries_[start].group);
                // Each pair of groups once, from the side whose call sorts first.
                if (caller < worked && contest_.logOfCall(caller) == static_cast<int32_t>(l)) {
                    pairGroup(l, start, stop, offsets, window, partner, candidates);
                }
                start = stop;
            }
        }
        return partner;
    }

private:
    void pairGroup(size_t log, size_t start, size_t stop, const std::vector<int64_t>& offsets, int64_t window,
                   std::vector<int32_t>& partner, std::vector<Candidate>& candidates) const {
        const uint32_t worked = workedOfGroup(entries_[start].group);
        const uint32_t bandMode = static_cast<uint32_t>(entries_[start].group);
        const size_t otherLog = static_cast<size_t>(contest_.logOfCall(worked));
        const PairEntry probe{groupOf(contest_.callOfLog(log), bandMode), std::numeric_limits<int64_t>::min(), 0, 0};
        const auto otherBegin = entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[otherLog]);
        const auto otherEnd = entries_.begin() + static_cast<std::ptrdiff_t>(logStart_[otherLog + 1]);
        size_t other =
            static_cast<size_t>(std::lower_bound(otherBegin, otherEnd, probe, pairKeyLess) - entries_.begin());
        size_t otherStop = other;
        while (otherStop < logStart_[otherLog + 1] && entries_[otherStop].group == probe.group) {
            ++otherStop;
        }
        if (other == otherStop) {
            return;
        }
        const int64_t ownOffset = offsets[log];
        const int64_t otherOffset = offsets[otherLog];
        candidates.clear();
        size_t low = other;
        for (size_t i = start; i < stop; ++i) {
            const int64_t t = entries_[i].minute - ownOffset;
            while (low < otherStop && entries_[low].minute - otherOffset < t - window) {
                ++low;
            }
            for (size_t j = low; j < otherStop && entries_[j].minute - otherOffset <= t + window; ++j) {
                candidates.push_back({distance(t, entries_[j].minute - otherOffset), entries_[i].line, entries_[j].line,
                                      entries_[i].flat, entries_[j].flat});
            }
        }
        if (candidates.size() > 1) {
            std::sort(candidates.begin(), candidates.end(), candidateLess);
        }
        for (const Candidate& c : candidates) {
            if (partner[c.first] == kUnpaired && partner[c.second] == kUnpaired) {
                partner[c.first] = static_cast<int32_t>(c.second);
                partner[c.second] = static_cast<int32_t>(c.first);
            }
        }
    }

    const Contest& contest_;
    std::vector<PairEntry> entries_;
    std::vector<size_t> logStart_;
};

// The median of the differences, the mean of the middle two (rounded
// toward zero) for an even count.
int64_t median(std::vector<int64_t>& values) {
    const size_t n = values.size();
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(n / 2);
    std::nth_element(values.begin(), middle, values.end());
    const int64_t upperMiddle = *middle;
    if (n % 2 == 1) {
        return upperMiddle;
    }
    const int64_t lowerMiddle = *std::max_element(values.begin(), middle);
    return (lowerMiddle + upperMiddle) / 2;
}

QsoStatus keptOr(EngineResult engine, QsoStatus status) {
    switch (engine) {
        case EngineResult::kRefused:
            return QsoStatus::kRefused;
        case EngineResult::kDupe:
            return QsoStatus::kDupe;
        case EngineResult::kStored:
            break;
    }
    return status;
}

// An unpaired contact in the index of busted calls, by the call it logged.
struct LooseEntry {
    uint32_t worked;
    uint32_t bandMode;
    int64_t minute;
    uint32_t flat;
};

bool looseLess(const LooseEntry& a, const LooseEntry& b) {
    return std::tie(a.worked, a.bandMode, a.minute, a.flat) < std::tie(b.worked, b.bandMode, b.minute, b.flat);
}

}  // namespace

const char* statusWord(QsoStatus status) {
    switch (status) {
        case QsoStatus::kConfirmed:
            return "CONFIRMED";
        case QsoStatus::kBustedExchange:
            return "BUSTED-EXCHANGE";
        case QsoStatus::kBustedCall:
            return "BUSTED-CALL";
        case QsoStatus::kNil:
            return "NIL";
        case QsoStatus::kUnique:
            return "UNIQUE";
        case QsoStatus::kUnverified:
            return "UNVERIFIED";
        case QsoStatus::kRefused:
            return "REFUSED";
        case QsoStatus::kDupe:
            return "DUPE";
    }
    return "";
}

std::string normalised(std::string_view text) {
    return normalisedExchange(text);
}

bool oneEditApart(std::string_view a, std::string_view b) {
    if (a == b) {
        return false;
    }
    // A portable suffix added or dropped: "PY2AAA" and "PY2AAA/P".
    auto portableOf = [](std::string_view longer, std::string_view shorter) {
        const size_t slash = longer.rfind('/');
        return slash != std::string_view::npos && slash + 1 < longer.size() && longer.substr(0, slash) == shorter;
    };
    if (portableOf(a, b) || portableOf(b, a)) {
        return true;
    }
    if (a.size() == b.size()) {
        size_t differences = 0;
        for (size_t i = 0; i < a.size() && differences < 2; ++i) {
            differences += a[i] != b[i] ? 1 : 0;
        }
        return differences == 1;
    }
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (a.size() != b.size() + 1) {
        return false;
    }
    // One character dropped from a gives b.
    size_t i = 0;
    while (i < b.size() && a[i] == b[i]) {
        ++i;
    }
    return a.substr(i + 1) == b.substr(i);
}

std::vector<LogVerdict> crossCheck(const std::vector<SubmittedLog>& logs, const CheckOptions& options) {
    const Contest contest(logs);
    const size_t n = contest.size();
    const PairIndex index(contest);

    // The clock offset: pairs on the logged times with the wide window.
    std::vector<int64_t> minutes(n);
    for (uint32_t f = 0; f < n; ++f) {
        minutes[f] = contest.minute(f);
    }
    std::vector<LogVerdict> verdicts(logs.size());
    {
        const std::vector<int32_t> rough =
            index.pairUp(std::vector<int64_t>(logs.size(), 0), options.offsetWindowMinutes);
        // First against the other stations' logged times; then once more,
        // with the times of each station whose estimate rests on more pairs
        // than this log's as that estimate corrects them, so that a small
        // log is not pulled off by the clock of a big one.
        std::vector<int64_t> first(logs.size(), 0);
        std::vector<uint32_t> pairs(logs.size(), 0);
        std::vector<int64_t> differences;
        for (int round = 0; round < 2; ++round) {
            std::vector<int64_t> estimate(logs.size(), 0);
            for (size_t l = 0; l < logs.size(); ++l) {
                differences.clear();
                for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
                    if (rough[f] != kUnpaired) {
                        const uint32_t other = static_cast<uint32_t>(rough[f]);
                        const uint32_t otherLog = contest.logOfFlat(other);
                        const int64_t otherOffset = pairs[otherLog] > pairs[l] ? first[otherLog] : 0;
                        differences.push_back(minutes[f] - (minutes[other] - otherOffset));
                    }
                }
                verdicts[l].offsetPairs = static_cast<uint32_t>(differences.size());
                estimate[l] = differences.empty() ? 0 : median(differences);
            }
            first = std::move(estimate);
            for (size_t l = 0; l < logs.size(); ++l) {
                pairs[l] = verdicts[l].offsetPairs;
            }
        }
        for (size_t l = 0; l < logs.size(); ++l) {
            verdicts[l].offsetMinutes = static_cast<int32_t>(first[l]);
        }
    }
    for (size_t l = 0; l < logs.size(); ++l) {
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            minutes[f] -= verdicts[l].offsetMinutes;
        }
    }

    // Pairs on the corrected times, each side judged for itself.
    std::vector<int64_t> offsets(logs.size());
    for (size_t l = 0; l < logs.size(); ++l) {
        offsets[l] = verdicts[l].offsetMinutes;
    }
    std::vector<int32_t> partner = index.pairUp(offsets, options.windowMinutes);
    std::vector<QsoStatus> status(n, QsoStatus::kNil);
    std::vector<bool> decided(n, false);
    auto judge = [&](uint32_t f, uint32_t other) {
        const QsoStatus exchange =
            contest.received(f) == contest.sent(other) ? QsoStatus::kConfirmed : QsoStatus::kBustedExchange;
        status[f] = keptOr(contest.engine(f), exchange);
        decided[f] = true;
    };
    for (uint32_t f = 0; f < n; ++f) {
        if (partner[f] != kUnpaired) {
            judge(f, static_cast<uint32_t>(partner[f]));
        }
    }

    // Busted calls: an unpaired contact of A with B, and an unpaired contact
    // with A in the log of a station C one edit from B.
    std::vector<LooseEntry> loose;
    for (uint32_t f = 0; f < n; ++f) {
        if (partner[f] == kUnpaired && contest.caller(f) != std::numeric_limits<uint32_t>::max()) {
            loose.push_back({contest.worked(f), contest.bandMode(f), minutes[f], f});
        }
    }
    std::sort(loose.begin(), loose.end(), looseLess);
    std::vector<Candidate> candidates;
    const int64_t window = options.windowMinutes;
    for (const LooseEntry& x : loose) {
        const uint32_t a = contest.caller(x.flat);
        const uint32_t b = x.worked;
        if (a == b) {
            continue;
        }
        const LooseEntry from{a, x.bandMode, x.minute - window, 0};
        for (auto it = std::lower_bound(loose.begin(), loose.end(), from, looseLess);
             it != loose.end() && it->worked == a && it->bandMode == x.bandMode && it->minute <= x.minute + window;
             ++it) {
            const uint32_t c = contest.caller(it->flat);
            if (c == a || c == b || !oneEditApart(contest.callText(c), contest.callText(b))) {
                continue;
            }
            candidates.push_back(
                {distance(x.minute, it->minute), contest.line(x.flat), contest.line(it->flat), x.flat, it->flat});
        }
    }
    std::sort(candidates.begin(), candidates.end(), candidateLess);
    for (const Candidate& c : candidates) {
        if (partner[c.first] == kUnpaired && partner[c.second] == kUnpaired) {
            partner[c.first] = static_cast<int32_t>(c.second);
            partner[c.second] = static_cast<int32_t>(c.first);
            status[c.first] = keptOr(contest.engine(c.first), QsoStatus::kBustedCall);
            decided[c.first] = true;
            judge(c.second, c.first);
        }
    }

    // The rest: not in the other's log, or the other sent none.
    for (uint32_t f = 0; f < n; ++f) {
        if (decided[f]) {
            continue;
        }
        const uint32_t b = contest.worked(f);
        QsoStatus rest = QsoStatus::kNil;
        if (contest.logOfCall(b) < 0) {
            rest = contest.logsHolding(b) <= 1 ? QsoStatus::kUnique : QsoStatus::kUnverified;
        }
        status[f] = keptOr(contest.engine(f), rest);
    }

    for (size_t l = 0; l < logs.size(); ++l) {
        LogVerdict& verdict = verdicts[l];
        verdict.qsos.resize(logs[l].qsos.size());
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            QsoVerdict& v = verdict.qsos[f - contest.begin(l)];
            v.status = status[f];
            if (partner[f] != kUnpaired) {
                const uint32_t other = static_cast<uint32_t>(partner[f]);
                const uint32_t otherLog = contest.logOfFlat(other);
                v.otherLog = static_cast<int32_t>(otherLog);
                v.otherQso = other - contest.begin(otherLog);
            }
        }
    }
    return verdicts;
}

std::string verdictDetail(const std::vector<SubmittedLog>& logs, const std::vector<LogVerdict>& verdicts, size_t self,
                          size_t q) {
    const LogQso& qso = logs[self].qsos[q];
    const QsoVerdict& v = verdicts[self].qsos[q];
    const std::string call = normalised(qso.call);
    switch (v.status) {
        case QsoStatus::kConfirmed:
            return std::string();
        case QsoStatus::kBustedExchange: {
            const LogQso& other = logs[static_cast<size_t>(v.otherLog)].qsos[v.otherQso];
            return "logged " + normalised(qso.exchangeReceived) + ", " +
                   normalised(logs[static_cast<size_t>(v.otherLog)].call) + " sent " + normalised(other.exchangeSent);
        }
        case QsoStatus::kBustedCall:
            return "logged " + call + ", was " + normalised(logs[static_cast<size_t>(v.otherLog)].call);
        case QsoStatus::kNil:
            return "not in " + call + "'s log";
        case QsoStatus::kUnique:
            return call + " sent no log and is in no other log";
        case QsoStatus::kUnverified:
            return call + " sent no log";
        case QsoStatus::kRefused:
        case QsoStatus::kDupe:
            return qso.finding;
    }
    return std::string();
}

}  // namespace crosscheck
