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

struct AtomicFile::Temporary {
    File file;
    std::string path;
};

void AtomicFile::Discarder::operator()(Temporary* file) const {
    if (file->file) {
        file->file.reset();
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

std::string AtomicFile::moveTemporary(Temporary& file, const std::string& path) {
    errno = 0;
    const bool moved = closeWritten(std::move(file.file)) && std::rename(file.path.c_str(), path.c_str()) == 0;
    if (!moved) {
        const std::string error = systemErrorText();
        std::remove(file.path.c_str());
        return error;
    }
    return std::string();
}

}  // namespace torv::io
