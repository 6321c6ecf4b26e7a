// Files on POSIX: paths are bytes already, and rename(2) replaces a file
// in one step.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "io/atomic_file.h"
#include "io/files.h"

namespace torv::io {

File openFile(const std::string& path, const char* mode) {
    return open(path, mode);
}

std::optional<OpenFileFacts> factsOf(std::FILE* file) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0) {
        return std::nullopt;
    }
    return OpenFileFacts{static_cast<uint64_t>(status.st_size),
                         static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
                         S_ISDIR(status.st_mode), S_ISREG(status.st_mode)};
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

bool isSameOrInside(const std::string& path, const std::string& folder) {
    // Links resolved as far as the path exists; the rest as written.
    auto resolved = [](const std::string& text) {
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(pathOf(text), error);
        std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
        return error ? absolute.lexically_normal() : canonical;
    };
    return startsWithPath(resolved(path), resolved(folder));
}

std::vector<std::string> wildcardMatches(const std::string& argument) {
    return {argument};
}

struct AtomicFile::Temporary {
    File file;  // empty once finished
    std::string path;
    bool placed = false;  // moved to its file's name
};

void AtomicFile::Discarder::operator()(Temporary* file) const {
    file->file.reset();
    if (!file->placed) {
        std::remove(file->path.c_str());
    }
    delete file;
}

std::string AtomicFile::openTemporary(const std::string& temporary, std::unique_ptr<Temporary, Discarder>& file) {
    errno = 0;
    File opened = openFile(temporary, "wb");
    if (!opened) {
        return systemErrorText();
    }
    file.reset(new Temporary{std::move(opened), temporary});
    return std::string();
}

std::string AtomicFile::writeTemporary(Temporary& file, std::string_view bytes) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.file.get()) == bytes.size();
    return written ? std::string() : systemErrorText();
}

std::string AtomicFile::finishTemporary(Temporary& file) {
    errno = 0;
    return !file.file || closeWritten(std::move(file.file)) ? std::string() : systemErrorText();
}

std::string AtomicFile::moveTemporary(Temporary& file, const std::string& path) {
    std::string error = finishTemporary(file);
    if (error.empty() && std::rename(file.path.c_str(), path.c_str()) != 0) {
        error = systemErrorText();
    }
    if (!error.empty()) {
        std::remove(file.path.c_str());
    }
    file.placed = error.empty();
    return error;
}

}  // namespace torv::io
