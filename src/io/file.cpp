#include "io/file.h"

namespace torv::io {

File open(const std::string& path, const char* mode) {
    return File(std::fopen(path.c_str(), mode));
}

std::optional<std::string> readRest(std::FILE* file) {
    std::string bytes;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    if (std::ferror(file) != 0) {
        return std::nullopt;
    }
    return bytes;
}

bool closeWritten(File file) {
    const bool flushed = std::fflush(file.get()) == 0;
    return std::fclose(file.release()) == 0 && flushed;
}

bool writeAndClose(File file, std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return closeWritten(std::move(file)) && written;
}

bool writeWhole(const std::string& path, std::string_view bytes) {
    File file = open(path, "wb");
    return file && writeAndClose(std::move(file), bytes);
}

}  // namespace torv::io
