#pragma once
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace Vela::impl
{
    constexpr int32_t POOL_BUCKET_SIZE = 1024;
    // The count of a slot that is never copied into or released: the pool's default object.
    constexpr uint32_t IMMORTAL_REFERENCE_COUNT = 0x7FFFFFFF;

    class StaticPoolBucketBase;

    // A reference to one pooled object, as handed out by a pool.
    struct PoolHandle
    {
        StaticPoolBucketBase* bucket = nullptr;
        void* object = nullptr;
    };

    class StaticPoolBucketBase
    {
    public:
        virtual void ReleaseSlot(int32_t aIndex) = 0;
        virtual PoolHandle CloneSlot(int32_t aIndex) = 0;
        virtual ~StaticPoolBucketBase() = default;

        int32_t IndexOf(const void* aObject) const
        {
            return static_cast<int32_t>((static_cast<const unsigned char*>(aObject) - static_cast<const unsigned char*>(myObjects)) / myObjectSize);
        }
        std::atomic<uint32_t>& CountOf(int32_t aIndex) { return myReferenceCounts[aIndex]; }

    protected:
        StaticPoolBucketBase(void* someObjects, uint32_t aObjectSize) : myObjects(someObjects), myObjectSize(aObjectSize) {}

        void* myObjects;
        uint32_t myObjectSize;
        std::atomic<uint32_t> myReferenceCounts[POOL_BUCKET_SIZE] = {};
    };

    // One process-wide pool of T in buckets of POOL_BUCKET_SIZE. Slot 0 of the first bucket holds the
    // immortal default object. Released slots are reused last-in first-out before a fresh slot is
    // taken. The lists change under one lock; counts change atomically, so a count that reaches zero
    // frees its slot exactly once. At exit the pool is torn down; later releases do nothing.
    template <typename T>
    class StaticObjectPool
    {
    public:
        class Bucket final : public StaticPoolBucketBase
        {
        public:
            Bucket() : StaticPoolBucketBase(myValues, sizeof(T)) {}
            T* ObjectAt(int32_t aIndex) { return &myValues[aIndex]; }
            void ReleaseSlot(int32_t aIndex) override { Instance().PushFree(this, &myValues[aIndex]); }
            PoolHandle CloneSlot(int32_t aIndex) override
            {
                StaticObjectPool& pool = Instance();
                const PoolHandle copy = pool.Allocate(myValues[aIndex]);
                pool.Release(this, &myValues[aIndex]);
                return copy;
            }

        private:
            T myValues[POOL_BUCKET_SIZE] = {};
        };

        static StaticObjectPool& Instance()
        {
            static StaticObjectPool* pool = Create();
            return *pool;
        }

        PoolHandle GetDefaultHandle() const { return myDefaultHandle; }

        PoolHandle Allocate(const T& aValue)
        {
            PoolHandle handle;
            {
                std::lock_guard lock(myMutex);
                if (!myFreeList.empty())
                {
                    handle = myFreeList.back();
                    myFreeList.pop_back();
                }
                else
                {
                    if (myFillIndex == POOL_BUCKET_SIZE)
                    {
                        myBuckets.push_back(new Bucket());
                        myFillIndex = 0;
                    }
                    Bucket* newest = myBuckets.back();
                    handle = { newest, newest->ObjectAt(myFillIndex) };
                    ++myFillIndex;
                }
            }
            // Nobody else holds this slot, so it is filled outside the lock.
            *static_cast<T*>(handle.object) = aValue;
            handle.bucket->CountOf(handle.bucket->IndexOf(handle.object)).store(1, std::memory_order_release);
            return handle;
        }

        void AddReference(StaticPoolBucketBase* aBucket, const void* aObject)
        {
            if (myIsTornDown.load(std::memory_order_acquire))
            {
                return;
            }
            std::atomic<uint32_t>& count = aBucket->CountOf(aBucket->IndexOf(aObject));
            if (count.load(std::memory_order_relaxed) != IMMORTAL_REFERENCE_COUNT)
            {
                count.fetch_add(1, std::memory_order_relaxed);
            }
        }

        void Release(StaticPoolBucketBase* aBucket, const void* aObject)
        {
            if (myIsTornDown.load(std::memory_order_acquire))
            {
                return;
            }
            const int32_t index = aBucket->IndexOf(aObject);
            std::atomic<uint32_t>& count = aBucket->CountOf(index);
            if (count.load(std::memory_order_relaxed) == IMMORTAL_REFERENCE_COUNT)
            {
                return;
            }
            if (count.fetch_sub(1, std::memory_order_acq_rel) == 1)
            {
                aBucket->ReleaseSlot(index);
            }
        }

        uint32_t GetReferenceCount(StaticPoolBucketBase* aBucket, const void* aObject) const
        {
            return aBucket->CountOf(aBucket->IndexOf(aObject)).load(std::memory_order_acquire);
        }

        // Slots handed out and not yet released (the default object not counted).
        size_t GetLiveCount() const
        {
            std::lock_guard lock(myMutex);
            const size_t handedOut = (myBuckets.size() - 1) * POOL_BUCKET_SIZE + static_cast<size_t>(myFillIndex) - 1;
            return handedOut - myFreeList.size();
        }
        size_t GetBucketCount() const
        {
            std::lock_guard lock(myMutex);
            return myBuckets.size();
        }
        bool IsTornDown() const { return myIsTornDown.load(std::memory_order_acquire); }

        // Frees every bucket; runs once at exit, after which releases change nothing.
        void TearDown()
        {
            std::lock_guard lock(myMutex);
            if (myIsTornDown.exchange(true))
            {
                return;
            }
            myFreeList.clear();
            myFreeList.shrink_to_fit();
            for (Bucket* bucket : myBuckets)
            {
                delete bucket;
            }
            myBuckets.clear();
        }

    private:
        StaticObjectPool()
        {
            Bucket* first = new Bucket();
            myBuckets.push_back(first);
            myDefaultHandle = { first, first->ObjectAt(0) };
            first->CountOf(0).store(IMMORTAL_REFERENCE_COUNT, std::memory_order_relaxed);
            myFillIndex = 1;
        }

        // The pool object itself is never freed, so a handle released after teardown still finds
        // its torn-down flag.
        static StaticObjectPool* Create()
        {
            auto* pool = new StaticObjectPool();
            std::atexit([] { Instance().TearDown(); });
            return pool;
        }

        void PushFree(StaticPoolBucketBase* aBucket, void* aObject)
        {
            std::lock_guard lock(myMutex);
            if (!myIsTornDown.load(std::memory_order_relaxed))
            {
                myFreeList.push_back({ aBucket, aObject });
            }
        }

        mutable std::mutex myMutex;
        std::vector<Bucket*> myBuckets;
        std::vector<PoolHandle> myFreeList;
        int32_t myFillIndex = 0;
        std::atomic<bool> myIsTornDown{ false };
        PoolHandle myDefaultHandle;
    };
}
