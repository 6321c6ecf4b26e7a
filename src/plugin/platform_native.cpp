// The ports of libStats.so: the settings file through the portable INI
// implementation, message boxes recorded, the header confirmed unchanged,
// no assistant (it needs windows), no host executable to read a version from.
#include "engine/contest.h"
#include "plugin/module.h"
#include "settings/ini_settings.h"

namespace torv::plugin {

namespace contest = engine::contest;

PlatformPorts makePlatformPorts() {
    return headlessPorts(std::make_unique<settings::IniSettings>(contest::portableSettingsFile()));
}

// A shared object runs no message loop of ours.
ExportScope::ExportScope() noexcept : token_(0) {}

ExportScope::~ExportScope() = default;

}  // namespace torv::plugin
