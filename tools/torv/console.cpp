#include "console.h"

std::string withPlatformLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;  // the LF that follows brings the line end
        }
        if (text[i] == '\n') {
            result += kLineEnd;
        } else {
            result += text[i];
        }
    }
    return result;
}

bool writeAll(std::FILE* stream, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}
