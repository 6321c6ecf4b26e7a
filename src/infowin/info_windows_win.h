// The worked-before ("CALL") and area ("Brazil Area") windows on Windows.
#pragma once

#include <memory>

#include "ports/views.h"

namespace torv::engine {
class ContestEngine;
class WorkedBeforeState;
}  // namespace torv::engine
namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::infowin {

// Creates and shows the worked-before window on the calling thread.
// Destroying the returned object destroys the window.
std::unique_ptr<ports::CallView> openCallWindow(ports::Settings& settings, engine::ContestEngine& engine,
                                                engine::WorkedBeforeState& state);

// Creates and shows the area window on the calling thread.
std::unique_ptr<ports::AreaView> openAreaWindow(ports::Settings& settings);

}  // namespace torv::infowin
