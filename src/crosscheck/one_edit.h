// Calls one edit apart (oneEditApart) found among many without comparing
// every pair: each call is filed under hashes of what it becomes with one
// character blanked or dropped, or with its portable suffix dropped, so two
// calls one edit apart always share a hash. The cost is linear in the
// calls' lengths whatever they hold.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace torv::crosscheck {

class OneEditIndex {
public:
    // Files a call under a scope; calls of different scopes never meet.
    void add(uint64_t scope, std::string_view call, uint32_t value);

    // Makes the index ready for find; call once, after the last add.
    void seal();

    // Appends to `values` the value of every call of the scope filed that
    // may be one edit from `call`: each one edit apart, perhaps some others
    // (a caller checks with oneEditApart), perhaps more than once.
    void find(uint64_t scope, std::string_view call, std::vector<uint32_t>& values) const;

private:
    std::vector<std::pair<uint64_t, uint32_t>> keys_;
};

}  // namespace torv::crosscheck
