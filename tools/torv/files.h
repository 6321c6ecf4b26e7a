// Files as the tool handles them. Paths are UTF-8 text on every platform;
// on Windows they become UTF-16 at the system's wide functions, so a log
// named in any language opens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file.h"

// The program's arguments as UTF-8 (on Windows taken from the UTF-16
// command line, whatever the console's code page).
std::vector<std::string> programArguments(int argc, char** argv);

std::filesystem::path pathOf(const std::string& utf8);
std::string utf8Of(const std::filesystem::path& path);

using FilePointer = torv::io::File;

// fopen with a UTF-8 path.
FilePointer openFile(const std::string& path, const char* mode);

// What the system says of an open file.
struct OpenFileFacts {
    uint64_t size = 0;
    int64_t modified = 0;  // nanoseconds (Windows: seconds) since 1970
    bool folder = false;
    bool regular = false;  // a plain file, neither a folder nor a pipe or device
};
std::optional<OpenFileFacts> factsOf(std::FILE* file);

// The largest file read as a contest log: a million QSO lines are 80 MB.
constexpr uint64_t kLogFileLimit = uint64_t{512} << 20;

// The whole of a file, or why not: "cannot read PATH: REASON" (a file over
// limit bytes is told so before anything is read). modified orders files by their modification time.
struct WholeFile {
    std::string bytes;
    int64_t modified = 0;
    bool regular = false;  // OpenFileFacts::regular
    std::string error;
};
WholeFile readWholeFile(const std::string& path, uint64_t limit);

// What makes a file itself, whatever the path that names it (a link, other
// letter case on Windows): device and inode, or volume and file index.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t file = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && file == other.file; }
};
// None when the path names nothing that can be opened.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// The text of errno, the C library's last error.
std::string systemErrorText();

// A file written whole or not at all: the bytes go to a hidden file beside
// it, which takes the file's place on commit. A file never committed leaves
// the old one as it was.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Empty while all is well, else why not (the temporary file could not
    // be made, or a write failed).
    const std::string& error() const { return error_; }
    // False when the bytes did not all go.
    bool write(std::string_view bytes);
    // Empty when the file is in place, else why not.
    std::string commit();

private:
    // The platform's part: the temporary file open for writing (on Windows
    // a handle, which renames the file it holds without opening it again).
    struct Temporary;
    struct Discarder {  // closes the temporary file if open and removes it
        void operator()(Temporary* file) const;
    };
    // Each gives empty when done, else why not.
    static std::string openTemporary(const std::string& temporary, std::unique_ptr<Temporary, Discarder>& file);
    static std::string writeTemporary(Temporary& file, std::string_view bytes);
    // Closes the file and moves it over `path` (in its folder); the file is
    // removed when that fails.
    static std::string moveTemporary(Temporary& file, const std::string& path);

    bool flush();  // false once anything failed

    std::string path_;
    std::string temporary_;
    std::unique_ptr<Temporary, Discarder> file_;
    std::string buffer_;  // small writes, given to the system in blocks
    std::string error_;
};

// Writes a whole file through AtomicFile; empty when done, else why not.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);
