// The settings file without the platform's profile functions: a small INI
// reader and writer that behaves like them as far as this plug-in can see.
#pragma once

#include <string>

#include "ports/settings.h"

class IniSettings : public Settings {
public:
    // path: the INI file, e.g. "Plugins/TORV.ini"; the section is "Settings".
    explicit IniSettings(std::string path);
    std::string readText(const std::string& key, const std::string& defaultValue = std::string()) override;
    void writeText(const std::string& key, const std::string& value) override;

private:
    std::string path_;
};
