// The portable settings file: reads and writes of awkward files, each case in
// a fresh temporary folder. What the system's profile functions do with the
// same files is checked by tests/win/settings_compare_test.cpp under wine.
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "settings/ini_settings.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "support/test_names.h"

using torv::settings::iniHasSettingsSection;
using torv::settings::IniSettings;
using torv::settings::iniSettingsValue;

namespace {

const std::string k120(120, 'v');
const std::string k99(99, 'v');

// A settings file in its own temporary folder: <temp>/Plugins/TORV.ini.
class SettingsFile {
public:
    // content: the initial file, or nullopt for no file (the folder exists).
    explicit SettingsFile(const std::optional<std::string>& content) {
        std::filesystem::create_directory(plugins());
        if (content) {
            writeFile(path(), *content);
        }
    }
    std::filesystem::path plugins() const { return folder_.path() / "Plugins"; }
    std::string path() const { return (plugins() / "TORV.ini").string(); }
    std::string bytes() const { return readFile(path()); }

private:
    TempFolder folder_;
};

// ---------------------------------------------------------------- reading

struct ReadCase {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file at all
    std::string key;
    std::string defaultValue;
    std::string expected;
};

const ReadCase kReadCases[] = {
    {"crlf", std::string("[Settings]\r\nStart=1\r\n"), "Start", "d", "1"},
    {"lf only", std::string("[Settings]\nStart=1\nNext=2\n"), "Next", "d", "2"},
    {"lone cr", std::string("[Settings]\rStart=1\rNext=2\r"), "Next", "d", "2"},
    {"no final line end", std::string("[Settings]\r\nStart=1"), "Start", "d", "1"},
    {"blanks around key and value", std::string("[Settings]\r\n  \tStart \t=  \t 5 \t \r\n"), "Start", "d", "5"},
    {"blanks inside value kept", std::string("[Settings]\r\nName=  a  b  \r\n"), "Name", "d", "a  b"},
    {"blanks inside key matter", std::string("[Settings]\r\nMy Key=1\r\n"), "My  Key", "d", "d"},
    {"key in other case", std::string("[Settings]\r\nSTART=3\r\n"), "start", "d", "3"},
    {"section in other case", std::string("[sEtTiNgS]\r\nStart=3\r\n"), "Start", "d", "3"},
    {"blanks inside brackets", std::string("[ Settings\t]\r\nStart=3\r\n"), "Start", "d", "3"},
    {"text after section header", std::string("  [Settings] ; mine\r\nStart=3\r\n"), "Start", "d", "3"},
    {"header without closing bracket", std::string("[Settings\r\nStart=3\r\n"), "Start", "d", "d"},
    {"key asked with blanks", std::string("[Settings]\r\nStart=3\r\n"), " Start\t", "d", "3"},
    {"duplicate keys first wins", std::string("[Settings]\r\nStart=1\r\nstart=2\r\n"), "Start", "d", "1"},
    {"duplicate section ignored", std::string("[Settings]\r\nA=1\r\n[Other]\r\n[Settings]\r\nB=2\r\n"), "B", "d", "d"},
    {"missing section", std::string("[Other]\r\nStart=1\r\n"), "Start", "d", "d"},
    {"key before any section", std::string("Start=1\r\n[Settings]\r\n"), "Start", "d", "d"},
    {"key of the next section", std::string("[Settings]\r\nA=1\r\n[Other]\r\nStart=1\r\n"), "Start", "d", "d"},
    {"missing key", std::string("[Settings]\r\nA=1\r\n"), "Start", "d", "d"},
    {"empty file", std::string(""), "Start", "d", "d"},
    {"missing file", std::nullopt, "Start", "d", "d"},
    {"120 characters", "[Settings]\r\nLong=" + k120 + "\r\n", "Long", "d", k99},
    {"99 characters", "[Settings]\r\nLong=" + k99 + "\r\n", "Long", "d", k99},
    {"empty value", std::string("[Settings]\r\nStart=\r\n"), "Start", "d", ""},
    {"only blanks as value", std::string("[Settings]\r\nStart=  \t \r\n"), "Start", "d", ""},
    {"key without equals", std::string("[Settings]\r\nStart\r\n"), "Start", "d", "d"},
    {"key without equals hides later", std::string("[Settings]\r\nStart\r\nStart=1\r\n"), "Start", "d", "d"},
    {"comment lines", std::string("; top\r\n[Settings]\r\n;Start=1\r\n; Start=2\r\nStart=3\r\n"), "Start", "d", "3"},
    {"commented key alone", std::string("[Settings]\r\n;Start=1\r\n"), "Start", "d", "d"},
    {"equals inside value", std::string("[Settings]\r\nA=b=c\r\n"), "A", "d", "b=c"},
    {"double quotes dropped", std::string("[Settings]\r\nA=\"x y\"\r\n"), "A", "d", "x y"},
    {"single quotes dropped", std::string("[Settings]\r\nA='x'\r\n"), "A", "d", "x"},
    {"quotes inside blanks", std::string("[Settings]\r\nA=  \" x \"  \r\n"), "A", "d", " x "},
    {"unmatched quotes kept", std::string("[Settings]\r\nA=\"x'\r\n"), "A", "d", "\"x'"},
    {"lone quote kept", std::string("[Settings]\r\nA=\"\r\n"), "A", "d", "\""},
    {"empty quotes", std::string("[Settings]\r\nA=\"\"\r\n"), "A", "d", ""},
    {"quoted 120 characters", "[Settings]\r\nA=\"" + k120 + "\"\r\n", "A", "d", k99},
    {"quoted 99 characters", "[Settings]\r\nA=\"" + k99 + "\"\r\n", "A", "d", k99},
    {"control z at end", std::string("[Settings]\r\nA=1\x1a\r\n"), "A", "d", "1"},
    {"nul ends the value", std::string("[Settings]\r\nA=x\0y\r\n", 19), "A", "d", "x"},
    {"ansi bytes kept", std::string("[Settings]\r\nA=\xe9t\xe9\xa0\r\n"), "A", "d", "\xe9t\xe9\xa0"},
    // The system does not know the UTF-8 mark: it is part of the first line,
    // which then is no section header.
    {"utf8 mark before header", std::string("\xEF\xBB\xBF[Settings]\r\nA=1\r\n"), "A", "d", "d"},
    {"utf8 mark before blank line", std::string("\xEF\xBB\xBF\r\n[Settings]\r\nA=1\r\n"), "A", "d", "1"},
    {"utf16 file", std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0A\0=\0\xE9\0!\0\x20\x20\r\0\n\0", 40),
     "A", "d", "\xE9!\x86"},
    {"utf16 unknown character", std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\n\0A\0=\0\x01\x01", 30), "A", "d",
     "?"},
    {"default trailing spaces dropped", std::nullopt, "A", "d  ", "d"},
    {"default trailing tab kept", std::nullopt, "A", "d\t", "d\t"},
    {"default leading spaces kept", std::nullopt, "A", "  d", "  d"},
    {"default quotes dropped", std::string("[Settings]\r\n"), "A", "\"d\"", "d"},
    {"default of 120 characters", std::nullopt, "A", k120, k99},
};

class IniSettingsRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniSettingsRead, GivesTheSystemsResult) {
    const ReadCase& c = GetParam();
    SettingsFile file(c.file);
    IniSettings settings(file.path());
    EXPECT_EQ(visible(settings.readText(c.key, c.defaultValue)), visible(c.expected));
    if (c.file) {
        EXPECT_EQ(file.bytes(), *c.file) << "a read changed the file";
    } else {
        EXPECT_FALSE(fileExists(file.path())) << "a read made the file";
    }
}

