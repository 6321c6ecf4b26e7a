// The library's entry point: only its detaching needs work of ours.
#include <windows.h>

#include "plugin/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH) {
        // FreeLibrary (reserved null): the assistant closes and its thread
        // ends before the code goes. Process exit (reserved set): the other
        // threads were ended wherever they were, maybe holding a lock;
        // nothing of ours may take one or wait.
        torv::plugin::detachLibrary(reserved != nullptr);
    }
    return TRUE;
}
