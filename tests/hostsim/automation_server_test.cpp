// The simulator's "Pelk2.Application" object, called directly (same thread,
// no marshalling): its answers, its errors, its reference counting, and its
// registration.
#include "hostsim/automation_server_win.h"

#include <chrono>

#include <gtest/gtest.h>

#include "win/scoped_win.h"

using pelksim::AutomationServer;
using pelksim::HostAutomation;
using pelksim::kSimulatedHostClsid;
using torv::win::ScopedBstr;
using torv::win::ScopedComApartment;
using torv::win::ScopedComPtr;
using torv::win::ScopedVariant;

namespace {

class HostAutomationTest : public ::testing::Test {
protected:
    // Invokes with positional arguments given first to last (DISPPARAMS holds
    // them in reverse).
    HRESULT invoke(DISPID id, WORD flags, std::vector<ScopedVariant> arguments, ScopedVariant& result,
                   UINT cNamedArgs = 0) {
        std::vector<VARIANT> reversed;
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
            reversed.push_back(*it->get());
        }
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), cNamedArgs != 0 ? &named : nullptr,
                              static_cast<UINT>(reversed.size()), cNamedArgs};
        badArgument = 99;
        return host->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result.get(), nullptr, &badArgument);
    }

    static ScopedVariant text(const wchar_t* value) { return ScopedVariant::ofString(ScopedBstr(value)); }

    ScopedComApartment apartment;
    ScopedComPtr<HostAutomation> host = HostAutomation::create();
    UINT badArgument = 0;
};

TEST_F(HostAutomationTest, FrequencyIsADoubleInHertz) {
    host->setFrequency(7025000.5);
    ScopedVariant result;
    ASSERT_EQ(invoke(2, DISPATCH_PROPERTYGET, {}, result), S_OK);
    ASSERT_EQ(result.type(), VT_R8);
    EXPECT_EQ(V_R8(result.get()), 7025000.5);
    ASSERT_EQ(invoke(2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, result), S_OK) << "as Visual Basic asks";
}

TEST_F(HostAutomationTest, CallOfTheEntryFieldKeepsUtf16) {
    host->setEnteredCall(L"PY2\u00C7");
    ScopedVariant result;
    std::vector<ScopedVariant> five;
    five.push_back(ScopedVariant::ofInteger(5));
    ASSERT_EQ(invoke(8, DISPATCH_METHOD, std::move(five), result), S_OK);
    ASSERT_EQ(result.type(), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(result.get()), SysStringLen(V_BSTR(result.get()))), L"PY2\u00C7");

    std::vector<ScopedVariant> other;
    other.push_back(ScopedVariant::ofInteger(3));
    ASSERT_EQ(invoke(8, DISPATCH_METHOD, std::move(other), result), S_OK);
    ASSERT_EQ(result.type(), VT_BSTR);
    EXPECT_EQ(SysStringLen(V_BSTR(result.get())), 0u) << "other fields answer an empty string";
}

TEST_F(HostAutomationTest, CommandsAreLoggedInOrderAndModeCommandsSetTheMode) {
    for (const wchar_t* command : {L"<MODE:CW>", L"<BAUDRATE:27>", L"<MODE:SSB>", L"<SP1>"}) {
        std::vector<ScopedVariant> argument;
        argument.push_back(text(command));
        ScopedVariant result;
        ASSERT_EQ(invoke(16, DISPATCH_METHOD, std::move(argument), result), S_OK) << command;
    }
    EXPECT_EQ(host->commands(), (std::vector<std::wstring>{L"<MODE:CW>", L"<BAUDRATE:27>", L"<MODE:SSB>", L"<SP1>"}));
    EXPECT_EQ(host->mode(), "SSB");
    EXPECT_EQ(host->invocations(), 4);
}

TEST_F(HostAutomationTest, ANullStringIsAnEmptyCommand) {
    std::vector<ScopedVariant> argument;
    argument.push_back(ScopedVariant::ofString(ScopedBstr()));
    ScopedVariant result;
    ASSERT_EQ(invoke(16, DISPATCH_METHOD, std::move(argument), result), S_OK);
    EXPECT_EQ(host->commands(), std::vector<std::wstring>{L""});
}

