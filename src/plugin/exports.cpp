// The C boundary. Each export copies the host's arguments into C++ values
// (a NULL text reads as "", a NULL date-time as a null one), forwards to the
// module object and returns. Nothing thrown inside ever reaches the host,
// which is built with another compiler and unwinding model.
#include "abi/stats_exports.h"

#include <atomic>
#include <string>

#include "engine/area.h"
#include "plugin/module.h"

namespace {

std::atomic<CTestApp*> created{nullptr};

CTestApp& app() {
    static CTestApp instance(makePlatformPorts());
    created = &instance;
    return instance;
}

std::string text(const char* hostText) {
    return hostText != nullptr ? std::string(hostText) : std::string();
}

template <typename Result, typename Body>
Result guarded(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
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

CTestApp* loadedModule() {
    return created.load();
}

// The exports take every argument the host passes; most are not read.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif

#define STATS_CONTACT_FROM_ARGS                                                                                        \
    contactFrom(ownCall, call, qsoTime, frequency, mode, rstSent, rstReceived, exchangeSent, exchangeReceived, prefix, \
                auxText, band)

extern "C" {

int STATS_CALL AddData0(STATS_CONTACT_FIELDS_PARAMS) {
    return guarded(0, [&] { return app().addData(STATS_CONTACT_FROM_ARGS); });
}

int STATS_CALL RemoveData0(STATS_CONTACT_FIELDS_PARAMS) {
    return guarded(0, [&] { return app().removeData(STATS_CONTACT_FROM_ARGS); });
}

int STATS_CALL ResetStats0(STATS_RESET_STATS_PARAMS) {
    return guarded(1, [&] {
        return app().resetStats(exportFlag, text(contestantCall), copyDateTimeArg(contestStart),
                                copyDateTimeArg(contestEnd));
    });
}

int STATS_CALL CheckCall0(STATS_CHECK_CALL_PARAMS) {
    return guarded(2,
                   [&] { return app().checkCall(text(call), text(mode), text(prefix), text(areaText), text(band)); });
}

int STATS_CALL IsValidExchg0(const char* exchange, const char*, const char*, const char*, int, int, int) {
    return guarded(0, [&] { return isValidExchange(text(exchange)); });
}

int STATS_CALL GetExchgCount0(const char*, const char*, const char*) {
    return 1;
}

int STATS_CALL GetNumberOfSets() {
    return 1;
}

const char* STATS_CALL GetSetName(int setNumber) {
    return guarded<const char*>("", [&] { return app().setName(setNumber); });
}

const char* STATS_CALL GetResult0(int* status) {
    return guarded<const char*>("", [&] { return app().result(status); });
}

const char* STATS_CALL RunCommand0(int, const char* command) {
    return guarded<const char*>("", [&] { return app().runCommand(text(command)); });
}

void STATS_CALL SetupSet0() {
    guarded(0, [&] {
        app().setupSet();
        return 0;
    });
}

}  // extern "C"
