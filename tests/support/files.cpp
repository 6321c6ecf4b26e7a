#include "support/files.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool fileExists(const std::string& path) {
    return std::ifstream(path, std::ios::binary).good();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string testDataPath(const std::string& relative) {
    return std::string(STATS_TEST_DATA_DIR) + "/" + relative;
}

std::string visible(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {

std::string lineAt(const std::string& text, size_t start) {
    const size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
}

}  // namespace

::testing::AssertionResult matchesGolden(const std::string& actual, const std::string& goldenRelativePath) {
    const std::string path = testDataPath(goldenRelativePath);
    if (std::getenv("STATS_UPDATE_GOLDEN") != nullptr) {
        writeFile(path, actual);
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }
    if (!fileExists(path)) {
        return ::testing::AssertionFailure() << "golden file missing: " << path;
    }
    const std::string expected = readFile(path);
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    size_t line = 1;
    size_t lineStart = 0;
    size_t i = 0;
    for (; i < actual.size() && i < expected.size() && actual[i] == expected[i]; ++i) {
        if (actual[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return ::testing::AssertionFailure() << goldenRelativePath << " differs at byte " << i << ", line " << line
                                         << "\n  expected: " << visible(lineAt(expected, lineStart))
                                         << "\n  actual:   " << visible(lineAt(actual, lineStart))
                                         << "\n  (sizes: expected " << expected.size() << ", actual " << actual.size()
                                         << ")";
}
