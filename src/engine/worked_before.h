// What the worked-before grid shows besides the rows kept in the store: the
// call the host is showing and the band its radio is on, as the last tick
// found them, and the frequency at which the host was last told of a
// retune. All of it lives as long as the library, across assistant windows.
#pragma once

#include <mutex>
#include <string>

namespace torv::engine {

struct WorkedBeforeSnapshot {
    std::string currentCall;
    int bandIndex = -1;  // 0 to 5 for "160m" to "10m"; -1 until a band is met
};

class WorkedBeforeState {
public:
    WorkedBeforeSnapshot snapshot() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return current_;
    }
    void setCurrentCall(const std::string& call) {
        std::lock_guard<std::mutex> lock(mutex_);
        current_.currentCall = call;
    }
    void setBandIndex(int index) {
        std::lock_guard<std::mutex> lock(mutex_);
        current_.bandIndex = index;
    }
    double lastFrequency() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastFrequency_;
    }
    void setLastFrequency(double hertz) {
        std::lock_guard<std::mutex> lock(mutex_);
        lastFrequency_ = hertz;
    }

private:
    mutable std::mutex mutex_;
    WorkedBeforeSnapshot current_;
    double lastFrequency_ = 0.0;
};

}  // namespace torv::engine
