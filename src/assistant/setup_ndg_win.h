// The assistant window "Setup TORV" (template 111): its four check boxes,
// its pale yellow background, its remembered position, and the portable
// logic behind the boxes and the tick. It lives on the assistant thread.
#pragma once

#include <windows.h>

#include <memory>

#include "assistant/assistant_core.h"
#include "infowin/remembered_position.h"
#include "win/scoped_win.h"

namespace torv::engine {
class ContestEngine;
class WorkedBeforeState;
}  // namespace torv::engine
namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::assistant {

// What the window tells the thread's owner, from the assistant thread.
class SetupWindowOwner {
public:
    virtual ~SetupWindowOwner() = default;
    // The window exists (it still runs nothing of the loop).
    virtual void windowCreated(HWND window) = 0;
    // The area window was opened or closed.
    virtual void areaViewChanged(bool open) = 0;
    // True while the library is being unloaded: COM must then stay
    // initialised on this thread, since uninitialising may wait for the
    // loader's lock that the unloading holds, and the host link is left
    // unreleased, since releasing it is itself a call to the host.
    virtual bool libraryUnloading() const = 0;
    // False once the window is asked to close, or the library unloads: the
    // window makes no further call to the host.
    virtual bool hostCallsAllowed() const = 0;
};

// Messages the host's thread posts to the window.
constexpr UINT kArmTickMessage = WM_APP + 1;  // wParam: delay in ms
constexpr UINT kStopMessage = WM_APP + 2;

}  // namespace torv::assistant

class Setup_NDG : public torv::assistant::AssistantWindow {
public:
    Setup_NDG(torv::ports::Settings& settings, torv::engine::ContestEngine& engine,
              torv::engine::WorkedBeforeState& state, torv::assistant::SetupWindowOwner& owner);
    // Closes the info windows, then the window, then COM on this thread.
    ~Setup_NDG() override;
    Setup_NDG(const Setup_NDG&) = delete;
    Setup_NDG& operator=(const Setup_NDG&) = delete;

    // Creates the window and runs this thread's messages until it ends,
    // whatever ends it (its close box, kStopMessage, WM_QUIT).
    void runModally();

    // AssistantWindow, on this thread.
    void showFlags(const torv::assistant::AssistantFlags& flags) override;
    void armTick(int delayMilliseconds) override;
    void killTick() override;
    std::unique_ptr<torv::ports::CallView> openCallView() override;
    std::unique_ptr<torv::ports::AreaView> openAreaView() override;

private:
    // The dialog procedure's two parts (dialogProcedure).
    static INT_PTR dialogMessage(Setup_NDG& self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR dialogFailed(HWND window);
    BOOL onInit();
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR onCommand(int id, int code);
    void onTick();
    // Ends the window's loop; the windows are destroyed when it has unwound,
    // never from inside a handler that a tick may be waiting under.
    void end();

    torv::ports::Settings& settings_;
    torv::engine::ContestEngine& engine_;
    torv::engine::WorkedBeforeState& state_;
    torv::assistant::SetupWindowOwner& owner_;
    torv::infowin::RememberedPosition position_;
    // Declared in the order of their making: COM first, so it goes last.
    std::unique_ptr<torv::win::ScopedComApartment> apartment_;
    torv::win::ScopedBrush brush_;
    torv::win::ScopedWindow window_;
    std::unique_ptr<torv::assistant::AssistantCore> core_;
    bool ended_ = false;
    bool ticking_ = false;
};
