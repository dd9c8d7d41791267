#pragma once
#include "mire/property/StaticObjectPool.h"

namespace Vela
{
    // A shared, pooled T. Copies share one object and add a reference; MakeUnique gives the handle an
    // object of its own before it is written. Two pointers, so it fits any property storage.
    template <typename T>
    class CopyOnWriteWrapper
    {
    public:
        using Pool = impl::StaticObjectPool<T>;

        // The pool's default object, shared without counting.
        CopyOnWriteWrapper() { Adopt(Pool::Instance().GetDefaultHandle()); }
        explicit CopyOnWriteWrapper(const T& aValue) { Adopt(Pool::Instance().Allocate(aValue)); }

        CopyOnWriteWrapper(const CopyOnWriteWrapper& aOther) : myBucket(aOther.myBucket), myObject(aOther.myObject)
        {
            if (myBucket)
            {
                Pool::Instance().AddReference(myBucket, myObject);
            }
        }

        // Takes over the temporary's reference.
        CopyOnWriteWrapper& operator=(CopyOnWriteWrapper&& aTemporary)
        {
            if (this != &aTemporary)
            {
                ReleaseReference();
                myBucket = aTemporary.myBucket;
                myObject = aTemporary.myObject;
                aTemporary.myBucket = nullptr;
                aTemporary.myObject = nullptr;
            }
            return *this;
        }

        CopyOnWriteWrapper& operator=(const CopyOnWriteWrapper& aOther)
        {
            if (this != &aOther)
            {
                CopyOnWriteWrapper copy(aOther);
                *this = std::move(copy);
            }
            return *this;
        }

        ~CopyOnWriteWrapper() { ReleaseReference(); }

        const T& Get() const { return *myObject; }
        const T& operator*() const { return *myObject; }
        const T* operator->() const { return myObject; }

        // The object, made this handle's own first when anyone else shares it.
        T& MakeUnique()
        {
            if (Pool::Instance().GetReferenceCount(myBucket, myObject) >= 2)
            {
                Adopt(myBucket->CloneSlot(myBucket->IndexOf(myObject)));
            }
            return *myObject;
        }

        uint32_t GetReferenceCount() const { return myBucket ? Pool::Instance().GetReferenceCount(myBucket, myObject) : 0; }
        const impl::StaticPoolBucketBase* GetBucket() const { return myBucket; }
        const T* GetObject() const { return myObject; }

    private:
        void Adopt(const impl::PoolHandle& aHandle)
        {
            myBucket = aHandle.bucket;
            myObject = static_cast<T*>(aHandle.object);
        }

        void ReleaseReference()
        {
            if (myBucket)
            {
                Pool::Instance().Release(myBucket, myObject);
                myBucket = nullptr;
                myObject = nullptr;
            }
        }

        impl::StaticPoolBucketBase* myBucket = nullptr;
        T* myObject = nullptr;
    };
}
