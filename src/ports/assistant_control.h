// What the host's thread may ask of the live assistant.
#pragma once

namespace torv::ports {

class AssistantControl {
public:
    virtual ~AssistantControl() = default;
    virtual bool isRunning() const = 0;
    // Opens the assistant window on its own thread (when none runs).
    virtual void start() = 0;
    // Closes the assistant and its info windows; returns when they are gone.
    virtual void stop() = 0;
    // Restarts the one-shot tick of a running assistant; never blocks.
    virtual void armTick(int delayMilliseconds) = 0;
    // The library is being unloaded (FreeLibrary): as stop(), from inside
    // the system's unloading of the library, after which none of the
    // assistant's code may run again.
    virtual void stopForUnload() { stop(); }
};

// No assistant: nothing starts, nothing runs.
class NoAssistant : public AssistantControl {
public:
    bool isRunning() const override { return false; }
    void start() override {}
    void stop() override {}
    void armTick(int) override {}
};

}  // namespace torv::ports
