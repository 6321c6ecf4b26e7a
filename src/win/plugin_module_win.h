// The plug-in's own module handle, for its resources (dialog templates,
// icon) whether it is linked into a DLL or into a test program.
#pragma once

#include <windows.h>

namespace torv::win {

HINSTANCE pluginModule();

// Keeps the plug-in's module mapped until the process ends, whatever
// FreeLibrary calls come later: for when a thread may still run its code.
// False when the system refused.
bool pinPluginModule();

}  // namespace torv::win
