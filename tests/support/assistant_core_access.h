// What the tests read of the assistant's logic that the plug-in never needs.
#pragma once

#include "assistant/assistant_core.h"

// A friend of the assistant's logic, so in its namespace.
namespace torv::assistant {

struct AssistantCoreTestAccess {
    static bool callViewOpen(const AssistantCore& core) { return core.callView_ != nullptr; }
};

}  // namespace torv::assistant