TEST_F(HostAutomationTest, WrongCallsAreRefused) {
    ScopedVariant result;
    EXPECT_EQ(invoke(3, DISPATCH_METHOD, {}, result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(2, DISPATCH_METHOD, {}, result), DISP_E_MEMBERNOTFOUND) << "id 2 is a property";
    EXPECT_EQ(invoke(8, DISPATCH_PROPERTYGET, {}, result), DISP_E_MEMBERNOTFOUND) << "id 8 is a method";
    EXPECT_EQ(invoke(8, DISPATCH_METHOD, {}, result), DISP_E_BADPARAMCOUNT);

    std::vector<ScopedVariant> two;
    two.push_back(ScopedVariant::ofInteger(5));
    two.push_back(ScopedVariant::ofInteger(5));
    EXPECT_EQ(invoke(8, DISPATCH_METHOD, std::move(two), result), DISP_E_BADPARAMCOUNT);

    std::vector<ScopedVariant> oneForTheFrequency;
    oneForTheFrequency.push_back(ScopedVariant::ofInteger(1));
    EXPECT_EQ(invoke(2, DISPATCH_PROPERTYGET, std::move(oneForTheFrequency), result), DISP_E_BADPARAMCOUNT);

    std::vector<ScopedVariant> textForTheField;
    textForTheField.push_back(text(L"5"));
    EXPECT_EQ(invoke(8, DISPATCH_METHOD, std::move(textForTheField), result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(badArgument, 0u);

    std::vector<ScopedVariant> numberForTheCommand;
    numberForTheCommand.push_back(ScopedVariant::ofInteger(16));
    EXPECT_EQ(invoke(16, DISPATCH_METHOD, std::move(numberForTheCommand), result), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(host->commands().empty());

    std::vector<ScopedVariant> put;
    put.push_back(ScopedVariant::ofInteger(1));
    EXPECT_EQ(invoke(16, DISPATCH_METHOD, std::move(put), result, 1), DISP_E_NONAMEDARGS);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(host->Invoke(2, IID_IUnknown, 0, DISPATCH_PROPERTYGET, &none, result.get(), nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(HostAutomationTest, NoNamesAndNoTypeInformation) {
    UINT count = 7;
    EXPECT_EQ(host->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(host->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
    wchar_t name[] = L"Frequency";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(host->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(HostAutomationTest, AnswersAfterTheDelay) {
    host->setAnswerDelay(300);
    ScopedVariant result;
    // steady_clock, not GetTickCount64: wine updates the tick count lazily
    // under load, and a late tick would make the delay look short.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(invoke(2, DISPATCH_PROPERTYGET, {}, result), S_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST(HostAutomationReferences, CountedAndDestroyedOnTheLastRelease) {
    const long before = HostAutomation::liveObjects();
    {
        ScopedComPtr<HostAutomation> host = HostAutomation::create();
        EXPECT_EQ(HostAutomation::liveObjects(), before + 1);
        ScopedComPtr<IDispatch> dispatch;
        ASSERT_EQ(host->QueryInterface(IID_IDispatch, dispatch.putVoid()), S_OK);
        ScopedComPtr<IUnknown> unknown;
        ASSERT_EQ(host->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
        EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(dispatch.get())) << "one identity";
        ScopedComPtr<IUnknown> none;
        EXPECT_EQ(host->QueryInterface(IID_IClassFactory, none.putVoid()), E_NOINTERFACE);
        EXPECT_EQ(none.get(), nullptr);
        EXPECT_EQ(host->AddRef(), 4u);
        EXPECT_EQ(host->Release(), 3u);
    }
    EXPECT_EQ(HostAutomation::liveObjects(), before);
}

// Moving an owner hands its reference over; nothing is released twice.
TEST(HostAutomationReferences, OwnersMove) {
    const long before = HostAutomation::liveObjects();
    ScopedComPtr<HostAutomation> first = HostAutomation::create();
    ScopedComPtr<HostAutomation> second = std::move(first);
    EXPECT_FALSE(first);
    first = std::move(second);
    EXPECT_TRUE(first);
    first.reset();
    EXPECT_EQ(HostAutomation::liveObjects(), before);

    ScopedBstr text(L"abc");
    ScopedBstr moved = std::move(text);
    EXPECT_EQ(text.get(), nullptr);
    EXPECT_EQ(SysStringLen(moved.get()), 3u);
    ScopedVariant variant = ScopedVariant::ofString(std::move(moved));
    ScopedVariant movedVariant = std::move(variant);
    EXPECT_EQ(variant.type(), VT_EMPTY);
    EXPECT_EQ(movedVariant.type(), VT_BSTR);
}

bool progIdFound(CLSID& clsid) {
    return SUCCEEDED(CLSIDFromProgID(L"Pelk2.Application", &clsid));
}

TEST(AutomationServer, RegistersTheProgIdAndTheRunningObjectThenRemovesThem) {
    ScopedComApartment apartment;
    const long before = HostAutomation::liveObjects();
    CLSID clsid{};
    ASSERT_FALSE(progIdFound(clsid)) << "a Pelk2.Application registration was left behind";
    {
        AutomationServer server(HostAutomation::create());
        ASSERT_TRUE(server.running()) << server.error();
        ASSERT_TRUE(progIdFound(clsid));
        EXPECT_TRUE(IsEqualCLSID(clsid, kSimulatedHostClsid));
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\Pelk2.Application\\CLSID", 0, KEY_READ, &key),
                  ERROR_SUCCESS)
            << "registered for the current user";
        RegCloseKey(key);

        ScopedComPtr<IUnknown> running;
        ASSERT_EQ(GetActiveObject(kSimulatedHostClsid, nullptr, running.put()), S_OK);
        running.reset();

        server.disappear();
        EXPECT_FALSE(server.running());
        EXPECT_EQ(GetActiveObject(kSimulatedHostClsid, nullptr, running.put()), MK_E_UNAVAILABLE);
        EXPECT_TRUE(progIdFound(clsid)) << "an installed host's ProgID stays";
    }
    EXPECT_FALSE(progIdFound(clsid));
    EXPECT_EQ(HostAutomation::liveObjects(), before);
}

TEST(AutomationServer, RestoresAValueItReplaced) {
    ScopedComApartment apartment;
    const char* path = "Software\\Classes\\Pelk2.Application\\CLSID";
    const char* other = "{00000000-1111-2222-3333-444444444444}";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), 39);
    RegCloseKey(key);
    {
        AutomationServer server(HostAutomation::create());
        EXPECT_TRUE(server.running()) << server.error();
    }
    char value[64] = {};
    LONG size = sizeof value;
    EXPECT_EQ(RegQueryValueA(HKEY_CURRENT_USER, path, value, &size), ERROR_SUCCESS);
    EXPECT_STREQ(value, other);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\Pelk2.Application");
}

}  // namespace
