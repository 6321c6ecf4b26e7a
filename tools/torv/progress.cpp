#include "progress.h"

#include "console.h"

namespace torv::cli {

ProgressReport::ProgressReport(bool terminal, std::function<void(const std::string&)> write, Clock now)
    : terminal_(terminal), write_(std::move(write)), now_(std::move(now)), began_(now_()) {}

void ProgressReport::update(size_t passed, size_t total) {
    if (!terminal_ || now_() - began_ < kMoment) {
        return;
    }
    shown_ = true;
    write_("\rtorv: " + std::to_string(passed) + " of " + std::to_string(total) + " contacts");
}

void ProgressReport::finish() {
    if (shown_) {
        write_(std::string("\r") + kLineEnd);
        shown_ = false;
    }
}

}  // namespace torv::cli
