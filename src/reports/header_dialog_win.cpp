#include "reports/header_dialog_win.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/contest.h"
#include "resource.h"
#include "win/dialog_win.h"
#include "win/export_call_win.h"
#include "win/plugin_module_win.h"

namespace contest = torv::engine::contest;
using torv::ports::HeaderFields;
using torv::win::dialogProcedure;
using torv::win::holdPluginModuleDuringExport;
using torv::win::pluginModule;

namespace {

// The items of a drop-down list, none for an edit.
class ItemList {
public:
    constexpr ItemList() = default;
    template <size_t N>
    constexpr ItemList(const std::array<const char*, N>& items) : first_(items.data()), count_(N) {}
    const char* const* begin() const { return first_; }
    const char* const* end() const { return first_ + count_; }
    size_t size() const { return count_; }

private:
    const char* const* first_ = nullptr;
    size_t count_ = 0;
};

// How each control exchanges its text with its field.
struct FieldControl {
    int id;
    std::string HeaderFields::*field;
    ItemList items;
};

// In the order of the fields; the power field has no control.
const FieldControl kFieldControls[] = {
    {IDC_CALLSIGN, &HeaderFields::callsign, {}},
    {IDC_CLAIMED, &HeaderFields::claimed, {}},
    {IDC_CLUB, &HeaderFields::club, {}},
    {IDC_CATEGORY_OPERATOR, &HeaderFields::category, contest::kOperatorCategoryItems},
    {IDC_CONTEST, &HeaderFields::contest, {}},
    {IDC_EMAIL, &HeaderFields::email, {}},
    {IDC_NAME, &HeaderFields::name, {}},
    {IDC_OPERATORS, &HeaderFields::operators, {}},
    {IDC_SOAPBOX, &HeaderFields::soapbox, {}},
    {IDC_ADDRESS, &HeaderFields::address, {}},
    {IDC_CATEGORY_BAND, &HeaderFields::band, contest::kBandCategoryItems},
    {IDC_LOCATION, &HeaderFields::location, {}},
    {IDC_CATEGORY_TRANSMITTER, &HeaderFields::transmitter, contest::kTransmitterItems},
    {IDC_ADDRESS_CITY, &HeaderFields::city, {}},
    {IDC_ADDRESS_POSTALCODE, &HeaderFields::postalCode, {}},
    {IDC_ADDRESS_COUNTRY, &HeaderFields::country, {}},
};

std::string controlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
    return text;
}

// Fields to controls: an edit shows its text; a drop-down list selects its
// first item that begins with the text (case-insensitive), else shows the
// text in its edit part.
void showFields(HWND dialog, const HeaderFields& fields) {
    for (const FieldControl& control : kFieldControls) {
        const std::string& text = fields.*control.field;
        if (control.items.size() == 0) {
            SetDlgItemTextA(dialog, control.id, text.c_str());
            continue;
        }
        for (const char* item : control.items) {
            SendDlgItemMessageA(dialog, control.id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        if (SendDlgItemMessageA(dialog, control.id, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text.c_str())) == CB_ERR) {
            SetDlgItemTextA(dialog, control.id, text.c_str());
        }
    }
}

// Controls to fields, whatever was typed into a drop-down list's edit part.
// The claimed score is shown only.
void takeFields(HWND dialog, HeaderFields& fields) {
    for (const FieldControl& control : kFieldControls) {
        if (control.field != &HeaderFields::claimed) {
            fields.*control.field = controlText(dialog, control.id);
        }
    }
}

INT_PTR headerMessage(HeaderFields& fields, HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            showFields(dialog, fields);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                takeFields(dialog, fields);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// A broken dialog is cancelled.
INT_PTR headerFailed(HWND dialog) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
}

}  // namespace

bool Cabrillo::run(HeaderFields& fields) {
    HeaderFields edited = fields;
    // The dialog's modal loop may dispatch the host's FreeLibrary.
    holdPluginModuleDuringExport();
    const INT_PTR result =
        DialogBoxParamA(pluginModule(), MAKEINTRESOURCEA(IDD_CABRILLO), GetActiveWindow(),
                        dialogProcedure<HeaderFields, headerMessage, headerFailed>, reinterpret_cast<LPARAM>(&edited));
    if (result != IDOK) {
        return false;
    }
    fields = edited;
    return true;
}
