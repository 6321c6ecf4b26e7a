// The progress of a long scoring pass on standard error: shown only on a
// terminal, and only once the pass has taken longer than a moment, so that
// quick runs and redirected output stay clean.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace torv::cli {

class ProgressReport {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kMoment{500};

    // terminal: whether the output is a terminal; write: where the text goes;
    // now: the clock (the steady clock outside tests). The moment counts
    // from construction.
    ProgressReport(bool terminal, std::function<void(const std::string&)> write,
                   Clock now = std::chrono::steady_clock::now);

    // "\rtorv: P of T contacts" once the moment has passed.
    void update(size_t passed, size_t total);

    // Ends the progress line, when one was shown.
    void finish();

private:
    bool terminal_;
    std::function<void(const std::string&)> write_;
    Clock now_;
    std::chrono::steady_clock::time_point began_;
    bool shown_ = false;
};

}  // namespace torv::cli
