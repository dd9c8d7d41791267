// A small fixed pool: the workers sleep between imports and share out ranges through one counter.
#include "FbxParallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <sched.h>
#include <thread>
#include <utility>
#include <vector>

namespace Vela::Fbx
{
    namespace
    {
        constexpr size_t MAX_THREADS = 8;

        // The processors this process may run on: a process pinned to one gets no workers to wait for.
        size_t UsableProcessors()
        {
            cpu_set_t set;
            if (sched_getaffinity(0, sizeof(set), &set) == 0)
                return static_cast<size_t>(CPU_COUNT(&set));
            return std::thread::hardware_concurrency();
        }
        thread_local bool theInsideRange = false;

        // A thread's heap gives back its free top only when a large block is freed in it, and only
        // down to the trim threshold in force then: one such free as a worker ends lets a caller that
        // lowered the threshold (mallopt) have the worker's heap emptied.
        void ReleaseHeapTop()
        {
            constexpr size_t LARGE_FREE = 96 * 1024;  // at least the 64 KB that triggers trimming, below mmap's 128 KB
            void* volatile block = std::malloc(LARGE_FREE);
            std::free(block);
        }

        class WorkerPool
        {
        public:
            WorkerPool() : myThreadCount(std::clamp<size_t>(UsableProcessors(), 1, MAX_THREADS)) {}

            ~WorkerPool() { Stop(); }

            size_t ThreadCount() const { return myThreadCount; }

            // Ends the workers (and so frees their stacks); the next job starts them again.
            void Stop()
            {
                std::lock_guard runLock(myRunMutex);
                {
                    std::lock_guard lock(myMutex);
                    myStopping = true;
                }
                myWake.notify_all();
                for (std::thread& worker : myWorkers)
                    worker.join();
                myWorkers.clear();
                std::lock_guard lock(myMutex);
                myStopping = false;
            }

            void Run(size_t aRangeCount, const std::function<void(size_t)>& aRange)
            {
                // One job at a time; a second caller waits for the pool.
                std::lock_guard runLock(myRunMutex);
                if (myWorkers.empty())
                    for (size_t i = 1; i < myThreadCount; ++i)
                        myWorkers.emplace_back([this, seen = myGeneration] { WorkLoop(seen); });
                {
                    std::lock_guard lock(myMutex);
                    myJob = &aRange;
                    myRangeCount = aRangeCount;
                    myNextRange.store(0);
                    myError = nullptr;
                    ++myGeneration;
                }
                myWake.notify_all();
                TakeRanges(aRange, aRangeCount);

                std::unique_lock lock(myMutex);
                myIdle.wait(lock, [this] { return myBusyWorkers == 0; });
                myJob = nullptr;
                if (myError)
                    std::rethrow_exception(std::exchange(myError, nullptr));
            }

        private:
            void TakeRanges(const std::function<void(size_t)>& aRange, size_t aRangeCount)
            {
                theInsideRange = true;
                for (size_t range = myNextRange.fetch_add(1); range < aRangeCount; range = myNextRange.fetch_add(1))
                {
                    try
                    {
                        aRange(range);
                    }
                    catch (...)
                    {
                        std::lock_guard lock(myMutex);
                        if (!myError)
                            myError = std::current_exception();
                    }
                }
                theInsideRange = false;
            }

            void WorkLoop(uint64_t aSeen)
            {
                uint64_t seen = aSeen;
                std::unique_lock lock(myMutex);
                while (true)
                {
                    myWake.wait(lock, [&] { return myStopping || myGeneration != seen; });
                    if (myStopping)
                    {
                        ReleaseHeapTop();
                        return;
                    }
                    seen = myGeneration;
                    if (!myJob)
                        continue;
                    const std::function<void(size_t)>& job = *myJob;
                    const size_t rangeCount = myRangeCount;
                    ++myBusyWorkers;
                    lock.unlock();
                    TakeRanges(job, rangeCount);
                    lock.lock();
                    if (--myBusyWorkers == 0)
                        myIdle.notify_all();
                }
            }

            const size_t myThreadCount;
            std::vector<std::thread> myWorkers;  // started by the first job after a stop
            std::mutex myRunMutex;
            std::mutex myMutex;
            std::condition_variable myWake, myIdle;
            const std::function<void(size_t)>* myJob = nullptr;
            size_t myRangeCount = 0;
            std::atomic<size_t> myNextRange{0};
            std::exception_ptr myError;
            uint64_t myGeneration = 0;
            size_t myBusyWorkers = 0;
            bool myStopping = false;
        };

        WorkerPool& Pool()
        {
            static WorkerPool pool;
            return pool;
        }
    }

    size_t ParallelThreadCount() { return Pool().ThreadCount(); }

    void StopParallelWorkers() { Pool().Stop(); }

    void ParallelFor(size_t aCount, size_t aGrain, const std::function<void(size_t, size_t)>& aWork)
    {
        if (aCount == 0)
            return;
        const size_t grain = std::max<size_t>(aGrain, 1);
        WorkerPool& pool = Pool();
        if (theInsideRange || aCount <= grain || pool.ThreadCount() == 1)
        {
            aWork(0, aCount);
            return;
        }
        // A few ranges per thread, so one slow range does not hold the others up.
        const size_t rangeCount = std::min((aCount + grain - 1) / grain, pool.ThreadCount() * 4);
        const size_t rangeSize = (aCount + rangeCount - 1) / rangeCount;
        pool.Run(rangeCount, [&](size_t aRange) {
            const size_t begin = aRange * rangeSize;
            if (begin < aCount)
                aWork(begin, std::min(begin + rangeSize, aCount));
        });
    }
}
