// A stand-in for a wrong plug-in: every export of Stats.dll doing nothing,
// plus one function that is none of them. The .def files generated for it
// leave an export out or point a twin at the wrong function, so that the
// simulator's checks of a plug-in's names can be seen failing; a third
// variant has every name right but never returns from SetupSet0.
#include "abi/stats_exports.h"

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif

#if defined(PARTIAL_PLUGIN_BLOCKS)
#include <windows.h>
#endif

namespace {

template <typename T>
T nothing() {
    return T();
}

// SetupSet0 is the one export without a result. In the blocking variant it
// never returns, as an export deadlocked with the plug-in's own thread would
// not, so the simulator's watchdog can be seen ending the run.
template <>
void nothing<void>() {
#if defined(PARTIAL_PLUGIN_BLOCKS)
    Sleep(INFINITE);
#endif
}

}  // namespace

extern "C" {

#define PARTIAL_DEFINE(result, plain, twin, params) \
    result STATS_CALL plain params {                \
        return nothing<result>();                   \
    }
STATS_EXPORTS(PARTIAL_DEFINE)
#undef PARTIAL_DEFINE

// Not an export of Stats.dll: a twin pointed here is at the wrong address.
const char* STATS_CALL OtherResult(int*) {
    return "";
}

}  // extern "C"
