// The user-interface port: message boxes. Windows shows them; the portable
// implementation records them.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace torv::ports {

enum class MessageIcon { kNone, kInformation, kError };

struct ShownMessage {
    std::string text;
    std::optional<std::string> caption;  // none: the system's default caption
    MessageIcon icon = MessageIcon::kNone;
    // Owned by the calling thread's active window (when there is one), so it
    // stays above the host; otherwise the box has no owner.
    bool ownedByActiveWindow = false;
};

class Ui {
public:
    virtual ~Ui() = default;
    // Shows a message box with one OK button and returns once it is closed.
    virtual void showMessage(const ShownMessage& message) = 0;
};

// Headless: keeps every message instead of showing it.
class RecordingUi : public Ui {
public:
    void showMessage(const ShownMessage& message) override;
    std::vector<ShownMessage> shown() const;

private:
    mutable std::mutex mutex_;
    std::vector<ShownMessage> shown_;
};

}  // namespace torv::ports
