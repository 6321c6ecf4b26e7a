#include "hostsim/automation_server_win.h"

#include <cstdio>

#include "hostsim/ansi_text_win.h"

using torv::win::ScopedBstr;
using torv::win::ScopedComPtr;

namespace pelksim {

// {B5D3E0A1-6F2C-4E8B-9C71-2A4F8D0E5C13}, made up for the simulator.
const CLSID kSimulatedHostClsid = {0xb5d3e0a1, 0x6f2c, 0x4e8b, {0x9c, 0x71, 0x2a, 0x4f, 0x8d, 0x0e, 0x5c, 0x13}};

namespace {

std::atomic<long> liveHostObjects{0};

constexpr char kUserClassesPath[] = "Software\\Classes\\";

std::string clsidText(const CLSID& clsid) {
    wchar_t wide[40] = {};
    StringFromGUID2(clsid, wide, 40);
    return ansiFromWide(wide);
}

// The default value of a key, false when it has none.
bool readDefaultValue(HKEY key, std::string& value) {
    char buffer[256] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    value.assign(buffer);
    return true;
}

// The ProgID's class id as written in the machine's classes (where wine
// keeps what is written to HKEY_CLASSES_ROOT); "" when there is none.
std::string machineClassId() {
    HKEY key = nullptr;
    const std::string path = std::string("Software\\Classes\\") + kHostProgIdText + "\\CLSID";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    std::string value;
    readDefaultValue(key, value);
    RegCloseKey(key);
    return value;
}

bool progIdGives(const CLSID& expected) {
    CLSID found{};
    const std::wstring progId = wideFromAnsi(kHostProgIdText);
    return SUCCEEDED(CLSIDFromProgID(progId.c_str(), &found)) && IsEqualCLSID(found, expected);
}

}  // namespace

std::string hresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// --- HostAutomation ---------------------------------------------------------

HostAutomation::HostAutomation() {
    ++liveHostObjects;
}

HostAutomation::~HostAutomation() {
    --liveHostObjects;
}

ScopedComPtr<HostAutomation> HostAutomation::create() {
    return ScopedComPtr<HostAutomation>(new HostAutomation());
}

long HostAutomation::liveObjects() {
    return liveHostObjects;
}

HRESULT STDMETHODCALLTYPE HostAutomation::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HostAutomation::AddRef() {
    return static_cast<ULONG>(++references_);
}

ULONG STDMETHODCALLTYPE HostAutomation::Release() {
    const LONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE HostAutomation::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostAutomation::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE HostAutomation::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    for (UINT i = 0; ids != nullptr && i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE HostAutomation::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                                 VARIANT* result, EXCEPINFO*, UINT* badArgument) {
    ++invocations_;
    DWORD delay = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        callLog_.push_back({id, false});
        delay = answerDelay_;
        for (const auto& [member, memberDelay] : memberDelays_) {
            if (member == id) {
                delay = memberDelay;
            }
        }
    }
    if (delay > 0) {
        // Deliberately without pumping: a busy host answers nothing meanwhile.
        Sleep(delay);
    }
    const DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr = IsEqualIID(iid, IID_NULL)
                           ? answer(id, flags, parameters != nullptr ? *parameters : none, result, badArgument)
                           : DISP_E_UNKNOWNINTERFACE;
    std::lock_guard<std::mutex> lock(mutex_);
    callLog_.push_back({id, true});
    return hr;
}

namespace {

// Whether a call of member id has the form the real host accepts: its kind
// (property or method), no named arguments, the count and type of its
// arguments. S_OK, or the error the host gives.
HRESULT checkedCall(DISPID id, WORD flags, const DISPPARAMS& parameters, UINT* badArgument) {
    const WORD kind = id == HostAutomation::kFrequencyId ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    const UINT arguments = id == HostAutomation::kFrequencyId ? 0 : 1;
    if (id != HostAutomation::kFrequencyId && id != HostAutomation::kFieldTextId && id != HostAutomation::kCommandId) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if ((flags & kind) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (parameters.cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (parameters.cArgs != arguments) {
        return DISP_E_BADPARAMCOUNT;
    }
    const VARTYPE expected = id == HostAutomation::kFieldTextId ? VT_I4 : VT_BSTR;
    if (arguments == 1 && V_VT(&parameters.rgvarg[0]) != expected) {
        if (badArgument != nullptr) {
            *badArgument = 0;
        }
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

}  // namespace

HRESULT HostAutomation::answer(DISPID id, WORD flags, const DISPPARAMS& parameters, VARIANT* result,
                               UINT* badArgument) {
    if (const HRESULT checked = checkedCall(id, flags, parameters, badArgument); checked != S_OK) {
        return checked;
    }
    if (id == kFrequencyId) {
        if (result != nullptr) {
            VariantInit(result);
            V_VT(result) = VT_R8;
            V_R8(result) = frequency();
        }
        return S_OK;
    }
    if (id == kFieldTextId) {
        if (result != nullptr) {
            ScopedBstr text(V_I4(&parameters.rgvarg[0]) == kCallField ? enteredCall() : std::wstring());
            if (!text.allocated()) {
                return E_OUTOFMEMORY;
            }
            VariantInit(result);
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = text.release();
        }
        return S_OK;
    }
    const BSTR text = V_BSTR(&parameters.rgvarg[0]);
    takeCommand(std::wstring(text != nullptr ? text : L"", text != nullptr ? SysStringLen(text) : 0));
    if (result != nullptr) {
        VariantInit(result);
    }
    return S_OK;
}

void HostAutomation::takeCommand(const std::wstring& command) {
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.push_back(command);
    // The host switches its radio's mode on "<MODE:CW>" and the like.
    const std::wstring prefix = L"<MODE:";
    if (command.size() > prefix.size() + 1 && command.compare(0, prefix.size(), prefix) == 0 &&
        command.back() == L'>') {
        const std::wstring mode = command.substr(prefix.size(), command.size() - prefix.size() - 1);
        mode_ = ansiFromWide(mode);
    }
}

void HostAutomation::setFrequency(double hertz) {
    std::lock_guard<std::mutex> lock(mutex_);
    frequency_ = hertz;
}

double HostAutomation::frequency() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frequency_;
}

void HostAutomation::setEnteredCall(const std::wstring& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    enteredCall_ = call;
}

std::wstring HostAutomation::enteredCall() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return enteredCall_;
}

void HostAutomation::setMode(const std::string& mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    mode_ = mode;
}

std::string HostAutomation::mode() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return mode_;
}

void HostAutomation::setAnswerDelay(DWORD milliseconds, DISPID member) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (member == kEveryMember) {
        answerDelay_ = milliseconds;
        memberDelays_.clear();
        return;
    }
    for (auto& [delayed, delay] : memberDelays_) {
        if (delayed == member) {
            delay = milliseconds;
            return;
        }
    }
    memberDelays_.emplace_back(member, milliseconds);
}

std::vector<HostAutomation::CallEvent> HostAutomation::callLog() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return callLog_;
}

