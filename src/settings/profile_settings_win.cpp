#include <windows.h>

#include "settings/profile_settings.h"

namespace torv::settings {

namespace contest = engine::contest;
using ports::kSettingsValueMax;

ProfileSettings::ProfileSettings(std::string fileName) : fileName_(std::move(fileName)) {}

std::string ProfileSettings::readText(const std::string& key, const std::string& defaultValue) {
    char buffer[kSettingsValueMax + 1] = {};
    const DWORD length = GetPrivateProfileStringA(contest::kSettingsSection, key.c_str(), defaultValue.c_str(), buffer,
                                                  sizeof buffer, fileName_.c_str());
    return std::string(buffer, length);
}

void ProfileSettings::writeText(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(contest::kSettingsSection, key.c_str(), value.c_str(), fileName_.c_str());
}

}  // namespace torv::settings
