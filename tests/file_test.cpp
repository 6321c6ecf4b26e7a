// The one owner of a C stream: whole files written and read, and every way
// that fails said as a failure.
#include "io/file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace {

using torv::io::open;
using torv::io::readRest;
using torv::io::writeWhole;

class IoFile : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return temp.file(name); }
    TempFolder temp;
};

TEST_F(IoFile, AWholeFileReadsBackByteForByte) {
    const std::string bytes = std::string("CR LF\r\nNUL\0end", 14) + std::string(200000, 'x');
    ASSERT_TRUE(writeWhole(path("a.bin"), bytes));
    const torv::io::File file = open(path("a.bin"), "rb");
    ASSERT_TRUE(file);
    EXPECT_EQ(readRest(file.get()), bytes);
    // Made anew: a shorter text leaves nothing of the longer one.
    ASSERT_TRUE(writeWhole(path("a.bin"), "short"));
    EXPECT_EQ(readRest(open(path("a.bin"), "rb").get()), "short");
}

// Each way a write can fail is a failure, never taken for a written file.
TEST_F(IoFile, FailedWritesAreSaid) {
    struct Case {
        const char* what;
        std::string path;
    };
    const Case cases[] = {
        {"a folder that is not there", path("missing/a.txt")},
        {"a folder in the file's place", temp.path().string()},
        {"a full disk (found only on flushing)", "/dev/full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(writeWhole(c.path, std::string(100, 'x')));
    }
}

TEST_F(IoFile, AFolderOpenedAsAFileIsAFailedRead) {
    const torv::io::File file = open(temp.path().string(), "rb");
    ASSERT_TRUE(file);  // POSIX opens a folder for reading; reading it fails
    EXPECT_EQ(readRest(file.get()), std::nullopt);
}

}  // namespace
