// Files written whole or not at all, under a temporary name beside them
// that takes their place when complete. Paths are UTF-8, as in io/files.h.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace torv::io {

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
    // Completes the temporary file and keeps it under its temporary name
    // until commit, which then only moves it (on POSIX it is closed, so that
    // thousands of files can wait for their commit): empty when done, else
    // why not. The file is removed if never committed.
    std::string finish();
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
    // Makes the written bytes complete in the file (POSIX: closes it).
    static std::string finishTemporary(Temporary& file);
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

// The hidden name beside `path` under which AtomicFile writes it:
// "folder/.name.partial".
std::string temporaryBeside(const std::string& path);

// The name of the file whose temporary name (by temporaryBeside, without
// the folder) is `name`; empty when `name` is no such name.
std::string nameOfTemporary(const std::string& name);

}  // namespace torv::io
