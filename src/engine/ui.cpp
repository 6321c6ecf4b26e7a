#include "engine/ui.h"

#include <cstdio>

void RecordingUi::showMessage(const ShownMessage& message) {
    if (echo_) {
        std::fprintf(stderr, "[%s] %s\n", message.caption ? message.caption->c_str() : "message", message.text.c_str());
    }
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(message);
}

std::vector<ShownMessage> RecordingUi::shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}
