#include "assistant/assistant_core.h"

#include <cmath>
#include <initializer_list>

#include "engine/contest.h"
#include "engine/contest_engine.h"
#include "ports/settings.h"

namespace torv::assistant {

namespace contest = engine::contest;
using engine::ContactStore;
using engine::ContestEngine;
using engine::formatDateTime;
using engine::WorkedBeforeState;
using engine::WorkedRows;
using ports::Settings;

namespace {

// What a row shows for a band where the call was not worked.
constexpr const char* kNoTime = "   -";
constexpr const char* kNoMode = "   -";
constexpr const char* kNoArea = " -";

}  // namespace

// One of the two mode boxes, which act as a pair of radio buttons.
struct ModeChoice {
    const char* key;
    const char* otherKey;
    bool AssistantFlags::*flag;
    bool AssistantFlags::*otherFlag;
    std::initializer_list<const char*> commands;
};

namespace {

const ModeChoice kCw = {contest::kCwModeKey,
                        contest::kSsbModeKey,
                        &AssistantFlags::cw,
                        &AssistantFlags::ssb,
                        {"<MODE:CW>", "<BAUDRATE:27>"}};
const ModeChoice kSsb = {
    contest::kSsbModeKey, contest::kCwModeKey, &AssistantFlags::ssb, &AssistantFlags::cw, {"<MODE:SSB>"}};

}  // namespace

std::optional<int> bandIndexForFrequency(double hertz) {
    const double megahertz = std::trunc(hertz / 1000000.0);
    for (size_t index = 0; index < contest::kBandMegahertz.size(); ++index) {
        if (megahertz == contest::kBandMegahertz[index]) {
            return static_cast<int>(index);
        }
    }
    return std::nullopt;
}

AssistantCore::AssistantCore(Settings& settings, ContestEngine& engine, WorkedBeforeState& state,
                             AssistantWindow& window, std::unique_ptr<ports::HostLink> hostLink)
    : settings_(settings), engine_(engine), state_(state), window_(window), hostLink_(std::move(hostLink)) {}

AssistantCore::~AssistantCore() = default;

bool AssistantCore::send(std::initializer_list<const char*> commands) {
    if (hostLink_ == nullptr) {
        return false;
    }
    for (const char* command : commands) {
        if (!hostLink_->sendCommand(command)) {
            return false;
        }
    }
    return true;
}

void AssistantCore::initialise() {
    flags_.cw = settings_.readNumber(kCw.key) != 0;
    flags_.ssb = settings_.readNumber(kSsb.key) != 0;
    flags_.areaView = settings_.readNumber(contest::kViewAreaKey) != 0;
    flags_.callView = settings_.readNumber(contest::kViewCallKey) != 0;
    window_.showFlags(flags_);
    if (flags_.cw) {
        send(kCw.commands);
    } else if (flags_.ssb) {
        send(kSsb.commands);
    }
    // The info windows open on the first tick, once the host has answered.
    window_.armTick(contest::kViewTickDelayMs);
}

// The selected mode comes from the settings file: a click on it only sends
// its commands again; a click on the other one switches and stores.
void AssistantCore::selectMode(const ModeChoice& mode) {
    flags_.*mode.flag = settings_.readNumber(mode.key) != 0;
    if (!(flags_.*mode.flag)) {
        flags_.*mode.otherFlag = false;
        flags_.*mode.flag = true;
        window_.showFlags(flags_);
        settings_.writeText(mode.key, "1");
        settings_.writeText("Mode", "1");
        settings_.writeText(mode.otherKey, "0");
    } else {
        window_.showFlags(flags_);
    }
    send(mode.commands);
}

void AssistantCore::clickCw() {
    selectMode(kCw);
}

void AssistantCore::clickSsb() {
    selectMode(kSsb);
}

// Opens a closed info window or closes an open one, and stores the choice.
// The check box has already changed its own tick: the flags are not shown.
template <typename View, typename Open>
void toggleView(std::unique_ptr<View>& view, bool& flag, const char* key, Open open, AssistantWindow& window,
                Settings& settings) {
    if (view != nullptr) {
        view.reset();
        flag = false;
        settings.writeText(key, "0");
    } else {
        view = open();
        flag = true;
        window.armTick(contest::kViewTickDelayMs);
        settings.writeText(key, "1");
    }
}

void AssistantCore::clickArea() {
    toggleView(
        areaView_, flags_.areaView, contest::kViewAreaKey, [this] { return window_.openAreaView(); }, window_,
        settings_);
}

void AssistantCore::clickCall() {
    toggleView(
        callView_, flags_.callView, contest::kViewCallKey, [this] { return window_.openCallView(); }, window_,
        settings_);
}

void AssistantCore::openWantedViews() {
    if (flags_.areaView && areaView_ == nullptr) {
        areaView_ = window_.openAreaView();
        settings_.writeText(contest::kViewAreaKey, "1");
    }
    if (flags_.callView && callView_ == nullptr) {
        callView_ = window_.openCallView();
        settings_.writeText(contest::kViewCallKey, "1");
    }
}

bool AssistantCore::fillWorkedRows(const std::string& call) {
    // Under the store's lock: the host's thread may be adding contacts or
    // rebuilding the rows meanwhile. No host or window call happens here.
    return engine_.withStore([&call](ContactStore& store) {
        WorkedRows& rows = store.workedRows();
        for (const auto& row : rows) {
            if (row.size() != 4) {
                return false;  // no rescoring since the library loaded
            }
        }
        for (auto& row : rows) {
            row[1] = kNoTime;
            row[2] = kNoMode;
            row[3] = kNoArea;
        }
        if (call.empty()) {
            return true;
        }
        // The last contact with the call on a band wins, duplicates included.
        store.forEachContact([&](const CInfo& contact) {
            if (contact.call != call) {
                return;
            }
            for (size_t k = 0; k < contest::kBands.size(); ++k) {
                if (contact.band == contest::kBands[k]) {
                    rows[k][1] = formatDateTime(contact.time, "%H:%M");
                    rows[k][2] = contact.mode;
                    rows[k][3] = contact.area;
                }
            }
        });
        return true;
    });
}

void AssistantCore::tick() {
    window_.killTick();
    if (hostLink_ == nullptr) {
        return;
    }
    openWantedViews();

    state_.setCurrentCall(std::string());
    std::string call;
    if (!hostLink_->enteredCall(call)) {
        return;
    }
    state_.setCurrentCall(call);
    if (call.size() == 1 || call.size() == 2) {
        return;  // too short to look up: the windows keep what they show
    }
    if (!fillWorkedRows(call)) {
        return;
    }
    if (callView_ != nullptr) {
        callView_->setCaption(call.empty() ? std::string("CALL") : std::string(contest::kWorkedWithCaption) + call);
    }

    double hertz = 0.0;
    if (!hostLink_->frequency(hertz)) {
        return;
    }
    if (std::fabs(hertz - state_.lastFrequency()) > contest::kRetuneThresholdHertz) {
        if (!hostLink_->sendCommand("<SP1>")) {
            return;
        }
        state_.setLastFrequency(hertz);
    }
    const std::optional<int> band = bandIndexForFrequency(hertz);
    if (!band) {
        return;
    }
    state_.setBandIndex(*band);
    if (areaView_ != nullptr) {
        areaView_->setCaption("Area ");
        areaView_->markAreas(engine_.withStore([](const ContactStore& store) { return store.workedAreas(); }));
    }
    if (callView_ != nullptr) {
        callView_->refreshGrid();
    }
}

}  // namespace torv::assistant
