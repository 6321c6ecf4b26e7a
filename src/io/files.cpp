#include "io/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

namespace torv::io {

std::string systemErrorText() {
    return std::strerror(errno);
}

std::string byteSizeText(uint64_t bytes) {
    constexpr const char* kUnits[] = {"GB", "MB", "KB"};
    for (int i = 0; i < 3; ++i) {
        const uint64_t unit = uint64_t{1} << (30 - 10 * i);
        if (bytes >= unit && bytes % unit == 0) {
            return std::to_string(bytes / unit) + " " + kUnits[i];
        }
    }
    return std::to_string(bytes) + " bytes";
}

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::u8path(utf8);
}

std::string utf8Of(const std::filesystem::path& path) {
    return path.u8string();
}

WholeFile readWholeFile(const std::string& path, uint64_t limit) {
    WholeFile whole;
    errno = 0;
    const File file = openFile(path, "rb");
    if (!file) {
        std::string reason = systemErrorText();
        std::error_code error;
        if (std::filesystem::is_symlink(pathOf(path), error) && !std::filesystem::exists(pathOf(path), error)) {
            reason = "a link to " + std::filesystem::read_symlink(pathOf(path), error).generic_u8string() +
                     ", which does not exist";
        }
        whole.error = "cannot read " + path + ": " + reason;
        return whole;
    }
    const std::optional<OpenFileFacts> facts = factsOf(file.get());
    if (facts && facts->folder) {
        whole.error = "cannot read " + path + ": " + std::strerror(EISDIR);
        return whole;
    }
    if (facts && facts->size > limit) {
        whole.error = "cannot read " + path + ": it is over " + byteSizeText(limit);
        return whole;
    }
    whole.modified = facts ? facts->modified : 0;
    whole.regular = facts && facts->regular;
    // The size the system gives, so that the bytes are held in one block of
    // their own size (the reading below still stops at the file's end).
    if (facts) {
        whole.bytes.reserve(static_cast<size_t>(facts->size));
    }
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (whole.bytes.size() + got > limit) {
            whole.error = "cannot read " + path + ": it is over " + byteSizeText(limit);
            return whole;
        }
        whole.bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        whole.error = "cannot read " + path + ": " + systemErrorText();
    }
    return whole;
}

std::vector<std::string> distinctFiles(const std::vector<std::string>& paths) {
    std::set<FileIdentity> seen;
    std::vector<std::string> distinct;
    for (const std::string& path : paths) {
        const std::optional<FileIdentity> identity = fileIdentity(path);
        if (!identity || seen.insert(*identity).second) {
            distinct.push_back(path);
        }
    }
    return distinct;
}

FolderListing listFolder(const std::string& path) {
    FolderListing listing;
    std::error_code& error = listing.error;
    for (std::filesystem::directory_iterator it(pathOf(path), error), end; !error && it != end; it.increment(error)) {
        FolderEntry entry;
        entry.name = utf8Of(it->path().filename());
        std::error_code kind;
        if (it->is_symlink(kind) && !it->exists(kind)) {
            entry.kind = FolderEntry::Kind::kLinkToNothing;
        } else if (it->is_regular_file(kind)) {
            entry.kind = FolderEntry::Kind::kFile;
        } else if (it->is_directory(kind)) {
            entry.kind = FolderEntry::Kind::kFolder;
        }
        listing.entries.push_back(std::move(entry));
    }
    if (error) {
        listing.entries.clear();
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return listing;
}

bool startsWithPath(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    auto in = inner.begin();
    for (const std::filesystem::path& part : outer) {
        if (part.empty()) {
            continue;  // the end of a path written with a trailing '/'
        }
        while (in != inner.end() && in->empty()) {
            ++in;
        }
        if (in == inner.end() || *in != part) {
            return false;
        }
        ++in;
    }
    return true;
}

}  // namespace torv::io
