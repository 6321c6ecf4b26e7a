// Reading and comparing files byte for byte.
#pragma once

#include <string>

#include <gtest/gtest.h>

// The whole file as bytes; "" when it cannot be read.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// A file of the test data folder (tests/ in the source tree).
std::string testDataPath(const std::string& relative);

// Compares bytes with a golden file and explains the first difference: line
// number, both lines with CR and LF made visible. When the environment
// variable STATS_UPDATE_GOLDEN is set, rewrites the golden file instead.
::testing::AssertionResult matchesGolden(const std::string& actual, const std::string& goldenRelativePath);

// Both texts with CR, LF and bytes outside printable ASCII made visible.
std::string visible(const std::string& bytes);
