#pragma once
// Numbered pieces of work done on several threads at once and handed on in
// their order, with at most a window of them done ahead of the hand-over:
// what a long listing needs to print file after file as it reads them,
// without holding the whole folder.

#include <cstddef>
#include <functional>

namespace hozanki {

// Runs work(i) for i = 0 .. n-1 on `threads` worker threads and calls
// emit(i) on the calling thread in the order 0, 1, ..., each once work(i)
// has ended. work(j) is begun only after emit(j - window) has returned, so a
// caller keeping what work(i) made in slot i % window holds `window` results
// at most. `window` is at least one; work is called from several threads at
// once, emit never at the same time as itself. Returns after emit(n - 1).
void OrderedParallelFor(size_t n, unsigned threads, size_t window, const std::function<void(size_t)>& work,
                        const std::function<void(size_t)>& emit);

}  // namespace hozanki
