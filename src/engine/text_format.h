// printf-style formatting into a std::string.
#pragma once

#include <string>

namespace torv::engine {

#if defined(__GNUC__)
#define STATS_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define STATS_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// The text printf would print, whole, however long.
std::string formatText(const char* format, ...) STATS_PRINTF_FORMAT(1, 2);

}  // namespace torv::engine
