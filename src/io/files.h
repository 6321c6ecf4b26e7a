// Files as the tools handle them. Paths are UTF-8 text on every platform;
// on Windows they become UTF-16 at the system's wide functions, so a log
// named in any language opens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "io/file.h"

namespace torv::io {

// The path of a UTF-8 text, and the UTF-8 text of a path.
std::filesystem::path pathOf(const std::string& utf8);
std::string utf8Of(const std::filesystem::path& path);

// fopen with a UTF-8 path; empty when the file cannot be opened (errno
// says why).
File openFile(const std::string& path, const char* mode);

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
// limit bytes is told so before anything is read). modified orders files
// by their modification time.
struct WholeFile {
    std::string bytes;
    int64_t modified = 0;
    bool regular = false;  // OpenFileFacts::regular
    std::string error;
};
WholeFile readWholeFile(const std::string& path, uint64_t limit);

// What makes a file itself, whatever the path that names it (a link, other
// letter case on Windows): device and inode, or volume serial and file index.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t file = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && file == other.file; }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
    bool operator<(const FileIdentity& other) const {
        return device != other.device ? device < other.device : file < other.file;
    }
};
// None when the path names nothing that can be opened.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// The paths in their order, but for those naming a file an earlier one
// names already (by identity: another spelling, a link, a hard link). A
// path that names nothing is kept, so that reading it says why.
std::vector<std::string> distinctFiles(const std::vector<std::string>& paths);

// An entry of a folder, by what it names (a link counts as what it leads
// to).
struct FolderEntry {
    enum class Kind { kFile, kFolder, kLinkToNothing, kOther };
    std::string name;  // UTF-8, without the folder
    Kind kind = Kind::kOther;
};

// A folder's entries in the byte order of their names, or why they cannot
// be listed (std::errc::no_such_file_or_directory when it is not there).
struct FolderListing {
    std::vector<FolderEntry> entries;
    std::error_code error;
};
FolderListing listFolder(const std::string& path);

// True when `path` names `folder` or something inside it, both compared as
// the system finds them: links resolved and, on Windows, letter case
// aside. A path that does not exist yet is judged by the nearest folder
// above it that does.
bool isSameOrInside(const std::string& path, const std::string& folder);
// isSameOrInside's comparison, once both paths are as the system finds
// them: each part of outer, in order, begins inner (empty parts aside).
bool startsWithPath(const std::filesystem::path& inner, const std::filesystem::path& outer);

// The files and folders an argument names where the program, not a shell,
// expands wildcards (Windows): with '*' or '?' in its last part, those of
// its folder that match, hidden ones aside, in name order and spelt as the
// argument spells its folder, none when nothing matches; without, or on
// POSIX (whose shell has expanded them), the argument alone.
std::vector<std::string> wildcardMatches(const std::string& argument);

// The text of errno, the C library's last error.
std::string systemErrorText();

// A size as people say it: "1 GB", "512 MB", "4 KB", else "1500 bytes".
std::string byteSizeText(uint64_t bytes);

}  // namespace torv::io
