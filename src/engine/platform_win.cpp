// The ports of Stats.dll: the profile functions, real message boxes.
#include "assistant/profile_settings.h"
#include "engine/module.h"
#include "engine/ui_win.h"

PlatformPorts makePlatformPorts() {
    PlatformPorts ports;
    ports.settings = std::make_unique<ProfileSettings>();
    ports.ui = std::make_unique<WindowsUi>();
    ports.assistant = std::make_unique<NoAssistant>();
    return ports;
}
