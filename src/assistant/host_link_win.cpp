// The host link over OLE Automation: the running "Pelk2.Application" object,
// reached by dispatch id only (the host publishes no type library to ask for
// names). Each call is marshalled to the host's main thread and waits there
// until the host pumps its messages; a host that went away makes the call
// fail, which the caller takes as "give up quietly".
#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include "assistant/host_connection.h"
#include "assistant/host_link_win.h"

namespace torv::assistant {

using win::ScopedBstr;
using win::ScopedComPtr;
using win::ScopedExcepInfo;
using win::ScopedVariant;

namespace {

constexpr wchar_t kHostProgId[] = L"Pelk2.Application";

// The host's dispatch ids.
constexpr DISPID kFrequencyId = 2;   // property: the radio frequency in hertz
constexpr DISPID kEntryFieldId = 8;  // method(field): the text of one of the host's fields
constexpr DISPID kCommandId = 16;    // method(text): carry out a command text
constexpr LONG kCallEntryField = 5;  // the field that holds the call being entered

class DispatchHostLink : public ports::HostLink {
public:
    explicit DispatchHostLink(ScopedComPtr<IDispatch> host) : host_(std::move(host)) {}

    bool frequency(double& hertz) override {
        ScopedVariant result;
        if (!invoke(kFrequencyId, DISPATCH_PROPERTYGET, nullptr, 0, result)) {
            return false;
        }
        if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_R8))) {
            return false;
        }
        hertz = V_R8(result.get());
        return true;
    }

    bool enteredCall(std::string& call) override {
        ScopedVariant field = ScopedVariant::ofInteger(kCallEntryField);
        ScopedVariant result;
        if (!invoke(kEntryFieldId, DISPATCH_METHOD, field.get(), 1, result)) {
            return false;
        }
        // The host answers in UTF-16; the plug-in works in the thread's ANSI
        // code page, like the texts the host passes to the exports.
        call = result.type() == VT_BSTR ? codePageFromBstr(V_BSTR(result.get()), CP_THREAD_ACP) : std::string();
        return true;
    }

    bool sendCommand(const std::string& command) override {
        ScopedBstr text(wideFromCodePage(command, CP_THREAD_ACP));
        if (!text.allocated()) {
            return false;
        }
        ScopedVariant argument = ScopedVariant::ofString(std::move(text));
        ScopedVariant result;
        return invoke(kCommandId, DISPATCH_METHOD, argument.get(), 1, result);
    }

private:
    // Positional arguments only; DISPPARAMS holds them last first, which for
    // the host's one-argument members changes nothing.
    bool invoke(DISPID id, WORD flags, VARIANT* arguments, UINT count, ScopedVariant& result) {
        DISPPARAMS parameters{arguments, nullptr, count, 0};
        ScopedExcepInfo exception;
        UINT badArgument = 0;
        const HRESULT hr = host_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result.get(),
                                         exception.get(), &badArgument);
        return SUCCEEDED(hr);
    }

    ScopedComPtr<IDispatch> host_;
};

}  // namespace

std::unique_ptr<ports::HostLink> connectToHost() {
    CLSID hostClass{};
    if (FAILED(CLSIDFromProgID(kHostProgId, &hostClass))) {
        return nullptr;
    }
    ScopedComPtr<IUnknown> running;
    if (FAILED(GetActiveObject(hostClass, nullptr, running.put())) || !running) {
        return nullptr;
    }
    ScopedComPtr<IDispatch> host;
    if (FAILED(running->QueryInterface(IID_IDispatch, host.putVoid())) || !host) {
        return nullptr;
    }
    // The first reference goes when `running` does; the link keeps `host`.
    return std::make_unique<DispatchHostLink>(std::move(host));
}

}  // namespace torv::assistant
