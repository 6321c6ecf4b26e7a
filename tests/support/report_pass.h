// The report pass: a scoring pass started with an export, as an operator
// exports the log, with the header dialog confirmed unchanged, edited, or
// cancelled. Natively and under wine the same pass must leave the same
// summary, settings file and Cabrillo file.
#pragma once

#include <string>
#include <vector>

#include "engine/contact.h"
#include "ports/header_dialog.h"
#include "support/scoring_pass.h"

// The contestant of the report pass; its slash makes the file PY2ZZ_P.cbr.
extern const char* const kReportPassCall;
extern const char* const kReportPassCabrilloFile;

// Plugins/TORV.ini before the pass: every key the pass writes is present and
// in the profile functions' own layout, so that the portable implementation
// and the platform's leave byte-identical files.
extern const char* const kReportPassInitialSettings;

// What the operator types into the header dialog in the edited pass: the
// control and the field it sets.
struct HeaderEdit {
    int controlId;
    std::string torv::ports::HeaderFields::*field;
    const char* text;
};
const std::vector<HeaderEdit>& reportPassEdits();

// A host contact as the engine receives it.
torv::engine::ContactFields toContactFields(const HostContact& contact);