INSTANTIATE_TEST_SUITE_P(Ini, IniSettingsRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });

TEST(IniSettingsReadMissing, FolderGivesTheDefault) {
    TempFolder folder;
    IniSettings settings((folder.path() / "Plugins" / "TORV.ini").string());
    EXPECT_EQ(settings.readText("Start", "d  "), "d");
    EXPECT_EQ(settings.readText("Start"), "");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Plugins"));
}

// ---------------------------------------------------------------- writing

struct WriteCase {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file yet (the folder exists)
    std::string key;
    std::string value;
    std::string expectedFile;
    std::string readBack;  // what reading the key gives afterwards
};

const WriteCase kWriteCases[] = {
    {"replaces in place keeping other lines",
     std::string("; my settings\n\r\n  [Settings]  ; here\r\n  Other = x \n\tstart  =  1  \r\n\r\nLast=2\n"
                 "[Next]\r\nStart=9\r\n"),
     "Start", "2",
     "; my settings\n\r\n  [Settings]  ; here\r\n  Other = x \nstart=2\r\n\r\nLast=2\n[Next]\r\nStart=9\r\n", "2"},
    {"replaced line keeps its lf", std::string("[Settings]\nStart=1\nNext=1\n"), "Start", "0",
     "[Settings]\nStart=0\nNext=1\n", "0"},
    {"replaced last line without line end", std::string("[Settings]\r\nStart=1"), "Start", "0", "[Settings]\r\nStart=0",
     "0"},
    {"same value leaves the file alone", std::string("[Settings]\n  Start =  1  \n"), "Start", "1",
     "[Settings]\n  Start =  1  \n", "1"},
    {"same value after leading blanks", std::string("[Settings]\nStart=1\n"), "Start", "  1", "[Settings]\nStart=1\n",
     "1"},
    {"appends key before next section", std::string("[Settings]\r\nStart=1\r\n; note\r\n\r\n[Next]\r\nA=1\r\n"), "New",
     "2", "[Settings]\r\nStart=1\r\n; note\r\nNew=2\r\n\r\n[Next]\r\nA=1\r\n", "2"},
    {"appends key to last section without line end", std::string("[Settings]\r\nStart=1"), "New", "2",
     "[Settings]\r\nStart=1\r\nNew=2\r\n", "2"},
    {"appends key to empty section", std::string("[Settings]\n[Next]\n"), "New", "2", "[Settings]\nNew=2\r\n[Next]\n",
     "2"},
    {"appends key to bare header", std::string("[Settings]"), "New", "2", "[Settings]\r\nNew=2\r\n", "2"},
    {"appends section", std::string("[Other]\r\nA=1\r\n"), "Start", "1", "[Other]\r\nA=1\r\n[Settings]\r\nStart=1\r\n",
     "1"},
    {"appends section after last line without line end", std::string("[Other]\nA=1"), "Start", "1",
     "[Other]\nA=1\r\n[Settings]\r\nStart=1\r\n", "1"},
    {"appends section after blank lines", std::string("\r\n\r\n"), "Start", "1", "\r\n\r\n[Settings]\r\nStart=1\r\n",
     "1"},
    {"fills an empty file", std::string(""), "Start", "1", "[Settings]\r\nStart=1\r\n", "1"},
    {"creates the file", std::nullopt, "Start", "1", "[Settings]\r\nStart=1\r\n", "1"},
    {"replaces the first duplicate", std::string("[Settings]\r\nStart=1\r\nStart=2\r\n"), "Start", "3",
     "[Settings]\r\nStart=3\r\nStart=2\r\n", "3"},
    {"writes into the first duplicate section", std::string("[Settings]\r\nA=1\r\n[Settings]\r\nB=2\r\n"), "B", "3",
     "[Settings]\r\nA=1\r\nB=3\r\n[Settings]\r\nB=2\r\n", "3"},
    {"key without equals gets the value", std::string("[Settings]\r\nStart\r\n"), "Start", "1",
     "[Settings]\r\nStart=1\r\n", "1"},
    {"empty value", std::string("[Settings]\r\nStart=1\r\n"), "Start", "", "[Settings]\r\nStart=\r\n", ""},
    {"leading blanks dropped trailing kept", std::nullopt, "Start", " \t1 ", "[Settings]\r\nStart=1 \r\n", "1"},
    {"key written without its blanks", std::nullopt, " Start ", "1", "[Settings]\r\nStart=1\r\n", "1"},
    {"120 characters written whole", std::nullopt, "Long", k120, "[Settings]\r\nLong=" + k120 + "\r\n", k99},
    {"ansi bytes written as given", std::nullopt, "A", "\xe9\x80", "[Settings]\r\nA=\xe9\x80\r\n", "\xe9\x80"},
    {"utf8 mark before header means a new section", std::string("\xEF\xBB\xBF[Settings]\r\nStart=1\r\n"), "Start", "2",
     "\xEF\xBB\xBF[Settings]\r\nStart=1\r\n[Settings]\r\nStart=2\r\n", "2"},
    {"utf16 file stays utf16", std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0A\0=\0\x31\0", 32), "A",
     "\xE9\x80", std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0A\0=\0\xE9\0\xAC\x20", 34), "\xE9\x80"},
    {"utf16 file gets a new key", std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0", 26), "B", "2",
     std::string("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0B\0=\0\x32\0\r\0\n\0", 36), "2"},
};

class IniSettingsWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniSettingsWrite, EditsOnlyItsLine) {
    const WriteCase& c = GetParam();
    SettingsFile file(c.file);
    IniSettings settings(file.path());
    settings.writeText(c.key, c.value);
    EXPECT_EQ(visible(file.bytes()), visible(c.expectedFile));
    EXPECT_EQ(visible(settings.readText(c.key, "default")), visible(c.readBack));
}

