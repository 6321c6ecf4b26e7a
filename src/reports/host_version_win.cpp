#include <windows.h>

#include <cstring>
#include <vector>

#include "reports/host_version.h"

namespace torv::reports {

namespace {

std::optional<std::string> fileVersionOf(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return std::nullopt;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    return formatHostVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

}  // namespace

std::optional<std::string> findHostVersion(const std::string& folder) {
    const std::string prefix = folder.empty() ? std::string() : folder + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((prefix + "*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> version;
    bool searching = true;
    do {
        if (std::strstr(found.cFileName, "Pelk") != nullptr) {
            // The first match decides, even when it carries no version.
            version = fileVersionOf(prefix + found.cFileName);
            searching = false;
        }
    } while (searching && FindNextFileA(search, &found));
    FindClose(search);
    return version;
}

}  // namespace torv::reports
