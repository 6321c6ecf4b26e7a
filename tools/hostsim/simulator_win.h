// The host simulator's engine: runs steps on the host's (main) thread the way
// the host drives the plug-in, serves the automation object there, and
// pumps that thread's messages between steps and in every wait.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hostsim/automation_server_win.h"
#include "hostsim/plugin_win.h"
#include "hostsim/script.h"
#include "hostsim/window_driver_win.h"

namespace pelksim {

struct SimulatorOptions {
    DWORD timeout = 10000;  // the bound of every wait, until a "timeout" step changes it
    bool serveHost = true;  // register "Pelk2.Application"
    // The host's thread is in the multithreaded apartment: the automation
    // object answers on the system's RPC threads, not on the host's thread.
    bool multithreadedHost = false;
};

// Ends the process when a step does not return in time: a host thread stuck
// in an export (a deadlock with the plug-in's thread) must fail the run with
// a clear message, not hang it.
class StepWatchdog {
public:
    // beforeExit runs on the watchdog's thread just before the process ends.
    explicit StepWatchdog(std::function<void()> beforeExit);
    ~StepWatchdog();
    StepWatchdog(const StepWatchdog&) = delete;
    StepWatchdog& operator=(const StepWatchdog&) = delete;

    void arm(const std::string& what, DWORD budget);
    void disarm();

private:
    void watch();

    std::function<void()> beforeExit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool armed_ = false;
    std::string what_;
    DWORD budget_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    std::thread thread_;
};

class Simulator {
public:
    // Call on an STA thread (CoInitialize).
    explicit Simulator(const SimulatorOptions& options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // "" when the automation object is served (or not asked for).
    const std::string& startupError() const { return startupError_; }

    // Runs one step; false after writing the error to standard error.
    bool run(const Step& step);
    // Settles answers still armed; false when one failed.
    bool finish();
    // Keeps a plug-in still loaded from being freed with the simulator, so it
    // goes with the process (FreeLibrary only ever comes from an "unload").
    void leavePluginToProcessExit();

private:
    struct ArmedAnswer;
    using Handler = void (Simulator::*)(const Step&);
    static const std::vector<std::pair<const char*, Handler>>& handlers();

    // Step handlers; each throws std::runtime_error when the step fails.
    void load(const Step& step);
    void unload(const Step& step);
    void reset(const Step& step);
    void replay(const Step& step);
    void add(const Step& step);
    void remove(const Step& step);
    void result(const Step& step);
    void valid(const Step& step);
    void sets(const Step& step);
    void setup(const Step& step);
    void command(const Step& step);
    void type(const Step& step);
    void entry(const Step& step);
    void retune(const Step& step);
    void mode(const Step& step);
    void delay(const Step& step);
    void commands(const Step& step);
    void waitCommand(const Step& step);
    void wait(const Step& step);
    void waitWindow(const Step& step);
    void waitClosed(const Step& step);
    void click(const Step& step);
    void checked(const Step& step);
    void expectDialog(const Step& step);
    void closeMessage(const Step& step);
    void screenshot(const Step& step);
    void timeout(const Step& step);
    void echo(const Step& step);
    void waitCall(const Step& step);
    void waitQueued(const Step& step);
    void roundTrip(const Step& step);
    void quit(const Step& step);
    void waitQuit(const Step& step);
    void post(const Step& step);
    void sendDuringUnload(const Step& step);
    void postUnload(const Step& step);
    void floodDuringUnload(const Step& step);
    void mapped(const Step& step);
    void waitUnmapped(const Step& step);

    // The host's own window, to which "post" and "send-during-unload" send
    // the messages whose handlers call the plug-in as a host's would.
    static LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onPostedCommand(const std::string& command);
    void onSentDuringUnload(std::string& outcome);
    void onPostedUnload();
    // True, once said, when a handler freed the plug-in while the export
    // just called ran (freedCount_ moved past before): its answer may point
    // into the unloaded image and is not read.
    bool freedDuringCall(size_t before, const std::string& call);

    const LoadedPlugin& plugin() const;
    torv::logfile::LogContact contactFromStep(const Step& step) const;
    HWND findWindowOrFail(const std::string& caption);
    // Runs a synchronous window call on a helper thread while this thread pumps.
    void runPumping(const std::function<void()>& task);
    // How long the step may take before the watchdog ends the run.
    DWORD budgetOf(const Step& step) const;
    // Waits for the answers armed before the step just run and reports them.
    bool settleArmedAnswers();

    SimulatorOptions options_;
    DWORD timeout_;
    torv::win::ScopedComPtr<HostAutomation> host_;
    std::unique_ptr<AutomationServer> server_;
    std::unique_ptr<LoadedPlugin> plugin_;
    std::string contestCall_;
    std::string startupError_;
    std::vector<std::unique_ptr<ArmedAnswer>> armed_;
    torv::win::ScopedWindow hostWindow_;
    // The plug-in while FreeLibrary runs: a host keeps its export pointers
    // until that returns, and its handlers may use them meanwhile.
    const LoadedPlugin* unloadingPlugin_ = nullptr;
    // Plug-ins a handler freed while an export ran: kept until the step ends,
    // for the code still on the way back from that export.
    std::vector<std::unique_ptr<LoadedPlugin>> freedByHandler_;
    size_t freedCount_ = 0;
    std::atomic<bool> unloading_{false};
    size_t callLogSeen_ = 0;  // where the next wait-call starts looking
    StepWatchdog watchdog_;
};

// Writes one line of the run's output (standard output, flushed).
void printLine(const std::string& line);

}  // namespace pelksim
