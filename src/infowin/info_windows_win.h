// The worked-before ("CALL") and area ("Brazil Area") windows on Windows.
#pragma once

#include <memory>

#include "ports/views.h"

class ContestEngine;
namespace torv::ports {
class Settings;
}  // namespace torv::ports
class WorkedBeforeState;

// Creates and shows the worked-before window on the calling thread.
// Destroying the returned object destroys the window.
std::unique_ptr<torv::ports::CallView> openCallWindow(torv::ports::Settings& settings, ContestEngine& engine,
                                                      WorkedBeforeState& state);

// Creates and shows the area window on the calling thread.
std::unique_ptr<torv::ports::AreaView> openAreaWindow(torv::ports::Settings& settings);
