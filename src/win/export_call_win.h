// Keeping the plug-in's image mapped under its own exports.
//
// A host may call FreeLibrary from the handler of a message that one of our
// exports dispatches (a pumping wait, a modal dialog, a message box). Were the
// host's reference the last one, the loader would unmap the image under the
// export, and the host's thread would return into code that is gone. So an
// export that is about to run a message loop takes a reference of its own
// first: the host's FreeLibrary then only drops the host's reference.
//
// That reference cannot be released by the export itself: the release may
// be the last one, and the export's remaining instructions (and the frames
// it returns through) are the plug-in's. A thread-pool callback releases it
// instead, once the thread that ran the export is certainly out of the
// image: no export of ours on its stack and its instruction pointer outside
// the image, read while the thread is suspended. The release itself is the
// pool's (FreeLibraryWhenCallbackReturns), after the callback's last
// instruction. Whatever fails on the way pins the library instead: a leak,
// never a return into unmapped code.
#pragma once

namespace torv::win {

// Marks the calling thread as inside one of the plug-in's exports for the
// object's life; nested exports (a host handler calling another export)
// count. When the outermost one ends and a reference was taken meanwhile
// (holdPluginModuleDuringExport), its release is handed to the thread pool.
class ExportCall {
public:
    ExportCall() noexcept : token_(enterExport()) {}
    ~ExportCall() { leaveExport(token_); }
    ExportCall(const ExportCall&) = delete;
    ExportCall& operator=(const ExportCall&) = delete;

    // The same as a pair of calls, for a caller that cannot name this type:
    // enterExport's token goes to leaveExport on the same thread.
    static int enterExport() noexcept;
    static void leaveExport(int token) noexcept;

private:
    int token_;
};

// Call before any message loop that can run inside an export: on a thread
// inside an export, takes the export's reference to the plug-in's module
// once (its outermost ExportCall releases it); elsewhere does nothing. When
// no reference can be taken, pins the module.
void holdPluginModuleDuringExport() noexcept;

// How many module references exports have handed to the pool and the pool
// has not yet released (for tests).
long pendingModuleReleases() noexcept;

}  // namespace torv::win
