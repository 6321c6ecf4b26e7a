// Fuzzes sequences of the host's calls on a module object: any sequence of
// rescorings, additions, removals, call checks and results, with any texts,
// must keep the store's invariants and answer every call check as a scan of
// the whole log would. Built with clang's libFuzzer (scripts/test runs it
// for a while under AddressSanitizer and UndefinedBehaviorSanitizer).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_checks.h"
#include "plugin/module.h"
#include "support/fakes.h"
#include "support/store_access.h"

using torv::engine::ContactFields;
using torv::engine::ContactStore;
using torv::engine::ContactStoreTestAccess;
using torv::plugin::headlessPorts;

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

// What the log must hold, kept as the rules are phrased: a plain array,
// appended to, erased from at the first match, emptied by a rescoring.
struct ShadowRecord {
    std::string call, band, mode, area;
    int32_t dupe;
};

// The invariants the rest of the plug-in relies on, and the log in the
// shadow's order, position by position, after any number of removals.
void checkStore(const ContactStore& store, const std::vector<ShadowRecord>& shadow) {
    require(store.count() == shadow.size());
    const std::vector<CInfo> list = store.contactList();
    require(list.size() == shadow.size());
    size_t visited = 0;
    store.forEachContact([&](const CInfo& r) { require(&r == &store.at(visited++)); });
    require(visited == shadow.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const CInfo& r = list[i];
        require(r.call == shadow[i].call && r.band == shadow[i].band && r.mode == shadow[i].mode);
        require(r.area == shadow[i].area && r.dupe == shadow[i].dupe);
        require(r.mode == "CW" || r.mode == "SSB");
        require(r.band != "160m" && r.band != "30m" && r.band != "17m" && r.band != "12m");
        require(!r.exchangeReceived.empty() && !r.exchangeSent.empty());
        require(r.dupe == 0 || r.dupe == 1);
        size_t twins = 0;
        size_t first = list.size();
        for (size_t j = 0; j < list.size(); ++j) {
            const CInfo& other = list[j];
            if (other.call == r.call && other.band == r.band && other.mode == r.mode) {
                ++twins;
                first = std::min(first, j);
            }
        }
        require(store.twinCount(r.call, r.band, r.mode) == twins);
        require(ContactStoreTestAccess::findFirstTwin(store, r.call, r.band, r.mode) == first);
        require(store.hasArea(r.band, r.area));
    }
}

void removeFirstMatch(std::vector<ShadowRecord>& shadow, const ContactFields& c) {
    for (auto it = shadow.begin(); it != shadow.end(); ++it) {
        if (it->call == c.call && it->band == c.band && it->mode == c.mode) {
            shadow.erase(it);
            return;
        }
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

    std::vector<ShadowRecord> shadow;
    while (data.remaining_bytes() > 0) {
        switch (data.ConsumeIntegralInRange<int>(0, 5)) {
            case 0:
                require(app.resetStats(data.ConsumeIntegralInRange<int32_t>(-1, 1), someText(data),
                                       {data.ConsumeFloatingPoint<double>(), 0}, {42260.0, 0}) == 1);
                shadow.clear();
                break;
            case 1: {
                const ContactFields c = someContact(data);
                const int stored = app.addData(c);
                require(stored == 0 || stored == 1);
                if (stored == 1) {
                    const CInfo last =
                        app.engine().withStore([](const ContactStore& s) { return s.at(s.count() - 1); });
                    require(last.call == c.call && last.band == c.band && last.mode == c.mode);
                    shadow.push_back({c.call, c.band, c.mode, last.area, last.dupe});
                }
                break;
            }
            case 2: {
                const ContactFields c = someContact(data);
                const int done = app.removeData(c);
                require(done == 0 || done == 1);
                if (done == 1) {
                    removeFirstMatch(shadow, c);
                }
                break;
            }
            case 3: {
                // The removal of a stored contact, so that removals are many.
                if (shadow.empty()) {
                    break;
                }
                const ShadowRecord& victim = shadow[data.ConsumeIntegralInRange<size_t>(0, shadow.size() - 1)];
                ContactFields c;
                c.call = victim.call;
                c.band = victim.band;
                c.mode = victim.mode;
                c.exchangeReceived = "SP";
                c.exchangeSent = "SP";
                require(app.removeData(c) == 1);
                removeFirstMatch(shadow, c);
                break;
            }
            case 4: {
                const ContactFields c = someContact(data);
                const int answer = app.checkCall(c.call, c.mode, c.prefix, c.exchangeReceived, c.band);
                const bool duplicate = std::any_of(shadow.begin(), shadow.end(), [&](const ShadowRecord& r) {
                    return r.call == c.call && r.band == c.band && r.mode == c.mode;
                });
                require(duplicate ? answer == 0 : answer == 1 || answer == 2);
                break;
            }
            default: {
                int status = 0;
                const std::string summary = app.result(&status);
                // The last total row: a call or band text may hold "Total" too.
                const size_t total = summary.rfind("\r\nTotal\t ");
                require(total != std::string::npos);
                const std::string count = std::to_string(shadow.size());
                require(summary.compare(total + 9, count.size(), count) == 0);
                break;
            }
        }
        app.engine().withStore([&shadow](const ContactStore& store) { checkStore(store, shadow); });
    }
    return 0;
}
