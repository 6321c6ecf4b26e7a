// Near calls: the rules (oneEditApart, nearness, crosscheck.h) and the index
// that finds them among many (NearCallIndex, one_edit.h).
#include "crosscheck/one_edit.h"

#include <algorithm>
#include <utility>

#include "crosscheck/crosscheck.h"
#include "engine/contest.h"

namespace torv::crosscheck {

namespace {

// What a hash stands for: the call with one character blanked, with one
// dropped, the whole call, its part before a portable suffix, or the call
// with two characters blanked.
enum class Form : uint64_t { kBlanked = 1, kDropped = 2, kWhole = 3, kParent = 4, kTwoBlanked = 5 };

constexpr uint64_t kBase = 0x100000001B3ULL;
constexpr uint64_t kBlank = 0x1FF;  // no byte's value (bytes count 1 to 256)

uint64_t mixed(uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

uint64_t keyOf(uint64_t scope, Form form, size_t length, uint64_t hash) {
    return mixed(mixed(mixed(scope) ^ (static_cast<uint64_t>(form) << 56) ^ length) ^ hash);
}

// Polynomial hashes of a call's prefixes, from which the hash of the call
// with any one character blanked or dropped follows in constant time.
class CallHashes {
public:
    explicit CallHashes(std::string_view call)
        : length_(call.size()), prefix_(length_ + 1, 0), power_(length_ + 1, 1), call_(call) {
        for (size_t i = 0; i < length_; ++i) {
            prefix_[i + 1] = prefix_[i] * kBase + valueOf(call[i]);
            power_[i + 1] = power_[i] * kBase;
        }
        const size_t slash = call.rfind('/');
        if (slash != std::string_view::npos && slash + 1 < length_) {
            parentLength_ = slash;
        }
    }
    size_t length() const { return length_; }
    uint64_t whole() const { return prefix_[length_]; }
    uint64_t blanked(size_t i) const { return whole() + (kBlank - valueOf(call_[i])) * power_[length_ - 1 - i]; }
    uint64_t twoBlanked(size_t i, size_t j) const {
        return blanked(i) + (kBlank - valueOf(call_[j])) * power_[length_ - 1 - j];
    }
    uint64_t dropped(size_t i) const {
        const uint64_t after = whole() - prefix_[i + 1] * power_[length_ - 1 - i];
        return prefix_[i] * power_[length_ - 1 - i] + after;
    }
    bool hasParent() const { return parentLength_ != std::string_view::npos; }
    size_t parentLength() const { return parentLength_; }
    uint64_t parent() const { return prefix_[parentLength_]; }

private:
    static uint64_t valueOf(char c) { return static_cast<uint64_t>(static_cast<unsigned char>(c)) + 1; }

    size_t length_;
    std::vector<uint64_t> prefix_;
    std::vector<uint64_t> power_;
    std::string_view call_;
    size_t parentLength_ = std::string_view::npos;
};

}  // namespace

void NearCallIndex::add(uint64_t scope, std::string_view call, uint32_t value) {
    const CallHashes h(call);
    for (size_t i = 0; h.length() <= kLongestNearCall && i < h.length(); ++i) {
        for (size_t j = i + 1; j < h.length(); ++j) {
            keys_.emplace_back(keyOf(scope, Form::kTwoBlanked, h.length(), h.twoBlanked(i, j)), value);
        }
    }
    for (size_t i = 0; i < h.length(); ++i) {
        keys_.emplace_back(keyOf(scope, Form::kBlanked, h.length(), h.blanked(i)), value);
        keys_.emplace_back(keyOf(scope, Form::kDropped, h.length() - 1, h.dropped(i)), value);
    }
    keys_.emplace_back(keyOf(scope, Form::kWhole, h.length(), h.whole()), value);
    if (h.hasParent()) {
        keys_.emplace_back(keyOf(scope, Form::kParent, h.parentLength(), h.parent()), value);
    }
}

void NearCallIndex::seal() {
    std::sort(keys_.begin(), keys_.end());
}

void NearCallIndex::find(uint64_t scope, std::string_view call, std::vector<uint32_t>& values) const {
    auto lookUp = [&](uint64_t key) {
        auto it = std::lower_bound(keys_.begin(), keys_.end(), std::make_pair(key, uint32_t{0}));
        for (; it != keys_.end() && it->first == key; ++it) {
            values.push_back(it->second);
        }
    };
    const CallHashes h(call);
    for (size_t i = 0; i < h.length(); ++i) {
        lookUp(keyOf(scope, Form::kBlanked, h.length(), h.blanked(i)));    // one replaced
        lookUp(keyOf(scope, Form::kWhole, h.length() - 1, h.dropped(i)));  // one added to a filed call
    }
    lookUp(keyOf(scope, Form::kDropped, h.length(), h.whole()));  // one dropped from a filed call
    lookUp(keyOf(scope, Form::kParent, h.length(), h.whole()));   // a filed call with a portable suffix
    if (h.hasParent()) {
        lookUp(keyOf(scope, Form::kWhole, h.parentLength(), h.parent()));  // this call's suffix dropped
    }
    for (size_t i = 0; h.length() <= kLongestNearCall && i < h.length(); ++i) {
        for (size_t j = i + 1; j < h.length(); ++j) {
            lookUp(keyOf(scope, Form::kTwoBlanked, h.length(), h.twoBlanked(i, j)));  // two replaced
        }
    }
}

bool oneEditApart(std::string_view a, std::string_view b) {
    if (a == b) {
        return false;
    }
    // A portable suffix added or dropped: "PY2AAA" and "PY2AAA/P".
    auto portableOf = [](std::string_view longer, std::string_view shorter) {
        const size_t slash = longer.rfind('/');
        return slash != std::string_view::npos && slash + 1 < longer.size() && longer.substr(0, slash) == shorter;
    };
    if (portableOf(a, b) || portableOf(b, a)) {
        return true;
    }
    if (a.size() == b.size()) {
        size_t differences = 0;
        for (size_t i = 0; i < a.size() && differences < 2; ++i) {
            differences += a[i] != b[i] ? 1 : 0;
        }
        return differences == 1;
    }
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (a.size() != b.size() + 1) {
        return false;
    }
    // One character dropped from a gives b.
    size_t i = 0;
    while (i < b.size() && a[i] == b[i]) {
        ++i;
    }
    return a.substr(i + 1) == b.substr(i);
}

Nearness nearness(std::string_view logged, std::string_view real, std::string_view mode) {
    Nearness near;
    if (oneEditApart(logged, real)) {
        near.kind = NearKind::kOneEdit;
        near.differences = 1;
        return near;
    }
    if (logged.size() != real.size() || logged.size() > kLongestNearCall) {
        return near;
    }
    size_t first = logged.size();
    size_t second = logged.size();
    for (size_t i = 0; i < logged.size(); ++i) {
        if (logged[i] == real[i]) {
            continue;
        }
        if (first == logged.size()) {
            first = i;
        } else if (second == logged.size()) {
            second = i;
        } else {
            return near;  // three or more
        }
    }
    if (second == logged.size()) {
        return near;
    }
    near.differences = 2;
    near.logged = {logged[first], logged[second]};
    near.real = {real[first], real[second]};
    if (second == first + 1 && logged[first] == real[second] && logged[second] == real[first]) {
        near.kind = NearKind::kSwapped;
    } else if (engine::contest::confusable(mode, logged[first], real[first]) &&
               engine::contest::confusable(mode, logged[second], real[second])) {
        near.kind = NearKind::kConfused;
    } else {
        near.differences = 0;
    }
    return near;
}

}  // namespace torv::crosscheck
