// The process-exit test's seam (lock_seam.cpp) and the host program that
// exits while it holds (exit_host.cpp).
#pragma once

#include <windows.h>

#include <string>

#include "win/scoped_win.h"

// The event the seam sets once the assistant thread holds its lock; one per
// process.
inline std::string lockSeamEventName() {
    return "StatsLockSeamHolding-" + std::to_string(GetCurrentProcessId());
}

// The exit code the host program ends with once the lock is held.
constexpr int kLockSeamExitCode = 42;
