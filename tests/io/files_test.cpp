// The files of the tools: whole files read within a limit, files written
// whole or not at all, folders listed, and files known by their identity
// whatever the path that names them. Built natively and for Windows (run
// under wine), where the paths go through the wide functions.
#include "io/files.h"

#ifdef _WIN32
#include <windows.h>  // SetFileAttributesW: a hidden file
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/atomic_file.h"
#include "support/temp_folder.h"

namespace {

using torv::io::AtomicFile;
using torv::io::byteSizeText;
using torv::io::distinctFiles;
using torv::io::fileIdentity;
using torv::io::FolderEntry;
using torv::io::isSameOrInside;
using torv::io::listFolder;
using torv::io::nameOfTemporary;
using torv::io::readWholeFile;
using torv::io::temporaryBeside;
using torv::io::WholeFile;
using torv::io::wildcardMatches;
using torv::io::writeFileAtomically;

class IoFiles : public ::testing::Test {
protected:
    // A path inside the folder, '/' between folder and name as the tools make them.
    std::string path(const std::string& name) const { return temp.path().generic_u8string() + "/" + name; }
    std::string read(const std::string& name) const { return readWholeFile(path(name), 1 << 20).bytes; }
    bool exists(const std::string& name) const { return std::filesystem::exists(temp.path() / name); }
    TempFolder temp;
};

TEST_F(IoFiles, AWholeFileWithinItsLimit) {
    const std::string bytes = std::string("CR LF\r\nNUL\0end", 14) + std::string(70000, 'x');
    ASSERT_EQ(writeFileAtomically(path("a.log"), bytes), "");
    ASSERT_EQ(writeFileAtomically(path("empty.log"), ""), "");
    struct Case {
        const char* what;
        std::string name;
        uint64_t limit;
        std::string bytes;  // read when error is empty
        std::string error;  // after "cannot read PATH: "
    };
    const Case cases[] = {
        {"the whole file", "a.log", bytes.size(), bytes, ""},
        {"one byte over the limit", "a.log", bytes.size() - 1, "", "it is over 70013 bytes"},
        {"a limit in megabytes", "a.log", 4096, "", "it is over 4 KB"},
        {"an empty file", "empty.log", 0, "", ""},
        {"no such file", "missing.log", 100, "", std::string(std::strerror(ENOENT))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WholeFile file = readWholeFile(path(c.name), c.limit);
        EXPECT_EQ(file.error, c.error.empty() ? "" : "cannot read " + path(c.name) + ": " + c.error);
        EXPECT_EQ(file.bytes, c.error.empty() ? c.bytes : file.bytes);
        EXPECT_EQ(file.regular, c.error.empty());
    }
    EXPECT_EQ(readWholeFile(temp.path().generic_u8string(), 100).error.rfind("cannot read ", 0), 0u);
}

TEST_F(IoFiles, ByteSizesAsPeopleSayThem) {
    const std::pair<uint64_t, const char*> cases[] = {{uint64_t{512} << 20, "512 MB"},
                                                      {uint64_t{1} << 30, "1 GB"},
                                                      {4096, "4 KB"},
                                                      {1500, "1500 bytes"},
                                                      {0, "0 bytes"},
                                                      {(uint64_t{1} << 20) + 1, "1048577 bytes"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(byteSizeText(bytes), text) << bytes;
    }
}

// A file written takes its place whole on commit; until then, and when it
// is never committed, the old one stays as it was and nothing is left
// beside it.
TEST_F(IoFiles, AnAtomicFileIsWholeOrNotThere) {
    ASSERT_EQ(writeFileAtomically(path("out.txt"), "old"), "");
    {
        AtomicFile file(path("out.txt"));
        ASSERT_EQ(file.error(), "");
        EXPECT_TRUE(file.write("new "));
        EXPECT_TRUE(file.write(std::string(100000, 'n')));  // past the block kept in memory
        EXPECT_TRUE(exists(".out.txt.partial"));
        EXPECT_EQ(read("out.txt"), "old");
    }
    EXPECT_EQ(read("out.txt"), "old") << "never committed";
    EXPECT_FALSE(exists(".out.txt.partial"));
    AtomicFile file(path("out.txt"));
    file.write("new");
    EXPECT_EQ(file.commit(), "");
    EXPECT_EQ(read("out.txt"), "new");
    EXPECT_FALSE(exists(".out.txt.partial"));
    // A folder that is not there: said at once, and again on commit.
    AtomicFile nowhere(path("missing/out.txt"));
    EXPECT_NE(nowhere.error(), "");
    EXPECT_FALSE(nowhere.write("x"));
    EXPECT_NE(nowhere.commit(), "");
    EXPECT_NE(writeFileAtomically(path("missing/out.txt"), "x"), "");
}

TEST(TemporaryBeside, AHiddenNameInTheSameFolder) {
    EXPECT_EQ(temporaryBeside("out/ubn/PY2AAA.txt"), "out/ubn/.PY2AAA.txt.partial");
    EXPECT_EQ(temporaryBeside("out\\results.txt"), "out\\.results.txt.partial");
    EXPECT_EQ(temporaryBeside("results.txt"), ".results.txt.partial");
    const std::pair<const char*, const char*> names[] = {{".results.txt.partial", "results.txt"},
                                                         {".PY2AAA.html.partial", "PY2AAA.html"},
                                                         {"results.txt", ""},
                                                         {".partial", ""},
                                                         {"..partial", ""},
                                                         {".results.txt", ""},
                                                         {"results.txt.partial", ""}};
    for (const auto& [name, file] : names) {
        EXPECT_EQ(nameOfTemporary(name), file) << name;
    }
}

// A file finished waits under its temporary name until its commit (a
// check's files all wait so), and goes if it is never committed.
TEST_F(IoFiles, AFinishedFileWaitsForItsCommit) {
    ASSERT_EQ(writeFileAtomically(path("out.txt"), "old"), "");
    {
        AtomicFile file(path("out.txt"));
        file.write("new");
        EXPECT_EQ(file.finish(), "");
        EXPECT_TRUE(exists(".out.txt.partial"));  // (on Windows still open, for its rename)
        EXPECT_EQ(read("out.txt"), "old");
    }
    EXPECT_FALSE(exists(".out.txt.partial")) << "never committed";
    EXPECT_EQ(read("out.txt"), "old");
    AtomicFile file(path("out.txt"));
    file.write("new");
    ASSERT_EQ(file.finish(), "");
    EXPECT_EQ(file.commit(), "");
    EXPECT_EQ(read("out.txt"), "new");
    EXPECT_FALSE(exists(".out.txt.partial"));
}

// A path inside a folder, as the system finds both: another spelling, a
// path not made yet (by the folder above it), a link; on Windows letter
// case aside.
TEST_F(IoFiles, APathIsInsideAFolderAsTheSystemFindsThem) {
    std::filesystem::create_directories(temp.path() / "logs/old");
    std::filesystem::create_directories(temp.path() / "other");
    struct Case {
        const char* path;
        const char* folder;
        bool inside;
    };
    const Case cases[] = {
        {"logs", "logs", true},
        {"logs/", "logs", true},
        {"logs", "logs/", true},
        {"logs/old", "logs", true},
        {"logs/new/results", "logs", true},
        {"other/../logs/results", "logs", true},
        {"logs/../other", "logs", false},
        {"logsresults", "logs", false},
        {"other", "logs", false},
        {"logs", "logs/old", false},
#ifdef _WIN32
        {"LOGS\\Results", "logs", true},
        {"Logs", "logs\\", true},
#else
        {"LOGS/results", "logs", false},
        {"link/results", "logs", true},
        {"other/results", "link", false},
#endif
    };
#ifndef _WIN32
    std::filesystem::create_directory_symlink(temp.path() / "logs", temp.path() / "link");
#endif
    for (const Case& c : cases) {
        EXPECT_EQ(isSameOrInside(path(c.path), path(c.folder)), c.inside) << c.path << " in " << c.folder;
    }
}

// Windows leaves wildcards to the program: those of the last part match
// files and folders there, hidden ones aside, in name order, spelt with
// the argument's folder. A POSIX shell has expanded them already.
TEST_F(IoFiles, WildcardsMatchAsOnTheirSystem) {
    for (const char* name : {"b.cbr", "a.cbr", "c.adi", "ab.cbr"}) {
        ASSERT_EQ(writeFileAtomically(path(name), name), "");
    }
    std::filesystem::create_directory(temp.path() / "d.cbr");
    const std::string folder = path("");
#ifdef _WIN32
    SetFileAttributesW((temp.path() / "ab.cbr").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"*.cbr", {"a.cbr", "b.cbr", "d.cbr"}},
        {"?.*", {"a.cbr", "b.cbr", "c.adi", "d.cbr"}},
        {"*.txt", {}},
        {"c.adi", {"c.adi"}},
    };
#else
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"*.cbr", {"*.cbr"}},
        {"c.adi", {"c.adi"}},
    };
#endif
    for (const auto& [pattern, names] : cases) {
        std::vector<std::string> want;
        for (const std::string& name : names) {
            want.push_back(folder + name);
        }
        EXPECT_EQ(wildcardMatches(folder + pattern), want) << pattern;
    }
    EXPECT_EQ(wildcardMatches("no*where/x.cbr"), std::vector<std::string>{"no*where/x.cbr"})
        << "a wildcard in a folder's name is the name";
}

