// The details of a verdict in the reports' words: how near a busted call
// is, what the call history and the consensus showed, what the committee
// decided and what it replaced.
#include <string>

#include "crosscheck/glossary.h"

namespace torv::crosscheck {

namespace {

// How near a busted call is to the real one, "" for one edit.
std::string nearWords(const Words& w, std::string_view logged, std::string_view real, std::string_view mode) {
    const Nearness near = nearness(logged, real, mode);
    if (near.kind == NearKind::kSwapped) {
        return std::string(w.nearSwapped);
    }
    if (near.kind != NearKind::kConfused) {
        return std::string();
    }
    std::string pairs;
    for (size_t i = 0; i < near.logged.size(); ++i) {
        pairs += (i == 0 ? "" : ", ") +
                 filled(w.confusedPair, {std::string_view(&near.logged[i], 1), std::string_view(&near.real[i], 1)});
    }
    return filled(w.nearConfused, {mode, pairs});
}

std::string logsWord(const Words& w, uint32_t count) {
    return count == 1 ? std::string(w.oneLog) : filled(w.manyLogs, {std::to_string(count)});
}

std::string bustedCallDetail(const Words& w, const LogQso& qso, const std::string& real) {
    const std::string logged = normalised(qso.call);
    const std::string near = nearWords(w, logged, real, qso.mode);
    return near.empty() ? filled(w.detailBustedCall, {logged, real})
                        : filled(w.detailBustedCallNear, {logged, real, near});
}

// The detail of the verdict v of contact q of log self, as the rules gave it.
std::string ruledDetail(Language language, const std::vector<SubmittedLog>& logs,
                        const std::vector<LogVerdict>& verdicts, size_t self, size_t q, const QsoVerdict& v) {
    const Words& w = wordsFor(language);
    const LogQso& qso = logs[self].qsos[q];
    const std::string call = normalised(qso.call);
    const SubmittedLog* other = v.otherLog < 0 ? nullptr : &logs[static_cast<size_t>(v.otherLog)];
    const Evidence* e = evidenceOf(verdicts[self], v);
    const std::string received = normalised(qso.exchangeReceived);
    switch (v.status) {
        case QsoStatus::kConfirmed:
        case QsoStatus::kUnreadable:
            return std::string();
        case QsoStatus::kBustedExchange:
            if (e != nullptr && e->kind == EvidenceKind::kLoneCopy) {
                return filled(w.detailLoneCopy, {received, std::to_string(e->count), std::to_string(e->total),
                                                 e->exchange.view(), e->call.view()});
            }
            if (other == nullptr) {
                return std::string();
            }
            return filled(w.detailBustedExchange,
                          {received, normalised(other->call), normalised(other->qsos[v.otherQso].exchangeSent)});
        case QsoStatus::kBustedCall:
            if (e != nullptr && e->kind == EvidenceKind::kCallHistory) {
                return filled(w.historyFound, {bustedCallDetail(w, qso, e->call.str()), call, logsWord(w, e->total),
                                               e->call.view(), logsWord(w, e->count)});
            }
            return other == nullptr ? std::string() : bustedCallDetail(w, qso, normalised(other->call));
        case QsoStatus::kNil:
            return filled(w.detailNil, {call});
        case QsoStatus::kUnique:
            return filled(w.detailUnique, {call});
        case QsoStatus::kUnverified:
            if (v.unreadableLine != 0) {
                return filled(w.detailLineUnreadable, {call, std::to_string(v.unreadableLine)});
            }
            if (e != nullptr && e->kind == EvidenceKind::kAsConsensus) {
                return filled(w.detailAsConsensus, {call, std::to_string(e->count), std::to_string(e->total)});
            }
            if (e != nullptr && e->kind == EvidenceKind::kMinorityCopy) {
                return filled(w.detailMinorityCopy,
                              {call, std::to_string(e->count), std::to_string(e->total), e->exchange.view(), received});
            }
            return filled(w.detailUnverified, {call});
        case QsoStatus::kRefused:
            return std::string(qso.engine == EngineResult::kRefused ? engineFindingWords(language, qso.finding)
                                                                    : w.detailNoContestBand);
        case QsoStatus::kDupe:
            return std::string(engineFindingWords(language, qso.finding));
        case QsoStatus::kOutOfPeriod:
            return std::string(w.outsidePeriod);
        case QsoStatus::kOtherBand:
            return filled(w.detailOtherBand, {qso.band.empty() ? std::string(w.noBand) : qso.band.str()});
    }
    return std::string();
}

}  // namespace

std::string verdictDetailIn(Language language, const std::vector<SubmittedLog>& logs,
                            const std::vector<LogVerdict>& verdicts, size_t self, size_t q) {
    const QsoVerdict& v = verdicts[self].qsos[q];
    if (v.decided) {
        const AppliedDecision* decision = decisionOf(verdicts[self], static_cast<uint32_t>(q));
        return filled(wordsFor(language).decidedBy, {decision == nullptr ? std::string() : decision->note});
    }
    return ruledDetail(language, logs, verdicts, self, q, v);
}

std::string replacedDetailIn(Language language, const std::vector<SubmittedLog>& logs,
                             const std::vector<LogVerdict>& verdicts, size_t self, size_t q) {
    QsoVerdict ruled = verdicts[self].qsos[q];
    if (const AppliedDecision* decision = decisionOf(verdicts[self], static_cast<uint32_t>(q))) {
        ruled.status = decision->replaced;
    }
    // The counterpart a decision dropped is gone: the detail says what it can without it.
    return ruledDetail(language, logs, verdicts, self, q, ruled);
}

std::string verdictDetail(const std::vector<SubmittedLog>& logs, const std::vector<LogVerdict>& verdicts, size_t self,
                          size_t q) {
    return verdictDetailIn(Language::kEnglish, logs, verdicts, self, q);
}

}  // namespace torv::crosscheck
