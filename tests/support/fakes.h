// Stand-ins for the platform ports, for tests of the portable core.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ports/assistant_control.h"
#include "ports/header_dialog.h"
#include "ports/settings.h"

// Settings in memory, with a log of every read and write. Safe to use from
// two threads, as the profile functions are.
class MemorySettings : public torv::ports::Settings {
public:
    std::string readText(const std::string& key, const std::string& defaultValue = std::string()) override {
        std::lock_guard<std::mutex> lock(mutex);
        reads.push_back(key);
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second.substr(0, torv::ports::kSettingsValueMax);
    }
    void writeText(const std::string& key, const std::string& value) override {
        std::lock_guard<std::mutex> lock(mutex);
        values[key] = value;
        writes.push_back(key + "=" + value);
    }

    std::mutex mutex;
    std::map<std::string, std::string> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes;
};

// A header dialog that shows what it was given and answers as scripted:
// OK after applying the edits, or Cancel after making them (which must not
// reach the caller).
class ScriptedHeaderDialog : public torv::ports::HeaderDialog {
public:
    bool run(torv::ports::HeaderFields& fields) override {
        shown.push_back(fields);
        torv::ports::HeaderFields edited = fields;
        if (edit) {
            edit(edited);
        }
        if (confirm) {
            fields = edited;
        }
        return confirm;
    }

    bool confirm = true;
    std::function<void(torv::ports::HeaderFields&)> edit;
    std::vector<torv::ports::HeaderFields> shown;
};

// An assistant that only records what it is asked. "Running" follows
// start() and stop() unless a test sets it.
class RecordingAssistant : public torv::ports::AssistantControl {
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
