#include "io/atomic_file.h"

namespace torv::io {

std::string temporaryBeside(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".partial";
}

std::string nameOfTemporary(const std::string& name) {
    const std::string prefix = ".";
    const std::string suffix = ".partial";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::string();
    }
    return name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)), temporary_(temporaryBeside(path_)) {
    error_ = openTemporary(temporary_, file_);
}

AtomicFile::~AtomicFile() = default;

bool AtomicFile::flush() {
    if (error_.empty() && !buffer_.empty()) {
        error_ = writeTemporary(*file_, buffer_);
    }
    buffer_.clear();
    return error_.empty();
}

bool AtomicFile::write(std::string_view bytes) {
    constexpr size_t kBlock = 64 * 1024;
    if (!error_.empty()) {
        return false;
    }
    if (buffer_.size() + bytes.size() < kBlock) {
        buffer_.append(bytes);
        return true;
    }
    if (flush()) {
        error_ = writeTemporary(*file_, bytes);
    }
    return error_.empty();
}

std::string AtomicFile::finish() {
    if (flush()) {
        error_ = finishTemporary(*file_);
    }
    return error_;
}

std::string AtomicFile::commit() {
    if (!flush()) {
        file_.reset();
        return error_;
    }
    error_ = moveTemporary(*file_, path_);
    file_.reset();  // closed: moved, or removed by moveTemporary
    return error_;
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    if (!file.error().empty()) {
        return file.error();
    }
    file.write(bytes);
    return file.commit();
}

}  // namespace torv::io