INSTANTIATE_TEST_SUITE_P(Ini, IniSettingsWrite, ::testing::ValuesIn(kWriteCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });

TEST(IniSettingsWriteFailure, MissingFolderIsIgnoredAndNotCreated) {
    TempFolder folder;
    const std::filesystem::path plugins = folder.path() / "Plugins";
    IniSettings settings((plugins / "TORV.ini").string());
    EXPECT_NO_THROW(settings.writeText("Start", "1"));
    EXPECT_FALSE(std::filesystem::exists(plugins));
    EXPECT_EQ(settings.readText("Start", "d"), "d");
}

TEST(IniSettingsWriteFailure, ReadOnlyFileIsIgnored) {
    const std::string content = "[Settings]\r\nStart=1\r\n";
    SettingsFile file(content);
    std::filesystem::permissions(
        file.path(),
        std::filesystem::perms::owner_read | std::filesystem::perms::group_read | std::filesystem::perms::others_read,
        std::filesystem::perm_options::replace);
    // Root (as in the build containers) may write anyway; "a" changes nothing.
    if (std::FILE* probe = std::fopen(file.path().c_str(), "ab")) {
        std::fclose(probe);
        GTEST_SKIP() << "file permissions do not stop writes for this user (root?), so there is no read-only "
                        "file to test with";
    }
    IniSettings settings(file.path());
    EXPECT_NO_THROW(settings.writeText("Start", "2"));
    EXPECT_NO_THROW(settings.writeText("New", "2"));
    EXPECT_EQ(file.bytes(), content);
    EXPECT_EQ(settings.readText("Start", "d"), "1");
}

