// The import's parallel loop: every item exactly once, errors carried back, nested loops inline,
// workers stopped and started again.
#include "Platform/fbx/FbxParallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace
{
    using Vela::Fbx::ParallelFor;

    TEST(ParallelFor, CoversEveryItemOnceWhateverTheGrain)
    {
        for (size_t count : {0u, 1u, 7u, 1000u, 100003u})
            for (size_t grain : {0u, 1u, 64u, 5000u})
            {
                std::vector<std::atomic<int>> visits(count);
                ParallelFor(count, grain, [&](size_t aBegin, size_t aEnd) {
                    ASSERT_LE(aBegin, aEnd);
                    for (size_t i = aBegin; i < aEnd; ++i)
                        visits[i].fetch_add(1);
                });
                for (size_t i = 0; i < count; ++i)
                    ASSERT_EQ(visits[i].load(), 1) << "count " << count << " grain " << grain << " item " << i;
            }
    }

    TEST(ParallelFor, ThrowsTheRangesErrorAfterAllRangesEnd)
    {
        // Every range but the failing one has run by the time the error comes back.
        std::atomic<size_t> done{0}, failed{0};
        EXPECT_THROW(ParallelFor(10000, 10,
                                 [&](size_t aBegin, size_t aEnd) {
                                     if (aBegin == 0)
                                     {
                                         failed = aEnd - aBegin;
                                         throw std::runtime_error("range failed");
                                     }
                                     done += aEnd - aBegin;
                                 }),
                     std::runtime_error);
        EXPECT_EQ(done.load() + failed.load(), 10000u);
        // The pool is still usable afterwards.
        std::atomic<size_t> sum{0};
        ParallelFor(1000, 10, [&](size_t aBegin, size_t aEnd) { sum += aEnd - aBegin; });
        EXPECT_EQ(sum.load(), 1000u);
    }

    TEST(ParallelFor, NestedLoopsAndConcurrentCallersFinish)
    {
        std::atomic<size_t> inner{0};
        ParallelFor(64, 1, [&](size_t aBegin, size_t aEnd) {
            for (size_t i = aBegin; i < aEnd; ++i)
                ParallelFor(100, 1, [&](size_t aInnerBegin, size_t aInnerEnd) { inner += aInnerEnd - aInnerBegin; });
        });
        EXPECT_EQ(inner.load(), 6400u);

        std::atomic<size_t> total{0};
        std::vector<std::thread> callers;
        for (int c = 0; c < 4; ++c)
            callers.emplace_back([&] {
                for (int round = 0; round < 50; ++round)
                    ParallelFor(500, 8, [&](size_t aBegin, size_t aEnd) { total += aEnd - aBegin; });
            });
        for (std::thread& caller : callers)
            caller.join();
        EXPECT_EQ(total.load(), 4u * 50u * 500u);
    }

    TEST(ParallelFor, StoppedWorkersStartAgainEvenWhileOthersLoop)
    {
        // Stopped between loops, and stopped again and again while other threads loop.
        std::atomic<size_t> total{0};
        for (int round = 0; round < 3; ++round)
        {
            ParallelFor(1000, 10, [&](size_t aBegin, size_t aEnd) { total += aEnd - aBegin; });
            Vela::Fbx::StopParallelWorkers();
        }
        EXPECT_EQ(total.load(), 3000u);
        total = 0;
        std::atomic<bool> looping{true};
        std::thread stopper([&] {
            while (looping)
                Vela::Fbx::StopParallelWorkers();
        });
        std::vector<std::thread> callers;
        for (int c = 0; c < 2; ++c)
            callers.emplace_back([&] {
                for (int round = 0; round < 50; ++round)
                    ParallelFor(500, 8, [&](size_t aBegin, size_t aEnd) { total += aEnd - aBegin; });
            });
        for (std::thread& caller : callers)
            caller.join();
        looping = false;
        stopper.join();
        EXPECT_EQ(total.load(), 2u * 50u * 500u);
    }
}
