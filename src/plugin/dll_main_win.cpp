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
        // Process exit (reserved set): the other threads were ended already;
        // waiting for the assistant's would hang the host forever. FreeLibrary:
        // the assistant closes and its thread ends before the code goes, in
        // the one bounded wait of the assistant's stop; the module object's
        // end that follows finds it stopped or abandoned and waits no more.
        module->unload(reserved != nullptr);
    } catch (...) {
    }
    return TRUE;
}
