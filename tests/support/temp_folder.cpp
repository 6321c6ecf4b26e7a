#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <system_error>

TempFolder::TempFolder(Enter enter) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("stats-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directory(path_));
    if (enter == Enter::kYes) {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!previous_.empty()) {
        std::filesystem::current_path(previous_, ignored);
    }
    // Read-only files (made by some tests) must be writable to be removed.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}
