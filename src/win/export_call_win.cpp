#include "win/export_call_win.h"

#include <windows.h>

#include <atomic>
#include <memory>

#include "win/plugin_module_win.h"

namespace torv::win {

namespace {

// One entry per thread that has called an export, found by its thread id.
// A host calls the exports from one or two threads; an entry is never given
// back (a later thread with the same id takes it over, its depth zero), so
// the release callbacks may read any entry at any time. A thread that finds
// the table full is not followed: its first export pins the library.
struct ExportingThread {
    std::atomic<DWORD> threadId{0};
    std::atomic<int> depth{0};  // exports of ours on the thread's stack
    HMODULE held = nullptr;     // the outermost export's reference; the thread's own
};

constexpr int kMaxExportingThreads = 64;
ExportingThread exportingThreads[kMaxExportingThreads];
std::atomic<long> releasesPending{0};
std::atomic<bool> pinnedUntracked{false};

int slotOfThisThread(bool claim) noexcept {
    const DWORD self = GetCurrentThreadId();
    for (int i = 0; i < kMaxExportingThreads; ++i) {
        if (exportingThreads[i].threadId.load() == self) {
            return i;
        }
    }
    for (int i = 0; claim && i < kMaxExportingThreads; ++i) {
        DWORD unused = 0;
        if (exportingThreads[i].threadId.compare_exchange_strong(unused, self)) {
            return i;
        }
    }
    return -1;
}

bool addressInImage(HMODULE module, DWORD_PTR address) noexcept {
    const auto base = reinterpret_cast<DWORD_PTR>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return address >= base && address - base < nt->OptionalHeader.SizeOfImage;
}

// A release waiting for its thread to leave the image.
struct PendingRelease {
    HMODULE module = nullptr;
    HANDLE thread = nullptr;  // may be suspended and read, and waited for
    int slot = 0;
};

// True once the thread runs none of the image's code and has no export of
// ours on its stack: suspended, its instruction pointer outside the image
// and its depth zero. The context is read before the depth, because reading
// it waits until the suspension has taken effect.
bool threadHasLeftImage(const PendingRelease& release) noexcept {
    if (WaitForSingleObject(release.thread, 0) == WAIT_OBJECT_0) {
        return true;  // the thread has ended
    }
    if (exportingThreads[release.slot].depth.load() != 0) {
        return false;
    }
    if (SuspendThread(release.thread) == static_cast<DWORD>(-1)) {
        return false;
    }
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    bool left = false;
    if (GetThreadContext(release.thread, &context)) {
#if defined(_WIN64)
        const DWORD_PTR instruction = context.Rip;
#else
        const DWORD_PTR instruction = context.Eip;
#endif
        left = !addressInImage(release.module, instruction) && exportingThreads[release.slot].depth.load() == 0;
    }
    ResumeThread(release.thread);
    return left;
}

VOID CALLBACK releaseWhenThreadHasLeft(PTP_CALLBACK_INSTANCE instance, void* context) {
    std::unique_ptr<PendingRelease> release(static_cast<PendingRelease*>(context));
    // No bound: until the thread has left, the reference must stay. A thread
    // that stays inside our exports for ever keeps the library, which is
    // what it needs.
    for (DWORD pause = 0; !threadHasLeftImage(*release); pause = pause < 16 ? pause + 1 : pause) {
        Sleep(pause);
    }
    CloseHandle(release->thread);
    FreeLibraryWhenCallbackReturns(instance, release->module);
    releasesPending.fetch_sub(1);
}

// Hands the reference to the pool; pins the library when it cannot.
void releaseAfterLeaving(HMODULE module, int slot) noexcept {
    auto release = std::make_unique<PendingRelease>();
    release->module = module;
    release->slot = slot;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &release->thread,
                         SYNCHRONIZE | THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE,
                         0)) {
        pinPluginModule();
        return;
    }
    releasesPending.fetch_add(1);
    if (!TrySubmitThreadpoolCallback(releaseWhenThreadHasLeft, release.get(), nullptr)) {
        releasesPending.fetch_sub(1);
        CloseHandle(release->thread);
        pinPluginModule();  // the reference stays taken: never released inline
        return;
    }
    static_cast<void>(release.release());  // the callback owns it
}

}  // namespace

int ExportCall::enterExport() noexcept {
    const int slot = slotOfThisThread(true);
    if (slot >= 0) {
        exportingThreads[slot].depth.fetch_add(1);
    } else if (!pinnedUntracked.exchange(true)) {
        pinPluginModule();  // no room to follow this thread: the library stays
    }
    return slot;
}

void ExportCall::leaveExport(int slot) noexcept {
    if (slot < 0) {
        return;
    }
    ExportingThread& thread = exportingThreads[slot];
    HMODULE held = nullptr;
    if (thread.depth.load() == 1) {
        held = thread.held;
        thread.held = nullptr;
    }
    // The reference is handed over before the depth drops, so the callback
    // cannot see this thread out of the image while it still runs this code.
    if (held != nullptr) {
        releaseAfterLeaving(held, slot);
    }
    thread.depth.fetch_sub(1);
}

void holdPluginModuleDuringExport() noexcept {
    const int slot = slotOfThisThread(false);
    if (slot < 0) {
        // Not inside an export (the host simulator's or a test's own loop),
        // or on a thread the table had no room for (the library is pinned).
        return;
    }
    ExportingThread& thread = exportingThreads[slot];
    if (thread.depth.load() == 0 || thread.held != nullptr) {
        return;
    }
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(&holdPluginModuleDuringExport), &module)) {
        thread.held = module;
    } else {
        pinPluginModule();
    }
}

long pendingModuleReleases() noexcept {
    return releasesPending.load();
}

}  // namespace torv::win
