// The C boundary. Each export copies the host's arguments into C++ values
// (a NULL text reads as "", a NULL date-time as a null one), each text cut to
// what the plug-in uses, forwards to the module object and returns. Nothing
// thrown inside ever reaches the host, which is built with another compiler
// and unwinding model; what is caught is said (answerSayingFailures).
#include "abi/stats_exports.h"

#include <atomic>
#include <string>

#include "engine/area.h"
#include "plugin/module.h"

using torv::abi::DateTimeArg;
using torv::abi::kHostTextLimit;
using torv::engine::ContactFields;
using torv::engine::copyDateTimeArg;
using torv::engine::isValidExchange;
using torv::plugin::answerSayingFailures;
using torv::plugin::ExportScope;
using torv::plugin::loadedModule;
using torv::plugin::makePlatformPorts;

namespace {

std::atomic<CTestApp*> created{nullptr};
std::atomic<bool> detaching{false};

// Made by the first export and never by a static destructor undone: at
// process exit nothing of it may run. FreeLibrary ends it (detachLibrary).
CTestApp& app() {
    static CTestApp* const instance = new CTestApp(makePlatformPorts());
    created = instance;
    return *instance;
}

// The host's text up to its NUL, or up to kHostTextLimit characters: the
// bytes past that are never read.
std::string text(const char* hostText) {
    if (hostText == nullptr) {
        return std::string();
    }
    size_t length = 0;
    while (length < kHostTextLimit && hostText[length] != '\0') {
        ++length;
    }
    return std::string(hostText, length);
}

// While the library detaches, every export answers its fallback at once,
// before it could hold the library.
template <typename Result, typename Body>
Result guarded(const char* exportName, Result fallback, Body&& body) noexcept {
    if (detaching.load()) {
        return fallback;
    }
    const ExportScope scope;
    return answerSayingFailures(loadedModule, exportName, fallback, std::forward<Body>(body));
}

ContactFields contactFrom(const char* ownCall, const char* call, DateTimeArg* qsoTime, unsigned int frequency,
                          const char* mode, const char* rstSent, const char* rstReceived, const char* exchangeSent,
                          const char* exchangeReceived, const char* prefix, const char* auxText, const char* band) {
    ContactFields contact;
    contact.ownCall = text(ownCall);
    contact.call = text(call);
    contact.qsoTime = copyDateTimeArg(qsoTime);
    contact.frequency = frequency;
    contact.mode = text(mode);
    contact.rstSent = text(rstSent);
    contact.rstReceived = text(rstReceived);
    contact.exchangeSent = text(exchangeSent);
    contact.exchangeReceived = text(exchangeReceived);
    contact.prefix = text(prefix);
    contact.auxText = text(auxText);
    contact.band = text(band);
    return contact;
}

}  // namespace

namespace torv::plugin {

CTestApp* loadedModule() {
    return created.load();
}

void detachLibrary(bool processExiting) noexcept {
    detaching = true;
    if (processExiting) {
        return;
    }
    CTestApp* module = created.exchange(nullptr);
    if (module == nullptr) {
        return;
    }
    try {
        module->unload();
        delete module;
    } catch (...) {
        // The library goes whatever happened here.
    }
}

}  // namespace torv::plugin

// The exports take every argument the host passes; most are not read.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif

#define STATS_CONTACT_FROM_ARGS                                                                                        \
    contactFrom(ownCall, call, qsoTime, frequency, mode, rstSent, rstReceived, exchangeSent, exchangeReceived, prefix, \
                auxText, band)

extern "C" {

int STATS_CALL AddData0(STATS_CONTACT_FIELDS_PARAMS) {
    return guarded("AddData0", 0, [&] { return app().addData(STATS_CONTACT_FROM_ARGS); });
}

int STATS_CALL RemoveData0(STATS_CONTACT_FIELDS_PARAMS) {
    return guarded("RemoveData0", 0, [&] { return app().removeData(STATS_CONTACT_FROM_ARGS); });
}

int STATS_CALL ResetStats0(STATS_RESET_STATS_PARAMS) {
    return guarded("ResetStats0", 1, [&] {
        return app().resetStats(exportFlag, text(contestantCall), copyDateTimeArg(contestStart),
                                copyDateTimeArg(contestEnd));
    });
}

int STATS_CALL CheckCall0(STATS_CHECK_CALL_PARAMS) {
    return guarded("CheckCall0", 2,
                   [&] { return app().checkCall(text(call), text(mode), text(prefix), text(areaText), text(band)); });
}

int STATS_CALL IsValidExchg0(const char* exchange, const char*, const char*, const char*, int, int, int) {
    return guarded("IsValidExchg0", 0, [&] { return isValidExchange(text(exchange)); });
}

int STATS_CALL GetExchgCount0(const char*, const char*, const char*) {
    return 1;
}

int STATS_CALL GetNumberOfSets() {
    return 1;
}

const char* STATS_CALL GetSetName(int setNumber) {
    return guarded<const char*>("GetSetName", "", [&] { return app().setName(setNumber); });
}

const char* STATS_CALL GetResult0(int* status) {
    return guarded<const char*>("GetResult0", "", [&] { return app().result(status); });
}

const char* STATS_CALL RunCommand0(int, const char* command) {
    return guarded<const char*>("RunCommand0", "", [&] { return app().runCommand(text(command)); });
}

void STATS_CALL SetupSet0() {
    guarded("SetupSet0", 0, [&] {
        app().setupSet();
        return 0;
    });
}

}  // extern "C"
