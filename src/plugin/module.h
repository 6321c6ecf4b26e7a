// CTestApp, the module object: the one owner of everything that lives as
// long as the library (the scoring pass with its contact store, report
// object and settings; the user interface; the assistant). The exports
// forward to the one instance; tests build their own with fake ports.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/contest_engine.h"
#include "engine/worked_before.h"
#include "ports/assistant_control.h"
#include "ports/header_dialog.h"
#include "ports/settings.h"
#include "ports/ui.h"
#include "reports/cabrillo_log.h"
#include "scoring/scoring_pass.h"

namespace torv::plugin {

// The scoring pass's ports (settings, header dialog, host version, findings,
// Cabrillo writer), and the module's own beside them.
struct PlatformPorts : scoring::ScoringPorts {
    std::unique_ptr<ports::Ui> ui;
    // The assistant, or a maker of it for one that needs the module's state;
    // what it is given it holds jointly with the module object.
    std::unique_ptr<ports::AssistantControl> assistant;
    std::function<std::unique_ptr<ports::AssistantControl>(std::shared_ptr<ports::Settings>,
                                                           std::shared_ptr<engine::ContestEngine>,
                                                           std::shared_ptr<engine::WorkedBeforeState>)>
        makeAssistant;
    // Where an internal failure is said besides the error file (a debugger's
    // output on Windows); none: standard error.
    std::function<void(const std::string& text)> debugOutput;
};

}  // namespace torv::plugin

class CTestApp {
public:
    // folder: where the error and Cabrillo files live, "" for the current folder.
    explicit CTestApp(torv::plugin::PlatformPorts ports, const std::string& folder = std::string());
    // Ends the assistant before the library goes.
    ~CTestApp();
    CTestApp(const CTestApp&) = delete;
    CTestApp& operator=(const CTestApp&) = delete;

    int addData(const torv::engine::ContactFields& contact) { return engine().addData(contact); }
    int removeData(const torv::engine::ContactFields& contact) { return pass_.remove(contact); }

    // Starts a scoring pass (ScoringPass::reset: the store's reset, the
    // header dialog when the log is to be exported), then runs the
    // assistant's start rule. Always 1.
    int resetStats(int32_t exportFlag, const std::string& contestantCall, const torv::abi::DateTimeArg& contestStart,
                   const torv::abi::DateTimeArg& contestEnd);

    // Wakes the assistant's tick, then answers from the store (0, 1 or 2).
    int checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                  const std::string& areaText, const std::string& band);

    // "TORV (C)" for set 0, "" for any other; valid for the library's life.
    const char* setName(int setNumber) const;

    // Tells the operator there is nothing to set up; returns once closed.
    void setupSet();

    // The score summary (ScoringPass::result), valid until the next call.
    // When the pass wrote the Cabrillo file, tells the operator where it went
    // and sets *status to -1.
    const char* result(int* status);

    // "SHOWINFO" / "HIDEINFO" start and stop the assistant; always "".
    const char* runCommand(const std::string& command);

    torv::engine::ContestEngine& engine() { return pass_.engine(); }
    torv::reports::CCabrilloLog& report() { return pass_.report(); }
    torv::ports::Settings& settings() { return pass_.settings(); }
    torv::ports::AssistantControl& assistant() { return *assistant_; }
    torv::engine::WorkedBeforeState& workedBefore() { return *workedBefore_; }

    // The library is being unloaded (FreeLibrary): the assistant closes and
    // its thread ends, inside the loader's lock. (At process exit nothing of
    // the module object runs at all: see detachLibrary.)
    void unload();

    // Says an internal failure: the text on a line of its own in the error
    // file, and to the debug output. Never throws.
    void sayInternalError(const std::string& text) noexcept;

private:
    std::unique_ptr<torv::ports::Ui> ui_;
    std::function<void(const std::string& text)> debugOutput_;
    torv::scoring::ScoringPass pass_;
    std::shared_ptr<torv::engine::WorkedBeforeState> workedBefore_;
    std::unique_ptr<torv::ports::AssistantControl> assistant_;
    std::string summary_;
};

namespace torv::plugin {

// The ports of the platform the library was built for (Windows or native).
PlatformPorts makePlatformPorts();

// Lives for one export's call. On Windows a message loop the export runs
// keeps the library mapped until the calling thread has left it, since a
// message it dispatches may be the host's FreeLibrary; natively, nothing.
class ExportScope {
public:
    ExportScope() noexcept;
    ~ExportScope();
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;

private:
    [[maybe_unused]] int token_;  // what the platform needs to end the call
};

// Ports without a screen around the given settings: the scoring pass's
// (scoring::headlessPorts), message boxes recorded, no assistant. Tests
// replace what they watch.
PlatformPorts headlessPorts(std::unique_ptr<ports::Settings> settings);

// The library's one module object, once an export has made it; else null
// (also once the library detaches).
CTestApp* loadedModule();

// The library detaches (DllMain, DLL_PROCESS_DETACH): from now on every
// export returns its fallback at once. On FreeLibrary the module object
// unloads and goes; at process exit (processExiting) nothing more runs:
// the other threads were ended wherever they were, perhaps holding a lock,
// so nothing here takes a lock, waits, or frees.
void detachLibrary(bool processExiting) noexcept;

// "internal error in <export>: <what>", the text an export's failure is said with.
std::string internalErrorText(const char* exportName, const char* what);
// The text on a line of "err.txt" in the current folder.
void sayWithoutModule(const std::string& text);

// Says an export's failure on the module object module() gives, or, without
// one, on "err.txt" in the current folder. Never throws.
template <typename ModuleOf>
void sayExportFailure(ModuleOf& module, const char* exportName, const char* what) noexcept {
    try {
        const std::string text = internalErrorText(exportName, what);
        if (CTestApp* target = module()) {
            target->sayInternalError(text);
        } else {
            sayWithoutModule(text);
        }
    } catch (...) {
        // Nothing more can be said.
    }
}

// Runs an export's body for the host. Whatever it throws is said
// (sayExportFailure) and the fallback is returned: no exception reaches the
// host, and none is silent.
template <typename Result, typename ModuleOf, typename Body>
Result answerSayingFailures(ModuleOf&& module, const char* exportName, Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& error) {
        sayExportFailure(module, exportName, error.what());
    } catch (...) {
        sayExportFailure(module, exportName, "unknown exception");
    }
    return fallback;
}

}  // namespace torv::plugin
