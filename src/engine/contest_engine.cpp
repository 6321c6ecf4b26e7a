#include "engine/contest_engine.h"

#include <array>
#include <string_view>

#include "engine/area.h"
#include "engine/contest.h"

namespace torv::engine {

using abi::DateTimeArg;

namespace {

constexpr auto kRemovalCheckedPrefixes = contest::texts("UA", "UA2", "UA9");

template <size_t N>
bool isOneOf(const std::string& text, const std::array<std::string_view, N>& table) {
    for (std::string_view entry : table) {
        if (text == entry) {
            return true;
        }
    }
    return false;
}

CInfo recordOf(const ContactFields& contact) {
    CInfo record;
    record.call = contact.call;
    record.band = contact.band;
    record.mode = contact.mode;
    record.auxText = contact.auxText;
    record.rstReceived = contact.rstReceived;
    record.rstSent = contact.rstSent;
    record.exchangeReceived = contact.exchangeReceived;
    record.exchangeSent = contact.exchangeSent;
    record.prefix = contact.prefix;
    record.frequencyKHz = contact.frequency / 1000;
    record.time = contact.qsoTime;
    return record;
}

}  // namespace

ContestEngine::ContestEngine(std::string errorFilePath)
    : findings_(std::make_unique<ErrorFileSink>(std::move(errorFilePath))) {}

ContestEngine::ContestEngine(std::unique_ptr<FindingSink> findings) : findings_(std::move(findings)) {}

ContactOutcome ContestEngine::addContact(const ContactFields& contact) {
    std::lock_guard<std::mutex> lock(mutex_);
    ContactOutcome outcome = acceptContact(contact);
    findings_->append(contact, outcome);
    return outcome;
}

int ContestEngine::addData(const ContactFields& contact) {
    return addContact(contact).result == ContactResult::kRefused ? 0 : 1;
}

ContactOutcome ContestEngine::acceptContact(const ContactFields& contact) {
    auto refuse = [](FindingCode code, std::string value) {
        ContactOutcome refused;
        refused.findings.push_back(Finding{code, std::move(value), 0, 0});
        return refused;
    };
    if (isOneOf(contact.band, contest::kRefusedBands)) {
        return refuse(FindingCode::kNoContestBand, contact.band);
    }
    if (!contest::isContestMode(contact.mode)) {
        return refuse(FindingCode::kNoTestMode, contact.mode);
    }
    if (contact.exchangeReceived.empty() || contact.exchangeSent.empty()) {
        return refuse(FindingCode::kNoRxNumber, std::string());
    }

    // Whatever may fail comes before the store changes.
    ContactOutcome outcome;
    CInfo record = recordOf(contact);
    AreaAssignment assignment = assignArea(contact.prefix, contact.exchangeReceived);
    record.area = std::move(assignment.area);
    outcome.area = record.area;
    if (assignment.errorLineDue) {
        outcome.findings.push_back(Finding{FindingCode::kAreaNotAcceptable, std::move(assignment.normalised), 0, 0});
    }
    // Every earlier twin draws its own line, as a scan of the whole log would.
    const ContactStore::TwinRecords twins = store_.twinRecords(record.call, record.band, record.mode);
    if (twins.count != 0) {
        record.dupe = 1;
        outcome.findings.push_back(Finding{FindingCode::kDupe, std::string(), twins.count, twins.firstPosition});
    }
    outcome.result = twins.count != 0 ? ContactResult::kDupe : ContactResult::kStored;
    // The store changes last, band and record together, or not at all.
    store_.appendWithBand(std::move(record));
    return outcome;
}

void ContestEngine::noteLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    findings_->note(line);
}

int ContestEngine::removeData(const ContactFields& contact) {
    if (contact.exchangeReceived.empty() || contact.exchangeSent.empty()) {
        return 0;
    }
    if (isOneOf(contact.prefix, kRemovalCheckedPrefixes) && !isAreaCode(normalisedExchange(contact.exchangeReceived))) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    store_.removeFirstTwin(contact.call, contact.band, contact.mode);
    return 1;
}

void ContestEngine::resetStore(int32_t exportFlag, const std::string& contestantCall, const DateTimeArg& contestStart,
                               const DateTimeArg& contestEnd) {
    // What may fail comes first: the store changes once nothing more can.
    std::string startText = formatDateTime(contestStart, "%d.%m");
    std::string endText = formatDateTime(contestEnd, "%d.%m.%Y");
    std::string call = contestantCall;
    WorkedRows rows = ContactStore::freshWorkedRows();
    std::lock_guard<std::mutex> lock(mutex_);
    ContestContext& context = store_.context();
    context.startText = std::move(startText);
    context.endText = std::move(endText);
    store_.setWorkedRows(std::move(rows));
    context.contestantCall = std::move(call);
    store_.clear();
    store_.clearBands();
    context.exportFlag = exportFlag;
    findings_->restart(contest::kErrorFileTitle);
}

int ContestEngine::checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                             const std::string& areaText, const std::string& band) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (store_.twinCount(call, band, mode) != 0) {
        return 0;
    }
    if (prefix != contest::kMainlandPrefix && !isOneOf(prefix, contest::kIslandAreas)) {
        return 2;
    }
    return store_.hasArea(band, areaText) ? 1 : 2;
}

}  // namespace torv::engine
