// The ports of Stats.dll: the profile functions, real message boxes and
// the header dialog, the host executable's version resource, the assistant
// window on its own thread, internal failures said to a debugger.
#include <windows.h>

#include "assistant/assistant_win.h"
#include "plugin/module.h"
#include "plugin/ui_win.h"
#include "reports/header_dialog_win.h"
#include "reports/host_version.h"
#include "settings/profile_settings.h"
#include "win/export_call_win.h"

namespace torv::plugin {

using assistant::WindowsAssistant;
using engine::ContestEngine;
using engine::WorkedBeforeState;
using ports::Settings;
using reports::findHostVersion;
using win::ExportCall;

PlatformPorts makePlatformPorts() {
    PlatformPorts ports;
    ports.settings = std::make_unique<settings::ProfileSettings>();
    ports.ui = std::make_unique<WindowsUi>();
    ports.headerDialog = std::make_unique<Cabrillo>();
    ports.makeAssistant = [](std::shared_ptr<Settings> settings, std::shared_ptr<ContestEngine> engine,
                             std::shared_ptr<WorkedBeforeState> state) {
        return std::make_unique<WindowsAssistant>(std::move(settings), std::move(engine), std::move(state));
    };
    ports.hostVersion = findHostVersion;
    ports.debugOutput = [](const std::string& text) { OutputDebugStringA(text.c_str()); };
    return ports;
}

ExportScope::ExportScope() noexcept : token_(ExportCall::enterExport()) {}

ExportScope::~ExportScope() {
    ExportCall::leaveExport(token_);
}

}  // namespace torv::plugin
