// The host's automation object, "Pelk2.Application", as the simulator serves
// it: the radio frequency (dispatch id 2), the call in the entry field (id 8
// with 5) and a log of the command texts it was asked to carry out (id 16).
//
// The object lives in the apartment of the thread that creates and registers
// it. From a single-threaded apartment (the simulator's main thread, or a
// test's), calls from other threads are marshalled there and answered only
// while that thread pumps messages, exactly as with the real host; from the
// multithreaded apartment they are answered on the system's RPC threads,
// whatever the registering thread does.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "win/scoped_win.h"

namespace pelksim {

// The simulator's class id for "Pelk2.Application"; the real host's is of no
// concern, clients only ever look the ProgID up.
extern const CLSID kSimulatedHostClsid;
constexpr char kHostProgIdText[] = "Pelk2.Application";

class HostAutomation final : public IDispatch {
public:
    static constexpr DISPID kFrequencyId = 2;
    static constexpr DISPID kFieldTextId = 8;
    static constexpr DISPID kCommandId = 16;
    static constexpr LONG kCallField = 5;

    // A new object; the returned pointer holds its one reference.
    static torv::win::ScopedComPtr<HostAutomation> create();

    // IUnknown: IUnknown and IDispatch only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, by dispatch id only: no type information, no names.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    // Answers after the answer delay. Id 2 (property get, no argument):
    // VT_R8 hertz. Id 8 (method, one VT_I4): with 5 the entry-field call,
    // otherwise "", as VT_BSTR. Id 16 (method, one VT_BSTR): logs the text;
    // "<MODE:X>" also sets the radio mode. Arguments must have exactly these
    // types (no coercion), so a caller that passes anything else is caught:
    // DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH (argument 0),
    // DISP_E_NONAMEDARGS; other ids or a wrong kind of call:
    // DISP_E_MEMBERNOTFOUND.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

    // The host's state, from any thread.
    void setFrequency(double hertz);
    double frequency() const;
    void setEnteredCall(const std::wstring& call);
    std::wstring enteredCall() const;
    void setMode(const std::string& mode);
    std::string mode() const;
    // How long each Invoke waits before answering, as a busy host would: of
    // one member, or of every member (which drops the members' own delays).
    void setAnswerDelay(DWORD milliseconds, DISPID member = kEveryMember);
    static constexpr DISPID kEveryMember = DISPID_UNKNOWN;
    // Every command text received, in order.
    std::vector<std::wstring> commands() const;
    // How many Invoke calls were answered (whatever their outcome).
    long invocations() const;
    // The call log: every Invoke as it began and as it answered, in order.
    struct CallEvent {
        DISPID member;
        bool answered;  // false: the call began
    };
    std::vector<CallEvent> callLog() const;

    // Objects created and not yet destroyed, for reference-count checks.
    static long liveObjects();

private:
    HostAutomation();
    ~HostAutomation();
    HRESULT answer(DISPID id, WORD flags, const DISPPARAMS& parameters, VARIANT* result, UINT* badArgument);
    // A command sent to the host: logged, and a "<MODE:...>" switches the mode.
    void takeCommand(const std::wstring& command);

    std::atomic<LONG> references_{1};
    mutable std::mutex mutex_;
    double frequency_ = 14025000.0;
    std::wstring enteredCall_;
    std::string mode_ = "CW";
    DWORD answerDelay_ = 0;
    std::vector<std::pair<DISPID, DWORD>> memberDelays_;
    std::vector<CallEvent> callLog_;
    std::vector<std::wstring> commands_;
    std::atomic<long> invocations_{0};
};

// The ProgID "Pelk2.Application" pointing to a class id, written for the
// current user (HKCU\Software\Classes, no administrator rights needed); on a
// system whose merged classes root does not show the user's classes (wine),
// also in HKEY_CLASSES_ROOT itself. The destructor removes what it created
// and restores a value it replaced.
class ProgIdRegistration {
public:
    explicit ProgIdRegistration(const CLSID& clsid);
    ~ProgIdRegistration();
    ProgIdRegistration(const ProgIdRegistration&) = delete;
    ProgIdRegistration& operator=(const ProgIdRegistration&) = delete;

    // True when CLSIDFromProgID now gives the class id.
    bool registered() const { return registered_; }
    const std::string& error() const { return error_; }
    // Removes the registration now (the destructor then does nothing).
    void remove();

private:
    struct Written {
        HKEY root;
        std::string progIdPath;  // the ProgID's key under root
        bool createdProgId;      // the ProgID key did not exist before
        bool hadValue;           // the CLSID key held a value before
        std::string previous;    // that value
    };
    bool write(HKEY root, const std::string& progIdPath, const std::string& clsidText);

    std::vector<Written> written_;
    bool registered_ = false;
    std::string error_;
};

// The host as other threads and processes see it: the object registered in
// the running-object table (ACTIVEOBJECT_STRONG) and its ProgID. Construct
// on an STA thread that pumps messages.
class AutomationServer {
public:
    explicit AutomationServer(torv::win::ScopedComPtr<HostAutomation> object);
    ~AutomationServer();
    AutomationServer(const AutomationServer&) = delete;
    AutomationServer& operator=(const AutomationServer&) = delete;

    // False (with error()) when the ProgID or the running object could not
    // be registered.
    bool running() const { return cookie_ != 0 && progId_.registered(); }
    const std::string& error() const { return error_; }
    HostAutomation& host() const { return *object_.get(); }

    // The host quits: the object leaves the running-object table and every
    // client's proxy is cut off, so their calls fail at once. The ProgID
    // stays registered, as an installed host's does.
    void disappear();
    // Removes the ProgID registration now (also done on destruction).
    void unregister() { progId_.remove(); }

private:
    torv::win::ScopedComPtr<HostAutomation> object_;
    ProgIdRegistration progId_;
    DWORD cookie_ = 0;
    std::string error_;
};

// "0x80004005"-style text of an HRESULT, for error messages.
std::string hresultText(HRESULT hr);

}  // namespace pelksim
