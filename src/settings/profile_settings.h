// The settings file through GetPrivateProfileStringA and
// WritePrivateProfileStringA, one call per key access (Windows only).
#pragma once

#include <string>

#include "engine/contest.h"
#include "ports/settings.h"

namespace torv::settings {

class ProfileSettings : public ports::Settings {
public:
    explicit ProfileSettings(std::string fileName = engine::contest::kSettingsFile);
    std::string readText(const std::string& key, const std::string& defaultValue = std::string()) override;
    void writeText(const std::string& key, const std::string& value) override;

private:
    std::string fileName_;
};

}  // namespace torv::settings
