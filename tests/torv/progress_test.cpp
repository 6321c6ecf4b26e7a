// The progress line: only on a terminal, only after a moment, ended once.
#include "progress.h"

#include <gtest/gtest.h>

namespace {

using torv::cli::ProgressReport;

struct ProgressTest : ::testing::Test {
    std::chrono::steady_clock::time_point time{};
    std::string written;

    ProgressReport report(bool terminal) {
        return ProgressReport(
            terminal, [this](const std::string& text) { written += text; }, [this] { return time; });
    }
};

TEST_F(ProgressTest, NothingBeforeTheMoment) {
    ProgressReport progress = report(true);
    time += ProgressReport::kMoment - std::chrono::milliseconds(1);
    progress.update(4096, 50000);
    progress.finish();
    EXPECT_EQ(written, "");
}

TEST_F(ProgressTest, OnATerminalAfterTheMoment) {
    ProgressReport progress = report(true);
    time += ProgressReport::kMoment;
    progress.update(4096, 50000);
    progress.update(8192, 50000);
    EXPECT_EQ(written, "\rtorv: 4096 of 50000 contacts\rtorv: 8192 of 50000 contacts");
    progress.finish();
    progress.finish();
    EXPECT_EQ(written, "\rtorv: 4096 of 50000 contacts\rtorv: 8192 of 50000 contacts\r\n") << "ended once";
}

TEST_F(ProgressTest, NeverWhenNotATerminal) {
    ProgressReport progress = report(false);
    time += std::chrono::hours(1);
    progress.update(4096, 50000);
    progress.finish();
    EXPECT_EQ(written, "");
}

}  // namespace