std::vector<std::wstring> HostAutomation::commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

long HostAutomation::invocations() const {
    return invocations_;
}

// --- ProgIdRegistration -----------------------------------------------------

ProgIdRegistration::ProgIdRegistration(const CLSID& clsid) {
    const std::string text = clsidText(clsid);
    if (!write(HKEY_CURRENT_USER, std::string(kUserClassesPath) + kHostProgIdText, text)) {
        return;
    }
    // A value of ours left in the classes root by a simulator that did not
    // end cleanly is taken over too, so that it goes with this registration.
    const bool leftOver = machineClassId() == text;
    if ((leftOver || !progIdGives(clsid)) && !write(HKEY_CLASSES_ROOT, kHostProgIdText, text)) {
        return;
    }
    registered_ = progIdGives(clsid);
    if (!registered_) {
        error_ = std::string("CLSIDFromProgID does not find the registered ") + kHostProgIdText;
    }
}

ProgIdRegistration::~ProgIdRegistration() {
    remove();
}

bool ProgIdRegistration::write(HKEY root, const std::string& progIdPath, const std::string& clsidText) {
    HKEY progIdKey = nullptr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExA(root, progIdPath.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &progIdKey,
                                  &disposition);
    if (status != ERROR_SUCCESS) {
        error_ = "cannot create the registry key " + progIdPath + ": error " + std::to_string(status);
        return false;
    }
    HKEY clsidKey = nullptr;
    status = RegCreateKeyExA(progIdKey, "CLSID", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &clsidKey, nullptr);
    RegCloseKey(progIdKey);
    if (status != ERROR_SUCCESS) {
        error_ = "cannot create the registry key " + progIdPath + "\\CLSID: error " + std::to_string(status);
        return false;
    }
    Written written{root, progIdPath, disposition == REG_CREATED_NEW_KEY, false, std::string()};
    written.hadValue = readDefaultValue(clsidKey, written.previous);
    if (written.hadValue && written.previous == clsidText) {
        // Left over by a simulator that did not end cleanly: ours to remove.
        written.createdProgId = true;
        written.hadValue = false;
    }
    status = RegSetValueExA(clsidKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsidText.c_str()),
                            static_cast<DWORD>(clsidText.size() + 1));
    RegCloseKey(clsidKey);
    written_.push_back(written);
    if (status != ERROR_SUCCESS) {
        error_ = "cannot write the registry value " + progIdPath + "\\CLSID: error " + std::to_string(status);
        return false;
    }
    return true;
}

void ProgIdRegistration::remove() {
    for (auto it = written_.rbegin(); it != written_.rend(); ++it) {
        if (it->createdProgId) {
            RegDeleteTreeA(it->root, it->progIdPath.c_str());
            continue;
        }
        HKEY clsidKey = nullptr;
        const std::string path = it->progIdPath + "\\CLSID";
        if (RegOpenKeyExA(it->root, path.c_str(), 0, KEY_WRITE, &clsidKey) != ERROR_SUCCESS) {
            continue;
        }
        if (it->hadValue) {
            RegSetValueExA(clsidKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(it->previous.c_str()),
                           static_cast<DWORD>(it->previous.size() + 1));
        } else {
            RegDeleteValueA(clsidKey, nullptr);
        }
        RegCloseKey(clsidKey);
    }
    written_.clear();
    registered_ = false;
}

// --- AutomationServer -------------------------------------------------------

AutomationServer::AutomationServer(ScopedComPtr<HostAutomation> object)
    : object_(std::move(object)), progId_(kSimulatedHostClsid) {
    if (!progId_.registered()) {
        error_ = progId_.error();
        return;
    }
    const HRESULT hr = RegisterActiveObject(static_cast<IDispatch*>(object_.get()), kSimulatedHostClsid,
                                            ACTIVEOBJECT_STRONG, &cookie_);
    if (FAILED(hr)) {
        cookie_ = 0;
        error_ = "RegisterActiveObject failed: " + hresultText(hr);
    }
}

AutomationServer::~AutomationServer() {
    disappear();
}

void AutomationServer::disappear() {
    if (cookie_ != 0) {
        RevokeActiveObject(cookie_, nullptr);
        cookie_ = 0;
    }
    // Cuts off the proxies clients still hold; their next call fails.
    CoDisconnectObject(static_cast<IDispatch*>(object_.get()), 0);
}

}  // namespace pelksim
