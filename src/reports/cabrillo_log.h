// The report object: the Cabrillo header fields kept for the life of the
// library, the QSO lines of the current export, and the Cabrillo 3.0 writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/contact.h"
#include "ports/header_dialog.h"

namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::reports {

struct CabrilloOutcome {
    bool written = false;
    std::string message;  // what the operator is told
};

class CCabrilloLog {
public:
    // Loads the header from the settings file, lets the operator confirm it,
    // and on OK stores it back; returns true when confirmed. The file base
    // name comes from the contestant's call sign, not from the dialog. On any
    // other ending nothing is stored (the caller then exports nothing); the
    // loaded fields are still brought into the writer's form.
    bool EditHeader(const std::string& contestantCall, ports::Settings& settings, ports::HeaderDialog& dialog);

    // Formats one contact as a QSO line (cabrilloQsoLine, with the header's
    // call sign) and keeps it for the next file.
    void AddQsoLine(const CInfo& contact);
    // Forgets the QSO lines, so that an export starts from none.
    void ClearQsoLines() { qsoLines_.clear(); }

    // Writes "<file base name>.cbr" in the folder ("" for the current one)
    // from the header, the claimed score and the QSO lines. hostVersion is
    // the host's version text, when its executable was found.
    CabrilloOutcome WriteCabrillo(const std::string& folder, const std::optional<std::string>& hostVersion) const;

    // The file as WriteCabrillo writes it.
    std::string CabrilloText(const std::optional<std::string>& hostVersion) const;

    ports::HeaderFields header;  // operators and soapbox already in output form
    std::string fileBaseName;
    int32_t claimedScore = 0;

private:
    std::vector<std::string> qsoLines_;
};

// One QSO line of the Cabrillo file, line end included: frequency in kHz,
// mode code, date and time, the own call, the sent and received reports and
// exchanges; every field made one line, none cut.
std::string cabrilloQsoLine(const CInfo& contact, const std::string& ownCall);

// The Cabrillo file's base name for a call sign: every "/" and "\" made "_",
// white space trimmed at both ends, "TLKC" when nothing is left.
std::string cabrilloFileBaseName(const std::string& call);

// Every occurrence of find, left to right and without overlap, replaced;
// replaced text is not searched again.
std::string replaceAll(std::string text, const std::string& find, const std::string& replacement);

}  // namespace torv::reports
