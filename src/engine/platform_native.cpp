// The ports of libStats.so: the settings file through the portable INI
// implementation, message boxes recorded, the header confirmed unchanged,
// no assistant (it needs windows), no host executable to read a version from.
#include "assistant/ini_settings.h"
#include "engine/module.h"
#include "reports/host_version.h"

PlatformPorts makePlatformPorts() {
    PlatformPorts ports;
    ports.settings = std::make_unique<IniSettings>("Plugins/TORV.ini");
    ports.ui = std::make_unique<RecordingUi>();
    ports.headerDialog = std::make_unique<ConfirmingHeaderDialog>();
    ports.assistant = std::make_unique<NoAssistant>();
    ports.hostVersion = findHostVersion;
    return ports;
}
