// The ports of libStats.so: the settings file through the portable INI
// implementation, message boxes recorded, no assistant (it needs windows).
#include "assistant/ini_settings.h"
#include "engine/module.h"

PlatformPorts makePlatformPorts() {
    PlatformPorts ports;
    ports.settings = std::make_unique<IniSettings>("Plugins/TORV.ini");
    ports.ui = std::make_unique<RecordingUi>();
    ports.assistant = std::make_unique<NoAssistant>();
    return ports;
}
