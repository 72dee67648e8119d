#pragma once
// The one thread pool behind the readers: runs numbered pieces of work on
// several threads at once.

#include <atomic>
#include <cstddef>
#include <functional>

namespace hozanki {

// Runs work(i) for i = 0 .. n-1 on `threads` threads (at most n, at least
// one; the calling thread is one of them) and returns when all have ended.
// Indices are taken in order; when `cancel` is given it is tested before each
// one, so after a cancel every index taken is completed and those run form a
// prefix 0 .. k-1. `work` is called from several threads at once.
void ParallelFor(size_t n, unsigned threads, const std::function<void(size_t)>& work,
                 const std::atomic<bool>* cancel = nullptr);

}  // namespace hozanki
