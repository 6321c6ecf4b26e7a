#include "plugin/module.h"

#include <cstdio>

#include "assistant/start_rule.h"
#include "engine/contest.h"
#include "reports/host_version.h"
#include "reports/score_summary.h"

namespace contest = torv::engine::contest;
using torv::abi::DateTimeArg;
using torv::assistant::runStartRule;
using torv::engine::ContactStore;
using torv::engine::ContestEngine;
using torv::engine::ErrorFile;
using torv::engine::ErrorFileSink;
using torv::engine::FindingSink;
using torv::engine::WorkedBeforeState;
using torv::plugin::PlatformPorts;
using torv::ports::ConfirmingHeaderDialog;
using torv::ports::MessageIcon;
using torv::ports::NoAssistant;
using torv::ports::RecordingUi;
using torv::ports::Settings;
using torv::reports::CabrilloOutcome;
using torv::reports::computeScoreSummary;
using torv::reports::findHostVersion;
using torv::reports::ScoreSummary;

namespace {

std::unique_ptr<FindingSink> findingsOf(PlatformPorts& ports, const std::string& folder) {
    if (ports.findings) {
        return std::move(ports.findings);
    }
    return std::make_unique<ErrorFileSink>(folder.empty() ? std::string(contest::kErrorFile)
                                                          : folder + "/" + contest::kErrorFile);
}

void writeToStandardError(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace

namespace torv::plugin {

std::string internalErrorText(const char* exportName, const char* what) {
    return std::string("internal error in ") + exportName + ": " + what;
}

void sayWithoutModule(const std::string& text) {
    ErrorFile(contest::kErrorFile, ErrorFile::Mode::kAppend).writeLine(text);
}

PlatformPorts headlessPorts(std::unique_ptr<Settings> settings) {
    PlatformPorts ports;
    ports.settings = std::move(settings);
    ports.ui = std::make_unique<RecordingUi>();
    ports.headerDialog = std::make_unique<ConfirmingHeaderDialog>();
    ports.assistant = std::make_unique<NoAssistant>();
    ports.hostVersion = findHostVersion;
    ports.debugOutput = writeToStandardError;
    return ports;
}

}  // namespace torv::plugin

CTestApp::CTestApp(PlatformPorts ports, const std::string& folder)
    : ports_(std::move(ports)),
      folder_(folder),
      engine_(std::make_shared<ContestEngine>(findingsOf(ports_, folder))),
      workedBefore_(std::make_shared<WorkedBeforeState>()) {
    if (!ports_.assistant) {
        ports_.assistant = ports_.makeAssistant ? ports_.makeAssistant(ports_.settings, engine_, workedBefore_)
                                                : std::make_unique<NoAssistant>();
    }
    if (!ports_.debugOutput) {
        ports_.debugOutput = writeToStandardError;
    }
}

CTestApp::~CTestApp() {
    ports_.assistant->stop();
}

void CTestApp::unload() {
    ports_.assistant->stopForUnload();
}

void CTestApp::sayInternalError(const std::string& text) noexcept {
    try {
        engine_->noteLine(text);
    } catch (...) {
    }
    try {
        ports_.debugOutput(text);
    } catch (...) {
    }
}

int CTestApp::resetStats(int32_t exportFlag, const std::string& contestantCall, const DateTimeArg& contestStart,
                         const DateTimeArg& contestEnd) {
    engine_->resetStore(exportFlag, contestantCall, contestStart, contestEnd);
    // The dialog and the start rule run without the store's lock: both may
    // wait on the operator or on the assistant thread, which needs the lock.
    // A cancelled header dialog means "do not export": the pass scores as
    // usual, but no Cabrillo file is written until the next rescoring.
    exportCancelled_ = exportFlag != 0 && !report_.EditHeader(contestantCall, *ports_.settings, *ports_.headerDialog);
    runStartRule(exportFlag, *ports_.settings, *ports_.assistant);
    return 1;
}

int CTestApp::checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                        const std::string& areaText, const std::string& band) {
    ports_.assistant->armTick(contest::kCheckCallTickDelayMs);
    return engine_->checkCall(call, mode, prefix, areaText, band);
}

const char* CTestApp::setName(int setNumber) const {
    return setNumber == 0 ? contest::kSetName : "";
}

void CTestApp::setupSet() {
    ports_.ui->showMessage({"No additional setup for this contest", std::nullopt, MessageIcon::kNone});
}

const char* CTestApp::result(int* status) {
    int32_t exportFlag = 0;
    std::vector<CInfo> toExport;
    ScoreSummary summary = engine_->withStore([&](ContactStore& store) {
        ScoreSummary computed = computeScoreSummary(store, store.bandList(), store.context());
        // Swapped in whole under the lock: a reader never sees a half-built list.
        store.publishWorkedAreas(computed.workedAreas);
        exportFlag = store.context().exportFlag;
        if (exportFlag != 0 && !exportCancelled_) {
            toExport = store.contactList();
        }
        return computed;
    });
    summary_ = std::move(summary.text);
    report_.claimedScore = summary.score;
    ports_.settings->writeText("Claimed", std::to_string(summary.score));

    if (exportFlag != 0 && !exportCancelled_) {
        report_.ClearQsoLines();
        for (const CInfo& contact : toExport) {
            report_.AddQsoLine(contact);
        }
        const std::optional<std::string> hostVersion = ports_.hostVersion(folder_);
        const CabrilloOutcome outcome = ports_.writeCabrillo ? ports_.writeCabrillo(report_, hostVersion)
                                                             : report_.WriteCabrillo(folder_, hostVersion);
        ports_.ui->showMessage({outcome.message, std::string("Output"),
                                outcome.written ? MessageIcon::kInformation : MessageIcon::kError, true});
        if (status != nullptr) {
            *status = -1;
        }
    }
    return summary_.c_str();
}

const char* CTestApp::runCommand(const std::string& command) {
    if (command == "SHOWINFO") {
        ports_.assistant->start();
    } else if (command == "HIDEINFO") {
        ports_.assistant->stop();
    }
    return "";
}
