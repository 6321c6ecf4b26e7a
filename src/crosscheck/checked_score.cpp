#include "crosscheck/checked_score.h"

#include <algorithm>

namespace torv::crosscheck {

using engine::contactPoints;
using engine::ContactStore;
using engine::ContestContext;
using reports::computeScoreSummary;
using reports::sortBandsDescending;

namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

}  // namespace

bool countsInScore(QsoStatus status, UniquePolicy uniques) {
    return status == QsoStatus::kConfirmed || status == QsoStatus::kUnverified ||
           (status == QsoStatus::kUnique && uniques == UniquePolicy::kCount);
}

bool drawsPenalty(QsoStatus status) {
    return status == QsoStatus::kNil || status == QsoStatus::kBustedCall || status == QsoStatus::kBustedExchange;
}

std::vector<CInfo> storedRecords(const std::vector<LogQso>& qsos) {
    std::vector<CInfo> stored;
    stored.reserve(qsos.size());
    for (const LogQso& q : qsos) {
        if (q.engine == EngineResult::kRefused) {
            continue;
        }
        CInfo record;
        record.call = q.call;
        record.band = q.band;
        record.mode = q.mode;
        record.exchangeReceived = q.exchangeReceived;
        record.exchangeSent = q.exchangeSent;
        record.area = q.area;
        record.dupe = q.engine == EngineResult::kDupe ? 1 : 0;
        stored.push_back(std::move(record));
    }
    return stored;
}

CheckedScore checkedScore(const std::vector<LogQso>& qsos, const std::vector<QsoVerdict>& verdicts,
                          const ScoreRules& rules) {
    ContactStore kept;
    std::vector<std::string> bands;
    int64_t penalised = 0;
    std::vector<CInfo> stored = storedRecords(qsos);
    kept.reserve(stored.size());
    size_t next = 0;
    for (size_t i = 0; i < qsos.size(); ++i) {
        if (qsos[i].engine == EngineResult::kRefused) {
            continue;
        }
        CInfo& record = stored[next++];
        // The band list holds every stored contact's band, in order of first appearance.
        if (std::find(bands.begin(), bands.end(), record.band) == bands.end()) {
            bands.push_back(record.band);
        }
        const QsoStatus status = i < verdicts.size() ? verdicts[i].status : QsoStatus::kConfirmed;
        if (countsInScore(status, rules.uniques)) {
            kept.append(std::move(record));  // not used again
        } else if (drawsPenalty(status)) {
            penalised += contactPoints(record);
        }
    }
    CheckedScore result;
    result.summary = computeScoreSummary(kept, bands, ContestContext());
    const int64_t penalty = std::min<int64_t>(penalised * std::max(rules.penalty, 0), INT32_MAX);
    result.penaltyPoints = static_cast<int32_t>(penalty);
    result.points = static_cast<int32_t>(std::max<int64_t>(0, result.summary.points - penalty));
    result.score = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(result.points) * result.summary.multipliers, INT32_MAX));
    return result;
}

bool outsidePeriod(const LogQso& qso, const Period& period, int32_t offsetMinutes) {
    return period.excludes(qso.minute - offsetMinutes);
}

std::vector<std::string> headerFindings(const HeaderFacts& header, const std::vector<LogQso>& qsos, int32_t recomputed,
                                        const Period& period, int32_t offsetMinutes) {
    std::vector<std::string> findings;
    const std::string band = categoryBandOf(header.categoryBand).band;
    if (!band.empty()) {
        std::vector<std::string> others;
        for (const LogQso& q : qsos) {
            if (!q.band.empty() && q.band != band && std::find(others.begin(), others.end(), q.band) == others.end()) {
                others.push_back(q.band.str());
            }
        }
        if (!others.empty()) {
            sortBandsDescending(others);
            findings.push_back("CATEGORY-BAND " + normalised(header.categoryBand) + ", but contacts on " +
                               joined(others));
        }
    }
    if (!header.hasHeader) {
        // Nothing to hold the contacts against.
    } else if (!header.claimedScorePresent) {
        findings.push_back("CLAIMED-SCORE missing; the log scores " + std::to_string(recomputed));
    } else if (!header.claimedScore || *header.claimedScore != recomputed) {
        findings.push_back("CLAIMED-SCORE " + header.claimedScoreText + " differs from the log's score " +
                           std::to_string(recomputed));
    }
    if (period.start || period.end) {
        std::vector<std::string> lines;
        size_t outside = 0;
        for (const LogQso& q : qsos) {
            if (outsidePeriod(q, period, offsetMinutes)) {
                if (++outside <= 10) {
                    lines.push_back(std::to_string(q.line));
                }
            }
        }
        if (outside > 10) {
            lines.push_back("...");
        }
        if (outside > 0) {
            findings.push_back(std::to_string(outside) + (outside == 1 ? " contact" : " contacts") +
                               " outside the contest period (" + (outside == 1 ? "line " : "lines ") + joined(lines) +
                               ")");
        }
    }
    return findings;
}

}  // namespace torv::crosscheck
