// Independent pieces of work shared out over the cores.
#pragma once

#include <cstddef>
#include <functional>

namespace torv::contestcheck {

// Calls work(i) once for every i from 0 to count - 1, on `threads` threads
// (0: one per core; the calling thread is one of them), each taking the
// next index as it is done with one; returns when every call has returned.
// work must not throw.
void forEachIndex(size_t count, unsigned threads, const std::function<void(size_t)>& work);

}  // namespace torv::contestcheck
