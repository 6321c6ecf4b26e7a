#include "scoring/scoring_pass.h"

#include <utility>
#include <vector>

#include "engine/contest.h"
#include "reports/host_version.h"

namespace torv::scoring {

namespace contest = engine::contest;
using engine::ContactStore;
using engine::ErrorFileSink;
using engine::FindingSink;
using reports::CabrilloOutcome;
using reports::computeScoreSummary;
using reports::ScoreSummary;

namespace {

std::unique_ptr<FindingSink> findingsOf(ScoringPorts& ports, const std::string& folder) {
    if (ports.findings) {
        return std::move(ports.findings);
    }
    return std::make_unique<ErrorFileSink>(folder.empty() ? std::string(contest::kErrorFile)
                                                          : folder + "/" + contest::kErrorFile);
}

}  // namespace

ScoringPorts headlessPorts(std::unique_ptr<ports::Settings> settings) {
    ScoringPorts ports;
    ports.settings = std::move(settings);
    ports.headerDialog = std::make_unique<ports::ConfirmingHeaderDialog>();
    ports.hostVersion = reports::findHostVersion;
    return ports;
}

ScoringPass::ScoringPass(ScoringPorts ports, const std::string& folder)
    : ports_(std::move(ports)),
      folder_(folder),
      engine_(std::make_shared<engine::ContestEngine>(findingsOf(ports_, folder))) {}

void ScoringPass::reset(int32_t exportFlag, const std::string& contestantCall, const abi::DateTimeArg& contestStart,
                        const abi::DateTimeArg& contestEnd) {
    engine_->resetStore(exportFlag, contestantCall, contestStart, contestEnd);
    // The dialog runs without the store's lock: it waits on the operator,
    // and meanwhile the assistant thread may need the lock.
    exportCancelled_ = exportFlag != 0 && !report_.EditHeader(contestantCall, *ports_.settings, *ports_.headerDialog);
}

PassResult ScoringPass::result() {
    int32_t exportFlag = 0;
    std::vector<CInfo> toExport;
    PassResult outcome;
    outcome.summary = engine_->withStore([&](ContactStore& store) {
        ScoreSummary computed = computeScoreSummary(store, store.bandList(), store.context());
        // Swapped in whole under the lock: a reader never sees a half-built list.
        store.publishWorkedAreas(computed.workedAreas);
        exportFlag = store.context().exportFlag;
        if (exportFlag != 0 && !exportCancelled_) {
            toExport = store.contactList();
        }
        return computed;
    });
    report_.claimedScore = outcome.summary.score;
    ports_.settings->writeText("Claimed", std::to_string(outcome.summary.score));

    if (exportFlag != 0 && !exportCancelled_) {
        report_.ClearQsoLines();
        for (const CInfo& contact : toExport) {
            report_.AddQsoLine(contact);
        }
        const std::optional<std::string> hostVersion =
            ports_.hostVersion ? ports_.hostVersion(folder_) : std::optional<std::string>();
        outcome.cabrillo = ports_.writeCabrillo ? ports_.writeCabrillo(report_, hostVersion)
                                                : report_.WriteCabrillo(folder_, hostVersion);
    }
    return outcome;
}

}  // namespace torv::scoring
