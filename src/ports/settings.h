// The plug-in's settings: section "Settings" of "Plugins\TORV.ini" in the
// host's current folder. Every access goes to the file; nothing is cached.
#pragma once

#include <string>

namespace torv::ports {

class Settings {
public:
    virtual ~Settings() = default;

    // The stored value cut to its first 99 characters, or defaultValue when
    // the key (or the file) is missing.
    virtual std::string readText(const std::string& key, const std::string& defaultValue = std::string()) = 0;

    // Stores the value; the file, section and key are made when missing.
    // A write that fails is ignored.
    virtual void writeText(const std::string& key, const std::string& value) = 0;

    // readText, then the decimal rule of parseSettingsNumber: a missing key reads 0.
    int readNumber(const std::string& key) { return parseSettingsNumber(readText(key)); }

    // Optional leading white space, an optional sign, then decimal digits up
    // to the first other character; no digits give 0. Values beyond the
    // 32-bit range saturate.
    static int parseSettingsNumber(const std::string& text);
};

constexpr size_t kSettingsValueMax = 99;

}  // namespace torv::ports
