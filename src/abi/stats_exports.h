// The plug-in's exported functions, exactly as the host calls them.
//
// This list is the single source of the export signatures. It gives
//   - the extern "C" declarations below, which exports.cpp must match (the
//     compiler rejects a definition whose parameters differ);
//   - the MSVC-decorated twin names in resources/Stats.def, generated from
//     this header by tools/gen-def with clang's MSVC target and checked by a
//     test, so a changed signature cannot silently break a twin.
//
// STATS_EXPORTS(X) calls X(result, plainName, twinName, (parameters)) once
// per export. Date-time parameters use STATS_DATE_TIME, which the generator
// defines as ATL::COleDateTime, the host's class with DateTimeArg's layout.
#pragma once

#ifndef STATS_DATE_TIME
namespace torv::abi {
struct DateTimeArg;
}  // namespace torv::abi
#define STATS_DATE_TIME torv::abi::DateTimeArg
#endif

// The 33 positional arguments with which the host describes one contact.
#define STATS_CONTACT_FIELDS_PARAMS                                                                                  \
    const char *ownCall, const char *call, STATS_DATE_TIME *qsoTime, STATS_DATE_TIME *time4, STATS_DATE_TIME *time5, \
        STATS_DATE_TIME *time6, unsigned int number7, unsigned int frequency, const char *mode, const char *rstSent, \
        const char *rstReceived, const char *exchangeSent, const char *exchangeReceived, const char *text14,         \
        const char *text15, const char *text16, const char *text17, const char *text18, const char *text19,          \
        const char *text20, const char *text21, const char *text22, const char *prefix, int number24, int number25,  \
        int number26, double number27, double number28, const char *text29, const char *auxText, const char *text31, \
        const char *band, const char *text33

#define STATS_RESET_STATS_PARAMS                                                                                 \
    const char *text1, int exportFlag, const char *contestantCall, STATS_DATE_TIME *contestStart,                \
        STATS_DATE_TIME *contestEnd, const char *text6, const char *text7, const char *text8, const char *text9, \
        const char *text10, const char *text11, const char *text12, const char *text13, const char *text14,      \
        const char *text15, int number16, int number17, int number18, double number19, double number20,          \
        const char *text21, const char *text22, const char *text23

#define STATS_CHECK_CALL_PARAMS                                                                                     \
    const char *call, unsigned int number2, unsigned int number3, const char *mode, const char *text5,              \
        const char *text6, const char *text7, const char *text8, const char *text9, const char *text10,             \
        const char *text11, const char *text12, const char *text13, const char *prefix, int number15, int number16, \
        int number17, double number18, double number19, const char *text20, const char *text21, const char *text22, \
        const char *text23, const char *areaText, const char *band, const char *text26, char *buffer27, char *buffer28

#define STATS_EXPORTS(X)                                                                                        \
    X(int, AddData0, AddData0, (STATS_CONTACT_FIELDS_PARAMS))                                                   \
    X(int, RemoveData0, RemoveData0, (STATS_CONTACT_FIELDS_PARAMS))                                             \
    X(int, ResetStats0, ResetStats0, (STATS_RESET_STATS_PARAMS))                                                \
    X(int, CheckCall0, CheckCallFunc0, (STATS_CHECK_CALL_PARAMS))                                               \
    X(int, IsValidExchg0, StatsIsValidExchg0,                                                                   \
      (const char* exchange, const char* text2, const char* text3, const char* text4, int number5, int number6, \
       int number7))                                                                                            \
    X(int, GetExchgCount0, StatsGetExchgCount0, (const char* text1, const char* text2, const char* text3))      \
    X(int, GetNumberOfSets, GetNumberOfSets, ())                                                                \
    X(const char*, GetSetName, GetSetName, (int setNumber))                                                     \
    X(const char*, GetResult0, GetResult0, (int* status))                                                       \
    X(const char*, RunCommand0, RunCommand0, (int number1, const char* command))                                \
    X(void, SetupSet0, SetupSet0, ())

#ifndef STATS_EXPORTS_NO_DECLARATIONS

#include <cstddef>

// Every text the host passes is cut to this many characters before the
// plug-in uses it, and the bytes past them are never read: a call sign, an
// exchange, a report, a band, a mode or a command is far shorter, and a
// host's texts of any length then cost the store no more than twice what
// ordinary ones do (docs/performance.md).
namespace torv::abi {
constexpr size_t kHostTextLimit = 32;
}  // namespace torv::abi

#if defined(_WIN32)
#define STATS_CALL __cdecl
#define STATS_API
#else
#define STATS_CALL
#define STATS_API __attribute__((visibility("default")))
#endif

extern "C" {
#define STATS_DECLARE_EXPORT(result, plain, twin, params) STATS_API result STATS_CALL plain params;
STATS_EXPORTS(STATS_DECLARE_EXPORT)
#undef STATS_DECLARE_EXPORT
}

#endif
