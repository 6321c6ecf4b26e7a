#include "crosscheck/report_text.h"

#include <cstdio>

#include "logfile/text.h"

namespace crosscheck {

const char* const kPageStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{padding:2px 8px;border-bottom:1px solid #ddd;text-align:right;vertical-align:middle}"
    "th{background:#eee}td.l,th.l{text-align:left}"
    ".legend span{display:inline-block;margin-right:1em}.legend i{display:inline-block;width:1em;height:1em;"
    "margin-right:.3em;vertical-align:middle}"
    "pre{background:#f7f7f4;padding:1em}ul.notes{color:#8a3b00}";

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string padded(const std::string& text, size_t width, bool right) {
    if (text.size() >= width) {
        return text;
    }
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

std::string jsonArray(const std::vector<std::string>& texts) {
    std::string json = "[";
    for (size_t i = 0; i < texts.size(); ++i) {
        json += (i ? ", \"" : "\"") + jsonEscaped(texts[i]) + "\"";
    }
    return json + "]";
}

std::string htmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
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
        } else if (const size_t length = u >= 0x80 ? ::utf8SequenceLength(text, i) : 0) {
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

}  // namespace crosscheck
