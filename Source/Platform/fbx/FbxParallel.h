#pragma once
// Splits independent work of one import over the calling thread and a few workers kept for the process.
#include <cstddef>
#include <functional>

namespace Vela::Fbx
{
    // Calls aWork(begin, end) over [0, aCount) in ranges of at least aGrain items, in no set order, and
    // returns when all are done. Small counts, and calls made from inside a range, run on the calling thread.
    // The first error a range throws is thrown again here once every range has ended.
    void ParallelFor(size_t aCount, size_t aGrain, const std::function<void(size_t, size_t)>& aWork);

    // How many threads ParallelFor uses at most (the calling thread included).
    size_t ParallelThreadCount();

    // Ends the workers, giving back their stacks; the next ParallelFor that needs them starts them
    // again. Waits for a ParallelFor in progress.
    void StopParallelWorkers();
}
