// The logic of the assistant window ("Setup TORV"): its four check boxes,
// the commands it sends the host, the two info windows it opens and closes,
// and the one-shot tick that follows the call being typed in the host.
//
// It runs on the assistant thread and drives its window, the info windows
// and the host only through the small interfaces below, so all of it is
// tested natively with fakes; the Win32 dialog supplies the real ones.
#pragma once

#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/worked_before.h"
#include "ports/host_link.h"
#include "ports/views.h"

namespace torv::engine {
class ContestEngine;
}  // namespace torv::engine
namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::assistant {

struct ModeChoice;

struct AssistantFlags {
    bool cw = false;
    bool ssb = false;
    bool areaView = false;
    bool callView = false;
};

// What the logic needs of its own window.
class AssistantWindow {
public:
    virtual ~AssistantWindow() = default;
    // Copies the flags to the four check boxes.
    virtual void showFlags(const AssistantFlags& flags) = 0;
    // Starts (or restarts) the one-shot tick timer; stops it.
    virtual void armTick(int delayMilliseconds) = 0;
    virtual void killTick() = 0;
    // Creates and shows a new info window on this thread.
    virtual std::unique_ptr<ports::CallView> openCallView() = 0;
    virtual std::unique_ptr<ports::AreaView> openAreaView() = 0;
};

// The band index of a frequency by its whole megahertz: 1, 3, 7, 14, 21 and
// 28 give "160m" to "10m"; anything else has no band.
std::optional<int> bandIndexForFrequency(double hertz);

class AssistantCore {
    // The tests see whether the call view is open (tests/support/assistant_core_access.h).
    friend struct AssistantCoreTestAccess;

public:
    // hostLink: nullptr when no host runs; the window then works without one.
    AssistantCore(ports::Settings& settings, engine::ContestEngine& engine, engine::WorkedBeforeState& state,
                  AssistantWindow& window, std::unique_ptr<ports::HostLink> hostLink);
    // Closes the info windows that are still open.
    ~AssistantCore();

    // The window's initialisation: the stored choices to the boxes, the
    // mode command to the host, the first tick armed.
    void initialise();

    void clickCw();
    void clickSsb();
    void clickArea();
    void clickCall();

    // One pass of the tick (the timer fired).
    void tick();

    const AssistantFlags& flags() const { return flags_; }
    bool areaViewOpen() const { return areaView_ != nullptr; }

private:
    // Sends the commands in order; stops at the first that fails.
    bool send(std::initializer_list<const char*> commands);
    void selectMode(const ModeChoice& mode);
    // The rows for the current call; false when no rescoring built them yet.
    bool fillWorkedRows(const std::string& call);
    void openWantedViews();

    ports::Settings& settings_;
    engine::ContestEngine& engine_;
    engine::WorkedBeforeState& state_;
    AssistantWindow& window_;
    std::unique_ptr<ports::HostLink> hostLink_;
    AssistantFlags flags_;
    std::unique_ptr<ports::CallView> callView_;
    std::unique_ptr<ports::AreaView> areaView_;
};

}  // namespace torv::assistant
