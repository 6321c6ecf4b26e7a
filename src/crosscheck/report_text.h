// Small pieces of text shared by the committee's files: fields of CSV,
// padded columns, texts made safe for HTML and JSON, and the pages' style.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torv::crosscheck {

// A CSV field, quoted when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text);
// The same, added to out.
void appendCsvField(std::string& out, std::string_view text);

// The text padded with blanks to width characters (of UTF-8), on the left
// when right is true; a longer text as it is.
std::string padded(const std::string& text, size_t width, bool right);

// Adds each piece to out in turn, with no string made per piece: the
// files' rows are made this way, a row per line of every log.
template <typename... Pieces>
void appendAll(std::string& out, const Pieces&... pieces) {
    (out.append(std::string_view(pieces)), ...);
}

// Text for HTML and for JSON strings.
std::string htmlEscaped(const std::string& text);
void appendHtmlEscaped(std::string& out, std::string_view text);
std::string jsonEscaped(const std::string& text);

// The text with every byte that is not part of well-formed UTF-8 read as
// Latin-1, so that any log's bytes make a UTF-8 file; unchanged, without a
// copy, when it is UTF-8 already.
std::string asUtf8(std::string text);

// ["a", "b"] with each text escaped.
std::string jsonArray(const std::vector<std::string>& texts);

// The start of a page up to its body: language, title and style sheet.
std::string pageHead(std::string_view lang, const std::string& title, const std::string& style);

// The style every page of the check shares.
extern const char* const kPageStyle;

}  // namespace torv::crosscheck
