// The plug-in's own module handle, for its resources (dialog templates,
// icon) whether it is linked into a DLL or into a test program.
#pragma once

#include <windows.h>

HINSTANCE pluginModule();
