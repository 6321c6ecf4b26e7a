#include "infowin/info_windows_win.h"

#include "infowin/dxcc_win.h"
#include "infowin/oblast_win.h"

namespace torv::infowin {

using engine::ContestEngine;
using engine::WorkedBeforeState;
using ports::AreaView;
using ports::CallView;
using ports::Settings;

std::unique_ptr<CallView> openCallWindow(Settings& settings, ContestEngine& engine, WorkedBeforeState& state) {
    return std::make_unique<DXCC>(settings, engine, state);
}

std::unique_ptr<AreaView> openAreaWindow(Settings& settings) {
    return std::make_unique<oblast>(settings);
}

}  // namespace torv::infowin
