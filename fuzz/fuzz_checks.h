// What the fuzzers check with: an invariant that does not hold ends the run
// at once, so libFuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>
#include <string_view>

inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The number of lines of a text: one more than its line feeds.
inline size_t lineCount(std::string_view text) {
    size_t lines = 1;
    for (char c : text) {
        lines += c == '\n';
    }
    return lines;
}
