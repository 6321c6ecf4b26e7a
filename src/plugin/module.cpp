#include "plugin/module.h"

#include <cstdio>

#include "assistant/start_rule.h"
#include "engine/contest.h"

namespace contest = torv::engine::contest;
using torv::abi::DateTimeArg;
using torv::assistant::runStartRule;
using torv::engine::ErrorFile;
using torv::engine::WorkedBeforeState;
using torv::plugin::PlatformPorts;
using torv::ports::MessageIcon;
using torv::ports::NoAssistant;
using torv::ports::RecordingUi;
using torv::ports::Settings;
using torv::scoring::PassResult;
using torv::scoring::ScoringPorts;

namespace {

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
    static_cast<ScoringPorts&>(ports) = scoring::headlessPorts(std::move(settings));
    ports.ui = std::make_unique<RecordingUi>();
    ports.assistant = std::make_unique<NoAssistant>();
    ports.debugOutput = writeToStandardError;
    return ports;
}

}  // namespace torv::plugin

CTestApp::CTestApp(PlatformPorts ports, const std::string& folder)
    : ui_(std::move(ports.ui)),
      debugOutput_(ports.debugOutput ? std::move(ports.debugOutput) : writeToStandardError),
      pass_(std::move(static_cast<ScoringPorts&>(ports)), folder),
      workedBefore_(std::make_shared<WorkedBeforeState>()),
      assistant_(std::move(ports.assistant)) {
    if (!assistant_) {
        assistant_ = ports.makeAssistant
                         ? ports.makeAssistant(pass_.sharedSettings(), pass_.sharedEngine(), workedBefore_)
                         : std::make_unique<NoAssistant>();
    }
}

CTestApp::~CTestApp() {
    assistant_->stop();
}

void CTestApp::unload() {
    assistant_->stopForUnload();
}

void CTestApp::sayInternalError(const std::string& text) noexcept {
    try {
        engine().noteLine(text);
    } catch (...) {
    }
    try {
        debugOutput_(text);
    } catch (...) {
    }
}

int CTestApp::resetStats(int32_t exportFlag, const std::string& contestantCall, const DateTimeArg& contestStart,
                         const DateTimeArg& contestEnd) {
    pass_.reset(exportFlag, contestantCall, contestStart, contestEnd);
    // Without the store's lock: the start rule may wait on the assistant
    // thread, which needs the lock.
    runStartRule(exportFlag, pass_.settings(), *assistant_);
    return 1;
}

int CTestApp::checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                        const std::string& areaText, const std::string& band) {
    assistant_->armTick(contest::kCheckCallTickDelayMs);
    return engine().checkCall(call, mode, prefix, areaText, band);
}

const char* CTestApp::setName(int setNumber) const {
    return setNumber == 0 ? contest::kSetName : "";
}

void CTestApp::setupSet() {
    ui_->showMessage({"No additional setup for this contest", std::nullopt, MessageIcon::kNone});
}

const char* CTestApp::result(int* status) {
    PassResult result = pass_.result();
    summary_ = std::move(result.summary.text);
    if (result.cabrillo) {
        ui_->showMessage({result.cabrillo->message, std::string("Output"),
                          result.cabrillo->written ? MessageIcon::kInformation : MessageIcon::kError, true});
        if (status != nullptr) {
            *status = -1;
        }
    }
    return summary_.c_str();
}

const char* CTestApp::runCommand(const std::string& command) {
    if (command == "SHOWINFO") {
        assistant_->start();
    } else if (command == "HIDEINFO") {
        assistant_->stop();
    }
    return "";
}
