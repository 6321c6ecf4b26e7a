// Fuzzes sequences of the host's calls on a module object: any sequence of
// rescorings, additions, removals, call checks and results, with any texts,
// must keep the store's invariants and answer every call check as a scan of
// the whole log would. Built with clang's libFuzzer (scripts/test runs it
// for a while under AddressSanitizer and UndefinedBehaviorSanitizer).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "fuzz_checks.h"
#include "plugin/module.h"
#include "support/fakes.h"

namespace {

std::string someText(FuzzedDataProvider& data) {
    static const char* const kUsual[] = {"PY1AA", "PY2BB", "CW",  "SSB", "80m",  "40m", "160m", "30m",   "SP", "RJ",
                                         "YL",    "MIL",   "QRP", "mil", " sp ", "PY",  "PY0F", "PY0/s", "UA", ""};
    if (data.ConsumeBool()) {
        return kUsual[data.ConsumeIntegralInRange<size_t>(0, std::size(kUsual) - 1)];
    }
    return data.ConsumeRandomLengthString(24);
}

ContactFields someContact(FuzzedDataProvider& data) {
    ContactFields c;
    c.ownCall = someText(data);
    c.call = someText(data);
    c.qsoTime = {data.ConsumeFloatingPoint<double>(), data.ConsumeIntegralInRange<int32_t>(-1, 3)};
    c.frequency = data.ConsumeIntegral<uint32_t>();
    c.mode = someText(data);
    c.rstSent = someText(data);
    c.rstReceived = someText(data);
    c.exchangeSent = someText(data);
    c.exchangeReceived = someText(data);
    c.prefix = someText(data);
    c.band = someText(data);
    return c;
}

// The invariants the rest of the plug-in relies on.
void checkStore(const ContactStore& store) {
    for (size_t i = 0; i < store.count(); ++i) {
        const CInfo& r = store.contactList()[i];
        require(r.mode == "CW" || r.mode == "SSB");
        require(r.band != "160m" && r.band != "30m" && r.band != "17m" && r.band != "12m");
        require(!r.exchangeReceived.empty() && !r.exchangeSent.empty());
        require(r.dupe == 0 || r.dupe == 1);
        size_t twins = 0;
        for (const CInfo& other : store.contactList()) {
            twins += other.call == r.call && other.band == r.band && other.mode == r.mode;
        }
        require(store.twinCount(r.call, r.band, r.mode) == twins);
        require(store.hasArea(r.band, r.area));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "stats-fuzz";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    FuzzedDataProvider data(bytes, size);
    CTestApp app(headlessPorts(std::make_unique<MemorySettings>()), folder);

    while (data.remaining_bytes() > 0) {
        switch (data.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                require(app.ResetStats(data.ConsumeIntegralInRange<int32_t>(-1, 1), someText(data),
                                       {data.ConsumeFloatingPoint<double>(), 0}, {42260.0, 0}) == 1);
                break;
            case 1: {
                const int stored = app.AddData(someContact(data));
                require(stored == 0 || stored == 1);
                break;
            }
            case 2: {
                const int done = app.RemoveData(someContact(data));
                require(done == 0 || done == 1);
                break;
            }
            case 3: {
                const ContactFields c = someContact(data);
                const int answer = app.CheckCall(c.call, c.mode, c.prefix, c.exchangeReceived, c.band);
                const bool duplicate = app.engine().withStore([&](const ContactStore& store) {
                    for (const CInfo& r : store.contactList()) {
                        if (r.call == c.call && r.band == c.band && r.mode == c.mode) {
                            return true;
                        }
                    }
                    return false;
                });
                require(duplicate ? answer == 0 : answer == 1 || answer == 2);
                break;
            }
            default: {
                int status = 0;
                const std::string summary = app.GetResult(&status);
                // The last total row: a call or band text may hold "Total" too.
                const size_t total = summary.rfind("\r\nTotal\t ");
                require(total != std::string::npos);
                const std::string count =
                    std::to_string(app.engine().withStore([](const ContactStore& s) { return s.count(); }));
                require(summary.compare(total + 9, count.size(), count) == 0);
                break;
            }
        }
        app.engine().withStore([](const ContactStore& store) { checkStore(store); });
    }
    return 0;
}
