// The settings file without the platform's profile functions: a small INI
// reader and writer that behaves like them as far as this plug-in can see.
#pragma once

#include <optional>
#include <string>

#include "ports/settings.h"

namespace torv::settings {

class IniSettings : public ports::Settings {
public:
    // path: the INI file, e.g. "Plugins/TORV.ini"; the section is "Settings".
    explicit IniSettings(std::string path);
    std::string readText(const std::string& key, const std::string& defaultValue = std::string()) override;
    void writeText(const std::string& key, const std::string& value) override;

private:
    std::string path_;
};

// What IniSettings::readText returns for the key from a file holding these
// bytes (none: no file).
std::string iniSettingsValue(const std::optional<std::string>& fileBytes, const std::string& key,
                             const std::string& defaultValue = std::string());

// Whether the file holds the section the settings live in, "[Settings]".
bool iniHasSettingsSection(const std::string& fileBytes);

}  // namespace torv::settings
