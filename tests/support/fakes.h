// Stand-ins for the platform ports, for tests of the portable core.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "assistant/assistant_control.h"
#include "assistant/settings.h"

// Settings in memory, with a log of every write.
class MemorySettings : public Settings {
public:
    std::string readText(const std::string& key, const std::string& defaultValue = std::string()) override {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second.substr(0, kSettingsValueMax);
    }
    void writeText(const std::string& key, const std::string& value) override {
        values[key] = value;
        writes.push_back(key + "=" + value);
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
};

// An assistant that only records what it is asked. "Running" follows
// start() and stop() unless a test sets it.
class RecordingAssistant : public AssistantControl {
public:
    bool isRunning() const override { return running; }
    void start() override {
        calls.push_back("start");
        running = true;
    }
    void stop() override {
        calls.push_back("stop");
        running = false;
    }
    void armTick(int delayMilliseconds) override { calls.push_back("arm " + std::to_string(delayMilliseconds)); }

    bool running = false;
    // Shared, so a test can still read it after the owner of the fake died.
    std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
    std::vector<std::string>& calls = *log;
};
