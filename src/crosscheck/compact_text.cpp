#include "crosscheck/compact_text.h"

namespace torv::crosscheck {

namespace {

const char* blockOf(const unsigned char* bytes) {
    const char* block = nullptr;
    std::memcpy(&block, bytes, sizeof block);
    return block;
}

}  // namespace

std::string_view CompactText::heapView() const noexcept {
    const char* block = blockOf(bytes_);
    size_t length = 0;
    std::memcpy(&length, block, sizeof length);
    return {block + sizeof length, length};
}

void CompactText::assignHeap(std::string_view text) {
    // The block: the length, then the bytes.
    const size_t length = text.size();
    char* block = new char[sizeof length + length];
    std::memcpy(block, &length, sizeof length);
    std::memcpy(block + sizeof length, text.data(), length);
    std::memset(bytes_, 0, sizeof bytes_);
    std::memcpy(bytes_, &block, sizeof block);
}

void CompactText::releaseHeap() noexcept {
    delete[] blockOf(bytes_);
}

}  // namespace torv::crosscheck
