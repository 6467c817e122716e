#pragma once

#include <cstddef>
#include <functional>

namespace orvanta {

// Runs `work(i)` for every i below `count` on `jobs` threads (the calling one among them), each
// taking the next number when it is free. After the first exception no new number starts; it
// is thrown once every thread has ended.
void forEachOnThreads(std::size_t count, int jobs, const std::function<void(std::size_t)>& work);

}  // namespace orvanta
