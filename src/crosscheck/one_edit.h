// Near calls (nearness, crosscheck.h) found among many without comparing
// every pair: each call is filed under hashes of what it becomes with one
// character blanked or dropped, with its portable suffix dropped, and (up
// to kLongestNearCall characters) with two characters blanked, so two
// calls near each other always share a hash. The cost is linear in the
// calls' lengths whatever they hold, quadratic only up to that bound.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace torv::crosscheck {

class NearCallIndex {
public:
    // Files a call under a scope; calls of different scopes never meet.
    void add(uint64_t scope, std::string_view call, uint32_t value);

    // Makes the index ready for find; call once, after the last add.
    void seal();

    // Appends to `values` the value of every call of the scope filed that
    // may be near `call`: each one near it in some mode, perhaps some
    // others (a caller checks with nearness), perhaps more than once.
    void find(uint64_t scope, std::string_view call, std::vector<uint32_t>& values) const;

private:
    std::vector<std::pair<uint64_t, uint32_t>> keys_;
};

}  // namespace torv::crosscheck