TEST(IniSettingsSequence, EveryAccessGoesToTheFile) {
    SettingsFile file(std::string("[Settings]\r\nStart=1\r\n"));
    IniSettings settings(file.path());
    EXPECT_EQ(settings.readText("Start"), "1");
    writeFile(file.path(), "[Settings]\r\nStart=5\r\n");  // changed behind its back
    EXPECT_EQ(settings.readText("Start"), "5");
    settings.writeText("Start", "0");
    settings.writeText("Other", "x");
    settings.writeText("start", "1");
    EXPECT_EQ(file.bytes(), "[Settings]\r\nStart=1\r\nOther=x\r\n");
}

// ---------------------------------------------------------------- numbers

struct NumberCase {
    const char* name;
    std::optional<std::string> line;  // the line under [Settings], or no key
    int expected;
};

const NumberCase kNumberCases[] = {
    {"blanks and minus", std::string("N=  -40"), -40},
    {"plus", std::string("N=+7"), 7},
    {"plain", std::string("N=2"), 2},
    {"word", std::string("N=word"), 0},
    {"empty", std::string("N="), 0},
    {"digits then letters", std::string("N=12abc"), 12},
    {"huge saturates", std::string("N=99999999999999999999"), INT_MAX},
    {"huge negative saturates", std::string("N=-99999999999999999999"), INT_MIN},
    {"quoted", std::string("N=\"5\""), 5},
    {"missing key", std::nullopt, 0},
};

class IniSettingsNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(IniSettingsNumber, ReadsTheDecimalRule) {
    const NumberCase& c = GetParam();
    SettingsFile file("[Settings]\r\n" + c.line.value_or("Other=1") + "\r\n");
    IniSettings settings(file.path());
    EXPECT_EQ(settings.readNumber("N"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Ini, IniSettingsNumber, ::testing::ValuesIn(kNumberCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });

}  // namespace
