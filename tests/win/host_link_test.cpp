// Stats.dll's link to the host (connectToHost and the HostLink it returns),
// used from a thread of its own as the assistant uses it, against the host
// simulator's automation object served on this test's main thread, which
// pumps messages meanwhile as the host's main thread does.
#include <windows.h>

#include <ole2.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "assistant/host_connection.h"
#include "hostsim/automation_server_win.h"
#include "hostsim/window_driver_win.h"
#include "win/message_loop_win.h"
#include "win/scoped_win.h"

using pelksim::AutomationServer;
using pelksim::HelperThread;
using pelksim::HostAutomation;
using pelksim::kSimulatedHostClsid;
using pelksim::ProgIdRegistration;
using torv::assistant::connectToHost;
using torv::ports::HostLink;
using torv::win::makeEvent;
using torv::win::ScopedComApartment;
using torv::win::ScopedComPtr;
using torv::win::ScopedHandle;
using torv::win::waitPumping;

namespace {

constexpr DWORD kBound = 20000;

// Runs body on a new thread, in a COM apartment of its own as the
// assistant's thread, with the link connectToHost gave it (maybe nullptr);
// this thread pumps until it is over. False when it did not end in time.
bool onLinkThread(const std::function<void(HostLink*)>& body) {
    HelperThread thread([body] {
        ScopedComApartment linkApartment;
        std::unique_ptr<HostLink> link = linkApartment.initialised() ? connectToHost() : nullptr;
        body(link.get());
    });
    return waitPumping(thread.finishedEvent(), kBound);
}

class HostLinkTest : public ::testing::Test {
protected:
    ScopedComApartment apartment;
    AutomationServer server{HostAutomation::create()};

    void SetUp() override { ASSERT_TRUE(server.running()) << server.error(); }
};

TEST_F(HostLinkTest, ReadsTheFrequency) {
    server.host().setFrequency(7025000.0);
    bool linked = false, read = false;
    double hertz = 0;
    ASSERT_TRUE(onLinkThread([&](HostLink* link) {
        linked = link != nullptr;
        read = linked && link->frequency(hertz);
    }));
    ASSERT_TRUE(linked);
    EXPECT_TRUE(read);
    EXPECT_EQ(hertz, 7025000.0);
}

TEST_F(HostLinkTest, ReadsTheEnteredCallInTheAnsiCodePage) {
    const std::wstring wide = L"PY2\u00C7";
    server.host().setEnteredCall(wide);
    std::string call;
    bool read = false;
    ASSERT_TRUE(onLinkThread([&](HostLink* link) { read = link != nullptr && link->enteredCall(call); }));
    EXPECT_TRUE(read);
    // The system's own conversion, not the link's, is the reference.
    char expected[16] = {};
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, expected, sizeof expected, nullptr, nullptr);
    EXPECT_EQ(call, std::string(expected, length > 0 ? static_cast<size_t>(length - 1) : 0));
    if (GetACP() == 1252) {
        EXPECT_EQ(call, "PY2\xC7");
    }
}

TEST_F(HostLinkTest, AnEmptyEntryFieldGivesAnEmptyCall) {
    std::string call = "left over";
    bool read = false;
    ASSERT_TRUE(onLinkThread([&](HostLink* link) { read = link != nullptr && link->enteredCall(call); }));
    EXPECT_TRUE(read);
    EXPECT_EQ(call, "");
}

TEST_F(HostLinkTest, SendsCommandsInOrder) {
    const std::vector<std::string> sent = {"<MODE:CW>", "<BAUDRATE:27>", "<MODE:SSB>", "<SP1>"};
    bool allSent = false;
    ASSERT_TRUE(onLinkThread([&](HostLink* link) {
        allSent = link != nullptr;
        for (const std::string& command : sent) {
            allSent = allSent && link->sendCommand(command);
        }
    }));
    EXPECT_TRUE(allSent);
    EXPECT_EQ(server.host().commands(),
              (std::vector<std::wstring>{L"<MODE:CW>", L"<BAUDRATE:27>", L"<MODE:SSB>", L"<SP1>"}));
}

TEST_F(HostLinkTest, ASlowHostStillAnswers) {
    server.host().setFrequency(14025000.0);
    server.host().setAnswerDelay(1000);
    double hertz = 0;
    bool read = false;
    std::chrono::steady_clock::duration took{};
    ASSERT_TRUE(onLinkThread([&](HostLink* link) {
        const auto start = std::chrono::steady_clock::now();
        read = link != nullptr && link->frequency(hertz);
        took = std::chrono::steady_clock::now() - start;
    }));
    EXPECT_TRUE(read);
    EXPECT_EQ(hertz, 14025000.0);
    EXPECT_GE(took, std::chrono::seconds(1));
}

