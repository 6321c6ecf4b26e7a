#include "assistant/setup_ndg_win.h"

#include "assistant/host_connection.h"
#include "engine/contest.h"
#include "infowin/colours_win.h"
#include "infowin/info_windows_win.h"
#include "resource.h"
#include "win/dialog_colours_win.h"
#include "win/dialog_win.h"
#include "win/message_loop_win.h"
#include "win/plugin_module_win.h"

namespace contest = torv::engine::contest;
using torv::assistant::AssistantCore;
using torv::assistant::AssistantFlags;
using torv::assistant::connectToHost;
using torv::assistant::kArmTickMessage;
using torv::assistant::kStopMessage;
using torv::assistant::SetupWindowOwner;
using torv::engine::ContestEngine;
using torv::engine::WorkedBeforeState;
using torv::infowin::openAreaWindow;
using torv::infowin::openCallWindow;
using torv::infowin::toColorRef;
using torv::ports::AreaView;
using torv::ports::CallView;
using torv::ports::HostLink;
using torv::ports::Settings;
using torv::win::blackOnBackground;
using torv::win::dialogProcedure;
using torv::win::isControlColourMessage;
using torv::win::pluginModule;
using torv::win::runDialogLoop;
using torv::win::ScopedComApartment;

namespace {

constexpr UINT_PTR kTickTimer = 1500;
const COLORREF kBackground = toColorRef(contest::kBackground);

// The host link as the window uses it: every call asks the owner first, and
// one made no more fails as a host that went away would. While the library
// unloads, the link is left unreleased: releasing it calls the host, whose
// thread then serves nothing.
class GuardedHostLink : public HostLink {
public:
    GuardedHostLink(std::unique_ptr<HostLink> link, const SetupWindowOwner& owner)
        : link_(std::move(link)), owner_(owner) {}
    ~GuardedHostLink() override {
        if (owner_.libraryUnloading()) {
            static_cast<void>(link_.release());
        }
    }
    GuardedHostLink(const GuardedHostLink&) = delete;
    GuardedHostLink& operator=(const GuardedHostLink&) = delete;

    bool frequency(double& hertz) override { return owner_.hostCallsAllowed() && link_->frequency(hertz); }
    bool enteredCall(std::string& call) override { return owner_.hostCallsAllowed() && link_->enteredCall(call); }
    bool sendCommand(const std::string& command) override {
        return owner_.hostCallsAllowed() && link_->sendCommand(command);
    }

private:
    std::unique_ptr<HostLink> link_;
    const SetupWindowOwner& owner_;
};

}  // namespace

Setup_NDG::Setup_NDG(Settings& settings, ContestEngine& engine, WorkedBeforeState& state, SetupWindowOwner& owner)
    : settings_(settings), engine_(engine), state_(state), owner_(owner), position_(settings, contest::kSetupWindow) {}

Setup_NDG::~Setup_NDG() {
    core_.reset();  // closes the info windows first
    window_.reset();
    if (apartment_ && owner_.libraryUnloading()) {
        apartment_->keep();
    }
}

void Setup_NDG::runModally() {
    // COM serves the host link on this thread; without it there is no host.
    apartment_ = std::make_unique<ScopedComApartment>();
    HWND created =
        CreateDialogParamA(pluginModule(), MAKEINTRESOURCEA(IDD_SETUP), nullptr,
                           dialogProcedure<Setup_NDG, dialogMessage, dialogFailed>, reinterpret_cast<LPARAM>(this));
    if (created == nullptr) {
        return;
    }
    if (window_.get() != created) {  // WM_INITDIALOG owns it already
        window_.reset(created);
    }
    ShowWindow(created, SW_SHOW);
    owner_.windowCreated(created);
    runDialogLoop([this] { return ended_; });
}

void Setup_NDG::showFlags(const AssistantFlags& flags) {
    HWND window = window_.get();
    CheckDlgButton(window, IDC_SETUP_CW, flags.cw ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_SETUP_SSB, flags.ssb ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_SETUP_AREA, flags.areaView ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_SETUP_CALL, flags.callView ? BST_CHECKED : BST_UNCHECKED);
}

void Setup_NDG::armTick(int delayMilliseconds) {
    SetTimer(window_.get(), kTickTimer, static_cast<UINT>(delayMilliseconds), nullptr);
}

void Setup_NDG::killTick() {
    KillTimer(window_.get(), kTickTimer);
}

std::unique_ptr<CallView> Setup_NDG::openCallView() {
    return openCallWindow(settings_, engine_, state_);
}

std::unique_ptr<AreaView> Setup_NDG::openAreaView() {
    return openAreaWindow(settings_);
}

INT_PTR Setup_NDG::dialogMessage(Setup_NDG& self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        self.window_.reset(window);
        return self.onInit();
    }
    return self.onMessage(message, wParam, lParam);
}

INT_PTR Setup_NDG::dialogFailed(HWND window) {
    // A broken window just ends.
    auto* self = reinterpret_cast<Setup_NDG*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self != nullptr) {
        self->end();
    }
    return TRUE;
}

BOOL Setup_NDG::onInit() {
    HWND window = window_.get();
    position_.restore();
    SetWindowPos(window, nullptr, position_.x(), position_.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    brush_.reset(CreateSolidBrush(kBackground));
    SendMessageA(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(pluginModule(), MAKEINTRESOURCEA(IDI_STATS))));
    std::unique_ptr<HostLink> link;
    if (apartment_ && apartment_->initialised() && owner_.hostCallsAllowed()) {
        link = connectToHost();
    }
    if (link) {
        link = std::make_unique<GuardedHostLink>(std::move(link), owner_);
    }
    core_ = std::make_unique<AssistantCore>(settings_, engine_, state_, *this, std::move(link));
    core_->initialise();
    return TRUE;
}

INT_PTR Setup_NDG::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
            if (GetWindowRect(window_.get(), &rect)) {
                position_.update(rect.left, rect.top);
            }
            return FALSE;  // the default handling sets the cursor
        }
        default:
            (void)lParam;
            // The window and its boxes: black on pale yellow.
            return isControlColourMessage(message) ? blackOnBackground(wParam, kBackground, brush_.get()) : FALSE;
    }
}

INT_PTR Setup_NDG::onCommand(int id, int code) {
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

// A tick's host calls wait for the host's thread, and meanwhile this thread
// dispatches messages: a second timer tick then waits its turn.
void Setup_NDG::onTick() {
    if (core_ == nullptr) {
        return;
    }
    if (ticking_) {
        SetTimer(window_.get(), kTickTimer, contest::kTickRetryMs, nullptr);
        return;
    }
    ticking_ = true;
    core_->tick();
    ticking_ = false;
    owner_.areaViewChanged(core_->areaViewOpen());
}

void Setup_NDG::end() {
    KillTimer(window_.get(), kTickTimer);
    ShowWindow(window_.get(), SW_HIDE);
    ended_ = true;
}
