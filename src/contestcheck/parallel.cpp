#include "contestcheck/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace torv::contestcheck {

void forEachIndex(size_t count, unsigned threads, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    auto run = [&] {
        for (size_t i = next++; i < count; i = next++) {
            work(i);
        }
    };
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(count, 1)));
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads; ++t) {
        workers.emplace_back(run);
    }
    run();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

}  // namespace torv::contestcheck
