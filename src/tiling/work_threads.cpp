#include "tiling/work_threads.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace orvanta {

void forEachOnThreads(std::size_t count, int jobs, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next = 0;
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto worker = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::jthread> threads;
    for (int j = 1; j < jobs; ++j)
        threads.emplace_back(worker);
    worker();
    threads.clear();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace orvanta
