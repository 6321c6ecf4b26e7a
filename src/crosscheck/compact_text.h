// A text of any length in eight bytes: up to seven bytes sit in place, a
// longer text on the heap. A contest of a million QSO lines holds seven texts
// per line (call, band, mode, two exchanges, area, finding), nearly all of them
// a few letters long: as std::string they took 224 bytes a line, as
// CompactText they take 56 and allocate nothing.
//
// It reads like a std::string_view (view(), size(), comparisons, implicit
// conversion to std::string_view); str() makes a std::string. There is no
// implicit conversion to std::string: a temporary string bound to a
// `const std::string&` that outlives the call would be a silent dangling view.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace torv::crosscheck {

class CompactText {
public:
    static constexpr size_t kInPlace = 7;

    CompactText() noexcept { setInPlace({}); }
    // Implicit from any text, as std::string is.
    CompactText(std::string_view text) { assign(text); }
    CompactText(const std::string& text) { assign(text); }
    CompactText(const char* text) { assign(text); }
    CompactText(const CompactText& other) { assign(other.view()); }
    CompactText(CompactText&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.setInPlace({});
    }
    CompactText& operator=(const CompactText& other) {
        if (this != &other) {
            CompactText copy(other);
            swap(copy);
        }
        return *this;
    }
    CompactText& operator=(CompactText&& other) noexcept {
        CompactText taken(std::move(other));
        swap(taken);
        return *this;
    }
    ~CompactText() { release(); }

    std::string_view view() const noexcept {
        if (inPlace()) {
            return {reinterpret_cast<const char*>(bytes_) + 1, static_cast<size_t>(bytes_[0] >> 1)};
        }
        return heapView();
    }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }
    const char* data() const noexcept { return view().data(); }
    size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return size() == 0; }

    void swap(CompactText& other) noexcept {
        unsigned char kept[sizeof bytes_];
        std::memcpy(kept, bytes_, sizeof bytes_);
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        std::memcpy(other.bytes_, kept, sizeof bytes_);
    }

    // Equal and ordered as their bytes are, against anything that reads as
    // a string_view (std::string, const char*, another CompactText).
    friend bool operator==(const CompactText& a, const CompactText& b) noexcept { return a.view() == b.view(); }
    friend bool operator!=(const CompactText& a, const CompactText& b) noexcept { return a.view() != b.view(); }
    friend bool operator<(const CompactText& a, const CompactText& b) noexcept { return a.view() < b.view(); }
    template <typename T, typename = std::enable_if_t<std::is_convertible_v<const T&, std::string_view>>>
    friend bool operator==(const CompactText& a, const T& b) {
        return a.view() == std::string_view(b);
    }
    template <typename T, typename = std::enable_if_t<std::is_convertible_v<const T&, std::string_view>>>
    friend bool operator==(const T& a, const CompactText& b) {
        return std::string_view(a) == b.view();
    }
    template <typename T, typename = std::enable_if_t<std::is_convertible_v<const T&, std::string_view>>>
    friend bool operator!=(const CompactText& a, const T& b) {
        return !(a == b);
    }
    template <typename T, typename = std::enable_if_t<std::is_convertible_v<const T&, std::string_view>>>
    friend bool operator!=(const T& a, const CompactText& b) {
        return !(a == b);
    }

    // Joined with other texts, as a std::string is.
    friend std::string operator+(const CompactText& a, const CompactText& b) { return a.str() += b.view(); }
    template <typename T, typename = std::enable_if_t<std::is_convertible_v<const T&, std::string_view>>>
    friend std::string operator+(const CompactText& a, const T& b) {
        return a.str() += std::string_view(b);
    }
    template <typename T, typename = std::enable_if_t<std::is_convertible_v<const T&, std::string_view>>>
    friend std::string operator+(const T& a, const CompactText& b) {
        return std::string(std::string_view(a)) += b.view();
    }

private:
    // Byte 0 tells the two forms apart by its lowest bit: set, it holds the
    // length (times two, plus one) and bytes 1 to 7 the text; clear, the
    // eight bytes begin with a pointer (heap blocks are aligned, so its
    // lowest bit is clear) to the length followed by the text. The lowest
    // bit of a pointer is in byte 0 on the little-endian machines we build for.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the form tag is the pointer's lowest byte");
    static_assert(sizeof(char*) <= 8, "a pointer fits the eight bytes");
    static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ >= 2, "a heap block's address is even");

    bool inPlace() const noexcept { return (bytes_[0] & 1U) != 0; }
    void setInPlace(std::string_view text) noexcept {
        std::memset(bytes_, 0, sizeof bytes_);
        bytes_[0] = static_cast<unsigned char>((text.size() << 1) | 1U);
        if (!text.empty()) {
            std::memcpy(bytes_ + 1, text.data(), text.size());
        }
    }
    void assign(std::string_view text) {
        if (text.size() <= kInPlace) {
            setInPlace(text);
        } else {
            assignHeap(text);
        }
    }
    void release() noexcept {
        if (!inPlace()) {
            releaseHeap();
        }
    }
    std::string_view heapView() const noexcept;
    void assignHeap(std::string_view text);
    void releaseHeap() noexcept;

    alignas(8) unsigned char bytes_[8];
};

}  // namespace torv::crosscheck
