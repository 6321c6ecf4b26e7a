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

std::string byteSizeText(uint64_t bytes) {
    constexpr const char* kUnits[] = {"GB", "MB", "KB"};
    for (int i = 0; i < 3; ++i) {
        const uint64_t unit = uint64_t{1} << (30 - 10 * i);
        if (bytes >= unit && bytes % unit == 0) {
            return std::to_string(bytes / unit) + " " + kUnits[i];
        }
    }
    return std::to_string(bytes) + " bytes";
}
