#include "console.h"

namespace torv::cli {

std::string withPlatformLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t start = 0; start < text.size();) {
        const size_t feed = text.find('\n', start);
        if (feed == std::string_view::npos) {
            result.append(text.substr(start));
            break;
        }
        // A CR right before the LF goes with it; any other CR stays.
        const size_t end = feed > start && text[feed - 1] == '\r' ? feed - 1 : feed;
        result.append(text.substr(start, end - start));
        result += kLineEnd;
        start = feed + 1;
    }
    return result;
}

bool writeAll(std::FILE* stream, std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    // Standard error may be buffered (see prepareRuntime): a
    // message is out when this returns.
    return (stream != stderr || std::fflush(stream) == 0) && written;
}

}  // namespace torv::cli
