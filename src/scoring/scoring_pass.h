// The pass the plug-in's module runs over a log, as values and without a
// screen: the reset that starts it (with the Cabrillo header confirmed when
// the log is to be exported), every contact added or removed, then the score
// summary and the Cabrillo file. The plug-in's module object and the
// command-line tool both score through it, so that they score alike.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/contact.h"
#include "engine/contact_outcome.h"
#include "engine/contest_engine.h"
#include "engine/error_file.h"
#include "ports/header_dialog.h"
#include "ports/settings.h"
#include "reports/cabrillo_log.h"
#include "reports/score_summary.h"

namespace torv::scoring {

struct ScoringPorts {
    // Shared with the assistant thread, which may outlive the pass.
    std::shared_ptr<ports::Settings> settings;
    std::unique_ptr<ports::HeaderDialog> headerDialog;
    // The host's version text for the Cabrillo file, looked up in a folder.
    std::function<std::optional<std::string>(const std::string& folder)> hostVersion;
    // Where the findings about contacts go; none: "err.txt" in the folder.
    std::unique_ptr<engine::FindingSink> findings;
    // Writes the finished Cabrillo log; none: "<file base name>.cbr" in the
    // folder (CCabrilloLog::WriteCabrillo).
    std::function<reports::CabrilloOutcome(const reports::CCabrilloLog& report,
                                           const std::optional<std::string>& hostVersion)>
        writeCabrillo;
};

// Ports without a screen around the given settings: the header confirmed
// unchanged, the host's version looked up as the platform can (never,
// natively), the findings and the Cabrillo file in the pass's folder.
ScoringPorts headlessPorts(std::unique_ptr<ports::Settings> settings);

struct PassResult {
    reports::ScoreSummary summary;
    // What became of the Cabrillo file, when the pass exported the log (an
    // export was asked for and its header confirmed); none otherwise.
    std::optional<reports::CabrilloOutcome> cabrillo;
};

class ScoringPass {
public:
    // folder: where the error and Cabrillo files live, "" for the current one.
    explicit ScoringPass(ScoringPorts ports, const std::string& folder = std::string());

    // Starts a pass: the store's reset, then the header dialog when the log
    // is to be exported. A dialog closed other than by OK cancels the pass's
    // export: the log is scored as usual, but no Cabrillo file is written
    // until the next reset.
    void reset(int32_t exportFlag, const std::string& contestantCall, const abi::DateTimeArg& contestStart,
               const abi::DateTimeArg& contestEnd);

    // What the engine decided about the contact (ContestEngine::addContact).
    engine::ContactOutcome add(const engine::ContactFields& contact) { return engine_->addContact(contact); }
    // ContestEngine::removeData: 1, or 0 when refused.
    int remove(const engine::ContactFields& contact) { return engine_->removeData(contact); }

    // The score summary of the log. Records the claimed score in the
    // settings and publishes the worked areas; when the pass exports the
    // log, writes the Cabrillo file, again at every call until the next reset.
    PassResult result();

    engine::ContestEngine& engine() { return *engine_; }
    // The engine, for what shares it beyond the pass (the assistant).
    const std::shared_ptr<engine::ContestEngine>& sharedEngine() const { return engine_; }
    reports::CCabrilloLog& report() { return report_; }
    ports::Settings& settings() { return *ports_.settings; }
    // The settings, for what shares them beyond the pass (the assistant).
    const std::shared_ptr<ports::Settings>& sharedSettings() const { return ports_.settings; }

private:
    ScoringPorts ports_;
    std::string folder_;
    std::shared_ptr<engine::ContestEngine> engine_;
    reports::CCabrilloLog report_;
    bool exportCancelled_ = false;  // until the next reset
};

}  // namespace torv::scoring