TEST_F(IoFiles, AFolderListedByNameWithWhatEachEntryIs) {
    ASSERT_EQ(writeFileAtomically(path("b.log"), "b"), "");
    ASSERT_EQ(writeFileAtomically(path("A.log"), "a"), "");
    ASSERT_EQ(writeFileAtomically(path(".hidden"), "h"), "");
    std::filesystem::create_directory(temp.path() / "sub");
    std::vector<std::pair<std::string, FolderEntry::Kind>> want = {{".hidden", FolderEntry::Kind::kFile},
                                                                   {"A.log", FolderEntry::Kind::kFile},
                                                                   {"b.log", FolderEntry::Kind::kFile},
                                                                   {"sub", FolderEntry::Kind::kFolder}};
#ifndef _WIN32
    std::filesystem::create_symlink(temp.path() / "nothing", temp.path() / "dangling");
    std::filesystem::create_symlink(temp.path() / "b.log", temp.path() / "link");
    want.insert(want.begin() + 3, {"dangling", FolderEntry::Kind::kLinkToNothing});
    want.insert(want.begin() + 4, {"link", FolderEntry::Kind::kFile});
#endif
    const torv::io::FolderListing listing = listFolder(path(""));
    EXPECT_FALSE(listing.error);
    std::vector<std::pair<std::string, FolderEntry::Kind>> got;
    for (const FolderEntry& entry : listing.entries) {
        got.emplace_back(entry.name, entry.kind);
    }
    EXPECT_EQ(got, want);
    const torv::io::FolderListing missing = listFolder(path("missing"));
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(missing.entries.empty());
}

