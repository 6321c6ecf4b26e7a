// A host that ends its process while the plug-in's assistant thread holds
// the assistant's lock: it loads the library named on its command line (a
// Stats.dll with the lock seam linked in), opens the assistant, waits until
// the seam holds the lock, then returns kLockSeamExitCode from main. The
// system ends the assistant thread, lock held, and detaches the library.
//   StatsExitHost.exe LIBRARY
// Exit codes: kLockSeamExitCode as planned; 2 when something before the
// exit failed.
#include <windows.h>

#include <cstdio>

#include "abi/stats_exports.h"
#include "win/lock_seam.h"

using torv::win::ScopedComApartment;
using torv::win::ScopedHandle;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: StatsExitHost.exe LIBRARY\n");
        return 2;
    }
    ScopedComApartment apartment;
    ScopedHandle holding(CreateEventA(nullptr, TRUE, FALSE, lockSeamEventName().c_str()));
    HMODULE library = LoadLibraryA(argv[1]);
    auto runCommand =
        reinterpret_cast<decltype(&RunCommand0)>(reinterpret_cast<void*>(GetProcAddress(library, "RunCommand0")));
    if (!holding || runCommand == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    runCommand(0, "SHOWINFO");
    if (WaitForSingleObject(holding.get(), 20000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the assistant thread never took its lock\n");
        return 2;
    }
    std::printf("the assistant thread holds its lock; exiting\n");
    std::fflush(stdout);
    return kLockSeamExitCode;
}
