#pragma once
#include "mire/property/PooledPropertyValues.h"
#include "mire/property/PropertyType.h"

#include <nlohmann/json_fwd.hpp>

namespace Vela
{
    // One value of any registered property type, held inline. Empty when it has no type.
    // Records that embed a Property are 64-byte aligned as well.
    class alignas(64) Property
    {
    public:
        static constexpr size_t STORAGE_SIZE = 64;

        Property() = default;
        // Reads the value from JSON through the type's reader. When the reader throws, the partly
        // read value is destroyed (a pooled value gives its slot back) and the exception passes on.
        Property(const PropertyTypeBase* aType, const nlohmann::json& aJson);
        Property(const Property& aOther);
        // Copies: the source keeps its value (a pooled value is then shared by both).
        Property(Property&& aOther);
        ~Property();
        Property& operator=(const Property& aOther);
        Property& operator=(Property&& aOther);

        const PropertyTypeBase* GetType() const { return myType; }

        // The value when the property holds a T, else null. A pooled value read through the returned
        // handle is the shared object; writing needs MakeUnique.
        template <typename T>
        T* Get()
        {
            return myType == &PropertyType<T>::ourInstance ? reinterpret_cast<T*>(myStorage) : nullptr;
        }
        template <typename T>
        const T* Get() const
        {
            return myType == &PropertyType<T>::ourInstance ? reinterpret_cast<const T*>(myStorage) : nullptr;
        }

        void* GetStorage() { return myStorage; }
        const void* GetStorage() const { return myStorage; }

    private:
        void Assign(const Property& aOther, bool aMove);

        alignas(64) unsigned char myStorage[STORAGE_SIZE] = {};
        const PropertyTypeBase* myType = nullptr;
    };

    static_assert(alignof(Property) == 64);
}