TEST_F(HostLinkTest, AHostThatGoesAwayMakesCallsFailWithoutHanging) {
    ScopedHandle firstCallDone = makeEvent();
    ScopedHandle hostGone = makeEvent();
    bool before = false, frequencyAfter = true, callAfter = true, commandAfter = true;
    HelperThread thread([&] {
        ScopedComApartment linkApartment;
        std::unique_ptr<HostLink> link = connectToHost();
        double hertz = 0;
        std::string call;
        before = link != nullptr && link->frequency(hertz);
        SetEvent(firstCallDone.get());
        // This thread serves nothing, so it may simply wait.
        if (link && WaitForSingleObject(hostGone.get(), kBound) == WAIT_OBJECT_0) {
            frequencyAfter = link->frequency(hertz);
            callAfter = link->enteredCall(call);
            commandAfter = link->sendCommand("<SP1>");
        }
    });
    ASSERT_TRUE(waitPumping(firstCallDone.get(), kBound));
    server.disappear();
    const long answered = server.host().invocations();
    SetEvent(hostGone.get());
    // The calls are refused where the host's object was (this thread still
    // pumps: COM answers a cut-off proxy from the object's apartment), and
    // none reaches the object, however slowly the machine runs them.
    ASSERT_TRUE(waitPumping(thread.finishedEvent(), kBound)) << "a call waits for the host";
    EXPECT_TRUE(before);
    EXPECT_FALSE(frequencyAfter);
    EXPECT_FALSE(callAfter);
    EXPECT_FALSE(commandAfter);
    EXPECT_EQ(server.host().invocations(), answered) << "a call reached the host that went away";
}

TEST(HostLinkWithoutHost, NoRegistrationGivesNoLink) {
    ScopedComApartment apartment;
    bool linked = true;
    ASSERT_TRUE(onLinkThread([&](HostLink* link) { linked = link != nullptr; }));
    EXPECT_FALSE(linked);
}

TEST(HostLinkWithoutHost, ARegisteredHostThatIsNotRunningGivesNoLink) {
    ScopedComApartment apartment;
    ProgIdRegistration registration(kSimulatedHostClsid);
    ASSERT_TRUE(registration.registered()) << registration.error();
    bool linked = true;
    ASSERT_TRUE(onLinkThread([&](HostLink* link) { linked = link != nullptr; }));
    EXPECT_FALSE(linked);
}

TEST(HostLinkReferences, NoObjectOutlivesLinkAndServer) {
    ScopedComApartment apartment;
    const long before = HostAutomation::liveObjects();
    {
        AutomationServer server(HostAutomation::create());
        ASSERT_TRUE(server.running()) << server.error();
        bool read = false;
        ASSERT_TRUE(onLinkThread([&](HostLink* link) {
            double hertz = 0;
            read = link != nullptr && link->frequency(hertz);
        }));
        EXPECT_TRUE(read);
    }
    EXPECT_EQ(HostAutomation::liveObjects(), before);
}

// A host whose answers have other types than the simulator's: a frequency
// as text, an entry field that holds no string, a command that raises an
// automation exception.
class OddHost final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* exception,
                                     UINT*) override {
        if (id == 2 && result != nullptr) {
            VariantInit(result);
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"3525000");
            return S_OK;
        }
        if (id == 8 && result != nullptr) {
            VariantInit(result);
            V_VT(result) = VT_I4;
            V_I4(result) = 42;
            return S_OK;
        }
        if (exception != nullptr) {
            exception->bstrSource = SysAllocString(L"OddHost");
            exception->bstrDescription = SysAllocString(L"refused");
            exception->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }

private:
    LONG references_ = 1;
};

TEST(HostLinkOddAnswers, ConvertsOrGivesUp) {
    ScopedComApartment apartment;
    ProgIdRegistration registration(kSimulatedHostClsid);
    ASSERT_TRUE(registration.registered()) << registration.error();
    ScopedComPtr<OddHost> host(new OddHost());
    DWORD cookie = 0;
    ASSERT_EQ(RegisterActiveObject(host.get(), kSimulatedHostClsid, ACTIVEOBJECT_STRONG, &cookie), S_OK);
    double hertz = 0;
    std::string call = "left over";
    bool linked = false, frequencyRead = false, callRead = false, commandSent = true;
    const bool ended = onLinkThread([&](HostLink* link) {
        linked = link != nullptr;
        if (!linked) {
            return;
        }
        frequencyRead = link->frequency(hertz);
        callRead = link->enteredCall(call);
        commandSent = link->sendCommand("<SP1>");
    });
    RevokeActiveObject(cookie, nullptr);
    CoDisconnectObject(host.get(), 0);
    ASSERT_TRUE(ended);
    ASSERT_TRUE(linked);
    EXPECT_TRUE(frequencyRead);
    EXPECT_EQ(hertz, 3525000.0) << "text converted to a number";
    EXPECT_TRUE(callRead);
    EXPECT_EQ(call, "") << "an answer that holds no string";
    EXPECT_FALSE(commandSent);
}

}  // namespace
