// What the log reader fuzzers check of a whole log: the same bytes read as
// UTF-8 and in UTF-16 both ways.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "logfile/log_file.h"

// The text in UTF-16 with its byte-order mark, each byte one code unit (so
// an ASCII text reads back as itself), little or big endian.
inline std::string utf16Widened(std::string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

inline bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Reads the text as a log of either format, as UTF-8 and in UTF-16 both
// ways: never more messages than the bound, every location inside the text,
// and an ASCII text reads alike in all three. Returns the UTF-8 reading
// (nullopt when the text is no usable log).
inline std::optional<torv::logfile::LogFile> readLogEveryWay(std::string_view text) {
    const size_t lines = lineCount(text);
    auto read = [&](std::string_view bytes) -> std::optional<torv::logfile::LogFile> {
        try {
            torv::logfile::LogFile log = torv::logfile::readLog(bytes);
            require(log.problems.shown.size() <= torv::logfile::LogProblems::kShown);
            for (const torv::logfile::LogContact& contact : log.contacts) {
                require(contact.line >= 1 && contact.line <= lines);
            }
            for (const torv::logfile::UnreadableRecord& record : log.unreadable) {
                require(record.line >= 1 && record.line <= lines);
            }
            for (const torv::logfile::LogProblem& problem : log.problems.shown) {
                require(problem.line <= lines && problem.text.size() < 1024);
            }
            return log;
        } catch (const torv::logfile::LogFileError&) {
            return std::nullopt;  // not a log, empty, ADX, a header without <EOH>
        }
    };
    std::optional<torv::logfile::LogFile> utf8 = read(text);
    for (bool bigEndian : {false, true}) {
        const std::optional<torv::logfile::LogFile> utf16 = read(utf16Widened(text, bigEndian));
        if (isAscii(text)) {
            require(utf16.has_value() == utf8.has_value());
            if (utf8 && utf16) {
                require(utf16->contacts.size() == utf8->contacts.size());
                require(utf16->unreadable.size() == utf8->unreadable.size());
                require(utf16->problems.shown.size() == utf8->problems.shown.size());
            }
        }
    }
    return utf8;
}
