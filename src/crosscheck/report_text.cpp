#include "crosscheck/report_text.h"

#include <algorithm>
#include <cstdio>

#include "logfile/text.h"

namespace torv::crosscheck {

using logfile::utf8SequenceLength;

const char* const kPageStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222}h1{font-size:1.6em}h2{font-size:1.25em;margin-top:1.5em}"
    "table{border-collapse:collapse;margin-bottom:1em}"
    "th,td{padding:2px 8px;border-bottom:1px solid #ddd;text-align:right;vertical-align:middle}"
    "th{background:#eee}td.l,th.l{text-align:left}code{white-space:pre}";

std::string pageHead(std::string_view lang, const std::string& title, const std::string& style) {
    return "<!DOCTYPE html>\n<html lang=\"" + std::string(lang) +
           "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width\"><title>" +
           htmlEscaped(title) + "</title><style>" + kPageStyle + style + "</style></head><body>\n";
}

void appendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

std::string csvField(const std::string& text) {
    std::string field;
    appendCsvField(field, text);
    return field;
}

std::string padded(const std::string& text, size_t width, bool right) {
    // Characters, not bytes: a continuation byte of UTF-8 adds none.
    const size_t characters = static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    if (characters >= width) {
        return text;
    }
    const std::string fill(width - characters, ' ');
    return right ? fill + text : text + fill;
}

std::string asUtf8(std::string text) {
    size_t at = 0;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) < 0x80 || utf8SequenceLength(text, at) != 0)) {
        at += static_cast<unsigned char>(text[at]) < 0x80 ? 1 : utf8SequenceLength(text, at);
    }
    if (at == text.size()) {
        return text;
    }
    std::string out = text.substr(0, at);
    out.reserve(text.size() + 64);
    while (at < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const size_t length = c < 0x80 ? 1 : utf8SequenceLength(text, at);
        if (length != 0) {
            out.append(text, at, length);
            at += length;
        } else {
            // Latin-1: the byte is the code point, two bytes of UTF-8.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++at;
        }
    }
    return out;
}

std::string jsonArray(const std::vector<std::string>& texts) {
    std::string json = "[";
    for (size_t i = 0; i < texts.size(); ++i) {
        json += (i ? ", \"" : "\"") + jsonEscaped(texts[i]) + "\"";
    }
    return json + "]";
}

void appendHtmlEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

std::string htmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    appendHtmlEscaped(out, text);
    return out;
}

std::string jsonEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (const size_t length = u >= 0x80 ? logfile::utf8SequenceLength(text, i) : 0) {
            // File names are UTF-8, while logs are 8-bit texts: a well-formed
            // UTF-8 sequence passes whole, any other byte above 127 is read
            // as Latin-1, so the result is valid JSON either way.
            out.append(text, i, length);
            i += length;
            continue;
        } else if (u < 0x20 || u >= 0x80) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

}  // namespace torv::crosscheck
