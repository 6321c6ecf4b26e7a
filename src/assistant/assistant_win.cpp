#include "assistant/assistant_win.h"

#include <objbase.h>

#include <memory>

#include "assistant/assistant_core.h"
#include "infowin/info_windows_win.h"
#include "infowin/remembered_position.h"
#include "ports/settings.h"
#include "resource.h"
#include "win/dialog_colours_win.h"
#include "win/message_loop_win.h"
#include "win/plugin_module_win.h"
#include "win/scoped_win.h"

namespace {

constexpr UINT_PTR kTickTimer = 1500;
constexpr UINT kTickRetryMs = 50;
const COLORREF kBackground = RGB(255, 250, 198);

}  // namespace

// The assistant window "Setup TORV": its dialog, its brush, its position,
// and the portable logic behind the boxes and the tick.
class Setup_NDG : public AssistantWindow {
public:
    Setup_NDG(Settings& settings, ContestEngine& engine, WorkedBeforeState& state, WindowsAssistant& owner)
        : settings_(settings),
          engine_(engine),
          state_(state),
          owner_(owner),
          position_(settings, "area_x", "area_y", 10, 200) {}

    ~Setup_NDG() override {
        core_.reset();  // closes the info windows first
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
        if (brush_ != nullptr) {
            DeleteObject(brush_);
        }
        // Uninitialising COM may free libraries, which waits for the
        // loader's lock: impossible while the library itself is unloading.
        if (comInitialised_ && !owner_.libraryUnloading()) {
            CoUninitialize();
        }
    }

    // Creates the window and runs it until it ends, whatever ends it.
    void runModally() {
        window_ = CreateDialogParamA(pluginModule(), MAKEINTRESOURCEA(IDD_SETUP), nullptr, dialogProc,
                                     reinterpret_cast<LPARAM>(this));
        if (window_ == nullptr) {
            return;
        }
        ShowWindow(window_, SW_SHOW);
        owner_.windowCreated(window_);
        runDialogLoop([this] { return ended_; });
    }

    // AssistantWindow, on this thread.
    void showFlags(const AssistantFlags& flags) override {
        CheckDlgButton(window_, IDC_SETUP_CW, flags.cw ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(window_, IDC_SETUP_SSB, flags.ssb ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(window_, IDC_SETUP_AREA, flags.areaView ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(window_, IDC_SETUP_CALL, flags.callView ? BST_CHECKED : BST_UNCHECKED);
    }
    void armTick(int delayMilliseconds) override {
        SetTimer(window_, kTickTimer, static_cast<UINT>(delayMilliseconds), nullptr);
    }
    void killTick() override { KillTimer(window_, kTickTimer); }
    std::unique_ptr<CallView> openCallView() override { return openCallWindow(settings_, engine_, state_); }
    std::unique_ptr<AreaView> openAreaView() override { return openAreaWindow(settings_); }

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        try {
            if (message == WM_INITDIALOG) {
                SetWindowLongPtrA(window, DWLP_USER, lParam);
                auto* self = reinterpret_cast<Setup_NDG*>(lParam);
                self->window_ = window;
                return self->onInit();
            }
            auto* self = reinterpret_cast<Setup_NDG*>(GetWindowLongPtrA(window, DWLP_USER));
            return self != nullptr ? self->handle(message, wParam, lParam) : FALSE;
        } catch (...) {
            // Nothing may unwind into the system; a broken window just ends.
            auto* self = reinterpret_cast<Setup_NDG*>(GetWindowLongPtrA(window, DWLP_USER));
            if (self != nullptr) {
                self->end();
            }
            return TRUE;
        }
    }

    BOOL onInit() {
        position_.restore();
        SetWindowPos(window_, nullptr, position_.x(), position_.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        brush_ = CreateSolidBrush(kBackground);
        SendMessageA(window_, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(LoadIconA(pluginModule(), MAKEINTRESOURCEA(IDI_STATS))));
        // The host link initialises COM on this thread, whether or not a host runs.
        std::unique_ptr<HostLink> link = connectToHost();
        comInitialised_ = true;
        core_ = std::make_unique<AssistantCore>(settings_, engine_, state_, *this, std::move(link));
        core_->initialise();
        return TRUE;
    }

    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                return onCommand(LOWORD(wParam), HIWORD(wParam));
            case WM_TIMER:
                if (wParam == kTickTimer) {
                    onTick();
                    return TRUE;
                }
                return FALSE;
            case kArmTickMessage:
                armTick(static_cast<int>(wParam));
                return TRUE;
            case kStopMessage:
                end();
                return TRUE;
            case WM_SETCURSOR: {
                RECT rect;
                if (GetWindowRect(window_, &rect)) {
                    position_.update(rect.left, rect.top);
                }
                return FALSE;  // the default handling sets the cursor
            }
            default:
                (void)lParam;
                // The window and its boxes: black on pale yellow.
                return isControlColourMessage(message) ? blackOnBackground(wParam, kBackground, brush_) : FALSE;
        }
    }

    INT_PTR onCommand(int id, int code) {
        if (id == IDOK || id == IDCANCEL) {  // Enter, Esc, the close box, WM_CLOSE
            end();
            return TRUE;
        }
        if (code != BN_CLICKED || core_ == nullptr) {
            return FALSE;
        }
        switch (id) {
            case IDC_SETUP_CW:
                core_->clickCw();
                break;
            case IDC_SETUP_SSB:
                core_->clickSsb();
                break;
            case IDC_SETUP_AREA:
                core_->clickArea();
                break;
            case IDC_SETUP_CALL:
                core_->clickCall();
                break;
            default:
                return FALSE;
        }
        owner_.areaViewChanged(core_->areaViewOpen());
        return TRUE;
    }

    // A tick's host calls wait for the host's thread, and meanwhile this
    // thread dispatches messages: a second timer tick then waits its turn.
    void onTick() {
        if (core_ == nullptr) {
            return;
        }
        if (ticking_) {
            SetTimer(window_, kTickTimer, kTickRetryMs, nullptr);
            return;
        }
        ticking_ = true;
        core_->tick();
        ticking_ = false;
        owner_.areaViewChanged(core_->areaViewOpen());
    }

    // Ends the window's loop; the windows are destroyed when it has unwound,
    // never from inside a handler that a tick may be waiting under.
    void end() {
        KillTimer(window_, kTickTimer);
        ShowWindow(window_, SW_HIDE);
        ended_ = true;
    }

    Settings& settings_;
    ContestEngine& engine_;
    WorkedBeforeState& state_;
    WindowsAssistant& owner_;
    RememberedPosition position_;
    HWND window_ = nullptr;
    HBRUSH brush_ = nullptr;
    bool comInitialised_ = false;
    bool ended_ = false;
    bool ticking_ = false;
    std::unique_ptr<AssistantCore> core_;
};

WindowsAssistant::WindowsAssistant(Settings& settings, ContestEngine& engine, WorkedBeforeState& state)
    : settings_(settings), engine_(engine), state_(state) {}

WindowsAssistant::~WindowsAssistant() {
    stop();
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_ != nullptr) {
        CloseHandle(thread_);
    }
    if (finished_ != nullptr) {
        CloseHandle(finished_);
    }
    if (ready_ != nullptr) {
        CloseHandle(ready_);
    }
}

