#include "files.h"

#include <cerrno>
#include <cstring>

#include "console.h"

std::string systemErrorText() {
    return std::strerror(errno);
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
    const FilePointer file = openFile(path, "rb");
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

namespace {

std::string temporaryBeside(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".partial";
}

}  // namespace

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
