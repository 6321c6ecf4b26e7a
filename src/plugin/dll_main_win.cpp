// The library's entry point: only its unloading needs work of ours.
#include <windows.h>

#include "plugin/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason != DLL_PROCESS_DETACH) {
        return TRUE;
    }
    CTestApp* module = loadedModule();
    if (module == nullptr) {
        return TRUE;
    }
    try {
        if (reserved != nullptr) {
            // Process exit: the other threads were ended already; waiting
            // for the assistant's would hang the host forever.
            module->Unload(true);
        } else {
            // FreeLibrary: close the assistant before the code goes, then let
            // its thread step out of the library's last instructions.
            module->Unload(false);
            Sleep(20);
        }
    } catch (...) {
    }
    return TRUE;
}
