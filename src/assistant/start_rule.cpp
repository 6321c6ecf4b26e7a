#include "assistant/start_rule.h"

#include "ports/assistant_control.h"
#include "ports/settings.h"

namespace torv::assistant {

using ports::AssistantControl;
using ports::Settings;

void runStartRule(int32_t exportFlag, Settings& settings, AssistantControl& assistant) {
    if (exportFlag != 0) {
        settings.writeText("Start", "1");
    }
    if (settings.readNumber("Start") != 0) {
        settings.writeText("Start", "0");
        return;
    }
    if (!assistant.isRunning()) {
        assistant.start();
        settings.writeText("Start", "1");
    }
}

}  // namespace torv::assistant
