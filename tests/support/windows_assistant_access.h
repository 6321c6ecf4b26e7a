// What the tests read of the assistant's thread owner that the plug-in never
// needs.
#pragma once

#include "assistant/assistant_win.h"

// A friend of the owner, so in its namespace.
namespace torv::assistant {

struct WindowsAssistantTestAccess {
    // A stop gave up on the current thread, or the unload on the last one.
    static bool gaveUp(const WindowsAssistant& assistant) { return assistant.gaveUp_; }
};

}  // namespace torv::assistant
