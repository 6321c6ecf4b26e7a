#include "ports/ui.h"

namespace torv::ports {

void RecordingUi::showMessage(const ShownMessage& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(message);
}

std::vector<ShownMessage> RecordingUi::shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

}  // namespace torv::ports
