// Fakes of the assistant's host, window and info windows, recording every
// call in one shared log so tests can check the order of events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "assistant/assistant_core.h"

using EventLog = std::shared_ptr<std::vector<std::string>>;

class FakeHost : public torv::ports::HostLink {
public:
    explicit FakeHost(EventLog log) : log_(std::move(log)) {}
    bool frequency(double& hertz) override {
        log_->push_back("host frequency");
        hertz = frequencyHertz;
        return !frequencyFails;
    }
    bool enteredCall(std::string& call) override {
        log_->push_back("host call");
        call = entryField;
        return !callFails;
    }
    bool sendCommand(const std::string& command) override {
        log_->push_back("host " + command);
        return !commandsFail;
    }

    std::string entryField;
    double frequencyHertz = 7025000.0;
    bool callFails = false;
    bool frequencyFails = false;
    bool commandsFail = false;

private:
    EventLog log_;
};

class FakeCallView : public torv::ports::CallView {
public:
    explicit FakeCallView(EventLog log) : log_(std::move(log)) { log_->push_back("call view opened"); }
    ~FakeCallView() override { log_->push_back("call view closed"); }
    void setCaption(const std::string& caption) override { log_->push_back("call caption " + caption); }
    void refreshGrid() override { log_->push_back("call refresh"); }

private:
    EventLog log_;
};

class FakeAreaView : public torv::ports::AreaView {
public:
    explicit FakeAreaView(EventLog log) : log_(std::move(log)) { log_->push_back("area view opened"); }
    ~FakeAreaView() override { log_->push_back("area view closed"); }
    void setCaption(const std::string& caption) override { log_->push_back("area caption " + caption); }
    void markAreas(const std::vector<std::string>& areas) override {
        std::string text = "area marks";
        for (const std::string& area : areas) {
            text += " " + area;
        }
        log_->push_back(text);
    }

private:
    EventLog log_;
};

class FakeAssistantWindow : public torv::assistant::AssistantWindow {
public:
    explicit FakeAssistantWindow(EventLog log) : log_(std::move(log)) {}
    void showFlags(const torv::assistant::AssistantFlags& flags) override {
        shown = flags;
        log_->push_back(std::string("boxes ") + (flags.cw ? "C" : "-") + (flags.ssb ? "S" : "-") +
                        (flags.areaView ? "A" : "-") + (flags.callView ? "V" : "-"));
    }
    void armTick(int delay) override { log_->push_back("arm " + std::to_string(delay)); }
    void killTick() override { log_->push_back("kill"); }
    std::unique_ptr<torv::ports::CallView> openCallView() override { return std::make_unique<FakeCallView>(log_); }
    std::unique_ptr<torv::ports::AreaView> openAreaView() override { return std::make_unique<FakeAreaView>(log_); }

    torv::assistant::AssistantFlags shown;

private:
    EventLog log_;
};
