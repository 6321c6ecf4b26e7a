// The start rule that ends every rescoring.
#pragma once

#include <cstdint>

namespace torv::ports {
class AssistantControl;
class Settings;
}  // namespace torv::ports

namespace torv::assistant {

// Run at the end of every rescoring. An export sets "Start" to "1" first;
// then a set "Start" is cleared, and a clear one opens the assistant (when
// none runs) and is set. Rescorings without export thus alternate.
void runStartRule(int32_t exportFlag, ports::Settings& settings, ports::AssistantControl& assistant);

}  // namespace torv::assistant
