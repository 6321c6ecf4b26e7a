// The one owner of a C stream in the tree, and whole-file reads and writes
// on top of it. Paths go to fopen as they are: bytes on POSIX, the ANSI code
// page on Windows, where the host gives the plug-in its paths so. (The
// tools' files, io/files.h, are opened through the wide functions on
// Windows and only borrow the owner.)
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace torv::io {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// fopen; empty when the file cannot be opened (errno says why).
File open(const std::string& path, const char* mode);

// The rest of the stream's bytes; none when a read fails (errno says why).
std::optional<std::string> readRest(std::FILE* file);

// Flushes and closes a file written to: false when either failed, so that
// a full disk is not taken for a written file.
bool closeWritten(File file);

// Writes every byte, then closes the file as closeWritten does: false when
// any of these failed.
bool writeAndClose(File file, std::string_view bytes);

// The file made anew with these bytes: false when it could not be opened
// or written.
bool writeWhole(const std::string& path, std::string_view bytes);

}  // namespace torv::io
