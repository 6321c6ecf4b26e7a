// The ports of Stats.dll: the profile functions, real message boxes and
// the header dialog, the host executable's version resource, the assistant
// window on its own thread.
#include "assistant/assistant_win.h"
#include "settings/profile_settings.h"
#include "plugin/ui_win.h"
#include "plugin/module.h"
#include "reports/header_dialog_win.h"
#include "reports/host_version.h"

PlatformPorts makePlatformPorts() {
    PlatformPorts ports;
    ports.settings = std::make_unique<ProfileSettings>();
    ports.ui = std::make_unique<WindowsUi>();
    ports.headerDialog = std::make_unique<Cabrillo>();
    ports.makeAssistant = [](Settings& settings, ContestEngine& engine, WorkedBeforeState& state) {
        return std::make_unique<WindowsAssistant>(settings, engine, state);
    };
    ports.hostVersion = findHostVersion;
    return ports;
}
