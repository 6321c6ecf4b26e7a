#include "support/report_pass.h"

#include "resource.h"

using torv::abi::DateTimeArg;
using torv::abi::kDateTimeNull;
using torv::engine::ContactFields;
using torv::ports::HeaderFields;

const char* const kReportPassCall = "PY2ZZ/P";
const char* const kReportPassCabrilloFile = "PY2ZZ_P.cbr";

const char* const kReportPassInitialSettings =
    "[Settings]\r\n"
    "Operators=PY2ZZ<CR><LF>PY2XX\r\n"
    "Name=Ana Souza\r\n"
    "Address=Rua das Flores 10\r\n"
    "Address-City=Campinas\r\n"
    "Address-PostalCode=13010-000\r\n"
    "Address-Country=Brazil\r\n"
    "Claimed=77\r\n"
    "Band=20M\r\n"
    "Power=LOW\r\n"
    "Loc=SP\r\n"
    "Email=py2zz@example.org\r\n"
    "Club=Clube de Radio\r\n"
    "SoapBox=Bom concurso<CR><LF>73\r\n"
    "Category=QRP\r\n"
    "Contest=TORV\r\n"
    "Start=0\r\n";

const std::vector<HeaderEdit>& reportPassEdits() {
    static const std::vector<HeaderEdit> edits = {
        {IDC_CALLSIGN, &HeaderFields::callsign, "PY2ZZ"},
        {IDC_NAME, &HeaderFields::name, "Joana Silva"},
        {IDC_CATEGORY_OPERATOR, &HeaderFields::category, "MULTI-OP"},
        {IDC_CATEGORY_TRANSMITTER, &HeaderFields::transmitter, "TWO"},
        {IDC_CATEGORY_BAND, &HeaderFields::band, "40M"},
        {IDC_OPERATORS, &HeaderFields::operators, "PY2ZZ\r\nPY2YY\r\nPY2WW"},
        {IDC_SOAPBOX, &HeaderFields::soapbox, "Primeira linha\r\nSegunda linha"},
        {IDC_CLAIMED, &HeaderFields::claimed, "999999"},
        {IDC_CONTEST, &HeaderFields::contest, "TORV 2015"},
    };
    return edits;
}

ContactFields toContactFields(const HostContact& contact) {
    ContactFields fields;
    fields.ownCall = contact.ownCall;
    fields.call = contact.call;
    fields.qsoTime = contact.nullTime ? DateTimeArg{0.0, kDateTimeNull} : contact.time;
    fields.frequency = contact.frequency;
    fields.mode = contact.mode;
    fields.rstSent = contact.rstSent;
    fields.rstReceived = contact.rstReceived;
    fields.exchangeSent = contact.exchangeSent;
    fields.exchangeReceived = contact.exchangeReceived;
    fields.prefix = contact.prefix;
    fields.auxText = contact.auxText;
    fields.band = contact.band;
    return fields;
}