// A file is itself by whatever path names it; two files are two even with
// the same bytes.
TEST_F(IoFiles, AFileIsKnownByItsIdentity) {
    ASSERT_EQ(writeFileAtomically(path("a.log"), "same"), "");
    ASSERT_EQ(writeFileAtomically(path("b.log"), "same"), "");
    std::filesystem::create_directory(temp.path() / "sub");
    std::filesystem::create_hard_link(temp.path() / "a.log", temp.path() / "hard.log");
    const std::optional<torv::io::FileIdentity> a = fileIdentity(path("a.log"));
    ASSERT_TRUE(a);
    EXPECT_EQ(fileIdentity(path("sub/../a.log")), a);
    EXPECT_EQ(fileIdentity(path("./a.log")), a);
    EXPECT_EQ(fileIdentity(path("hard.log")), a);
    EXPECT_NE(fileIdentity(path("b.log")), a);
    EXPECT_EQ(fileIdentity(path("missing.log")), std::nullopt);
#ifdef _WIN32
    // Letter case and either slash name the same file on Windows.
    std::string backslashed = path("A.LOG");
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_EQ(fileIdentity(backslashed), a);
#else
    std::filesystem::create_symlink(temp.path() / "a.log", temp.path() / "soft.log");
    EXPECT_EQ(fileIdentity(path("soft.log")), a);
#endif
}

// Of the paths given, the first of each file is kept, in order; a path
// naming nothing is kept, so that reading it says why.
TEST_F(IoFiles, DistinctFilesKeepTheFirstPathOfEach) {
    ASSERT_EQ(writeFileAtomically(path("a.log"), "a"), "");
    ASSERT_EQ(writeFileAtomically(path("b.log"), "a"), "");
    std::filesystem::create_hard_link(temp.path() / "b.log", temp.path() / "hard.log");
    struct Case {
        const char* what;
        std::vector<std::string> given;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"each once", {"a.log", "b.log"}, {"a.log", "b.log"}},
        {"the same path twice", {"a.log", "b.log", "a.log"}, {"a.log", "b.log"}},
        {"another spelling", {"./a.log", "a.log"}, {"./a.log"}},
        {"a hard link after its file", {"b.log", "a.log", "hard.log"}, {"b.log", "a.log"}},
        {"missing ones stay, twice too", {"x.log", "a.log", "x.log"}, {"x.log", "a.log", "x.log"}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> given, kept;
        for (const std::string& name : c.given) {
            given.push_back(path(name));
        }
        for (const std::string& name : c.kept) {
            kept.push_back(path(name));
        }
        EXPECT_EQ(distinctFiles(given), kept);
    }
}

}  // namespace
