// What the tests do to a contact store that the plug-in never does: drop a
// record by position, find a twin's position.
#pragma once

#include <optional>
#include <string>

#include "engine/store.h"

// A friend of the store, so in its namespace.
namespace torv::engine {

struct ContactStoreTestAccess {
    // Drops the record at position (0 <= position < count); the later
    // records keep their order and move down by one position.
    static void removeAt(ContactStore& store, size_t position) { store.removeSlot(store.liveSlots_.slotAt(position)); }

    // Position of the first stored record with this call, band and mode.
    static std::optional<size_t> findFirstTwin(const ContactStore& store, const std::string& call,
                                               const std::string& band, const std::string& mode) {
        auto it = store.twins_.find(ContactStore::twinKey(call, band, mode));
        if (it == store.twins_.end() || it->second.size() == 0) {
            return std::nullopt;
        }
        return store.liveSlots_.liveBefore(it->second.front());
    }
};

}  // namespace torv::engine
