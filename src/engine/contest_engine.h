// The contest rules over the contact store: acceptance with the error file,
// removal, the reset that starts a scoring pass, and the pre-check of a call
// being typed.
//
// One lock guards the store. Every operation holds it while it reads or
// changes the store, so another thread (the assistant's tick) can take a
// consistent copy with withStore() at any moment.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "engine/contact.h"
#include "engine/contact_outcome.h"
#include "engine/contest.h"
#include "engine/error_file.h"
#include "engine/store.h"

namespace torv::engine {

class ContestEngine {
public:
    // errorFilePath: where "err.txt" lives (the host's current folder).
    explicit ContestEngine(std::string errorFilePath = contest::kErrorFile);
    // The findings go to the sink instead of a file.
    explicit ContestEngine(std::unique_ptr<FindingSink> findings);

    // Stores the contact or refuses it, and says what was decided: refused
    // for its band, its mode or a missing exchange; stored, perhaps with an
    // exchange that names no area, perhaps as a duplicate of earlier records
    // with the same call, band and mode (one DUPE line each). The findings
    // also go to the error file (the sink) once the store holds the contact.
    ContactOutcome addContact(const ContactFields& contact);

    // addContact as the host asks it: 1 when stored, 0 when refused.
    int addData(const ContactFields& contact);

    // Removes the first record with the contact's call, mode and band.
    // Refuses (0) a contact with an empty exchange, or one from a "UA",
    // "UA2" or "UA9" prefix whose exchange is no area; else returns 1, also
    // when nothing matched. Duplicate marks of the rest stay as they are.
    int removeData(const ContactFields& contact);

    // The store's part of starting a scoring pass: contest context, six fresh
    // worked-before rows, empty log and band list, and a new error file
    // holding "TORV UBN file ".
    void resetStore(int32_t exportFlag, const std::string& contestantCall, const abi::DateTimeArg& contestStart,
                    const abi::DateTimeArg& contestEnd);

    // 0 when the call is stored on this band in this mode; else 1 when the
    // prefix is Brazilian ("PY", "PY0S", "PY0F", "PY0T") and the area is
    // already stored on the band; else 2.
    int checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                  const std::string& areaText, const std::string& band) const;

    // Adds a line about no contact to the findings (an internal failure).
    void noteLine(const std::string& line);

    // Runs f with the store under the lock and returns its result.
    template <typename F>
    auto withStore(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::forward<F>(f)(store_);
    }
    template <typename F>
    auto withStore(F&& f) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::forward<F>(f)(static_cast<const ContactStore&>(store_));
    }

private:
    // addContact's rules, with the store locked.
    ContactOutcome acceptContact(const ContactFields& contact);

    mutable std::mutex mutex_;
    ContactStore store_;
    std::unique_ptr<FindingSink> findings_;
};

}  // namespace torv::engine