bool WindowsAssistant::isRunning() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

void WindowsAssistant::start() {
    bool replace = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        replace = running_ && areaViewOpen_;
    }
    if (replace) {
        stop();
    }
    HANDLE ready = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Checked and set in one step, so two quick starts cannot both start one.
        if (running_ || abandoned_) {
            return;
        }
        if (thread_ != nullptr) {
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (finished_ == nullptr) {
            finished_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        }
        ResetEvent(finished_);
        ResetEvent(ready_);
        running_ = true;
        stopRequested_ = false;
        areaViewOpen_ = false;
        thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
        if (thread_ == nullptr) {
            running_ = false;
            return;
        }
        ready = ready_;
    }
    // A new thread starts, and makes its first window, only when the loader
    // lets it: were the library unloaded meanwhile, it would run code that is
    // gone. So the host gets control back once the window is up. The window
    // connects to the host on the way, which this thread serves.
    waitPumping(ready, kStartTimeoutMs);
}

void WindowsAssistant::stop() {
    HANDLE finished = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!running_ || abandoned_) {
            return;
        }
        stopRequested_ = true;
        if (window_ != nullptr) {
            PostMessageA(window_, kStopMessage, 0, 0);
        }
        finished = finished_;
    }
    // The tick may be inside a call that only this thread serves.
    waitPumping(finished, kStopTimeoutMs);
}

void WindowsAssistant::armTick(int delayMilliseconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_ != nullptr && !stopRequested_) {
        PostMessageA(window_, kArmTickMessage, static_cast<WPARAM>(delayMilliseconds), 0);
    }
}

void WindowsAssistant::stopForUnload() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        unloading_ = true;
    }
    stop();
}

bool WindowsAssistant::libraryUnloading() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return unloading_;
}

void WindowsAssistant::abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    running_ = false;
    window_ = nullptr;
}

void WindowsAssistant::windowCreated(HWND window) {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = window;
    if (stopRequested_) {  // a stop came before the window existed
        PostMessageA(window, kStopMessage, 0, 0);
    }
    SetEvent(ready_);
}

void WindowsAssistant::areaViewChanged(bool open) {
    std::lock_guard<std::mutex> lock(mutex_);
    areaViewOpen_ = open;
}

DWORD WINAPI WindowsAssistant::threadMain(void* self) {
    static_cast<WindowsAssistant*>(self)->runOnAssistantThread();
    return 0;
}

void WindowsAssistant::runOnAssistantThread() {
    try {
        Setup_NDG window(settings_, engine_, state_, *this);
        window.runModally();
    } catch (...) {
        // The assistant ends; the host carries on.
    }
    HANDLE finished = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = nullptr;
        running_ = false;
        areaViewOpen_ = false;
        finished = finished_;
        SetEvent(ready_);  // a window that never came up
    }
    // The last act: after this the thread runs no more of the plug-in's code
    // than its return, which an unloading library waits out.
    SetEvent(finished);
}
