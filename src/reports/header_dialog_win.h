// The Cabrillo header dialog on Windows: template 101, captioned "TORV".
#pragma once

#include "ports/header_dialog.h"

class Cabrillo : public torv::ports::HeaderDialog {
public:
    // Runs the dialog modally on the calling thread, owned by its active
    // window (the host's, when it has one).
    bool run(torv::ports::HeaderFields& fields) override;
};
