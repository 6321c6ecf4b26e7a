// The Cabrillo header fields and the dialog in which the operator confirms
// them before an export.
#pragma once

#include <string>

namespace torv::ports {

// The header fields, in the order the dialog exchanges them with its
// controls. Plain texts; power has no control and passes through.
struct HeaderFields {
    std::string callsign;
    std::string claimed;  // shown only: the written score is always the computed one
    std::string club;
    std::string category;
    std::string contest;
    std::string email;
    std::string name;
    std::string operators;
    std::string soapbox;
    std::string address;
    std::string band;
    std::string power;
    std::string location;
    std::string transmitter;
    std::string city;
    std::string postalCode;
    std::string country;
};

class HeaderDialog {
public:
    virtual ~HeaderDialog() = default;
    // Shows the fields for editing; true (and the edited fields) on OK,
    // false on any other ending, with the fields left as they were.
    virtual bool run(HeaderFields& fields) = 0;
};

// Without a screen: the operator confirms the header unchanged.
class ConfirmingHeaderDialog : public HeaderDialog {
public:
    bool run(HeaderFields&) override { return true; }
};

}  // namespace torv::ports
