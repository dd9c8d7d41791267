#pragma once
#include "mire/property/PlainPropertyValues.h"
#include "mire/property/PropertyTypeBase.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace Vela
{
    namespace impl
    {
        inline bool IsAllZero(const void* aStorage, size_t aSize)
        {
            const auto* bytes = static_cast<const unsigned char*>(aStorage);
            for (size_t i = 0; i < aSize; ++i)
            {
                if (bytes[i] != 0)
                {
                    return false;
                }
            }
            return true;
        }
    }

    // The property type of value type T. Each T has exactly one static instance, ourInstance, whose
    // address identifies the type. Reading, writing and editing go to the overloads
    // ReadPropertyValue, WritePropertyValue and DrawPropertyValueEditor for T.
    template <typename T>
    struct PropertyType final : PropertyTypeBase
    {
        static_assert(sizeof(T) <= 64 && alignof(T) <= 64, "property values are stored inline in 64 bytes");

        explicit PropertyType(const char* aDisplayName) : PropertyTypeBase(aDisplayName) {}

        void DefaultConstruct(void* aValue) const override { ::new (aValue) T(DefaultPropertyValue<T>()); }

        void CopyConstruct(const void* aSource, void* aDestination) const override
        {
            ::new (aDestination) T(*static_cast<const T*>(aSource));
        }

        void MoveConstruct(void* aSource, void* aDestination) const override { CopyConstruct(aSource, aDestination); }

        void Destroy(void* aValue) const override
        {
            // All-zero storage means that no value was ever constructed into it.
            if constexpr (!std::is_trivially_destructible_v<T>)
            {
                if (!impl::IsAllZero(aValue, sizeof(T)))
                {
                    static_cast<T*>(aValue)->~T();
                }
            }
        }

        void ReadJson(void* aValue, const nlohmann::json& aJson) const override
        {
            if constexpr (!std::is_trivially_copyable_v<T>)
            {
                if (impl::IsAllZero(aValue, sizeof(T)))
                {
                    ::new (aValue) T();
                }
            }
            ReadPropertyValue(*static_cast<T*>(aValue), aJson);
        }

        void WriteJson(const void* aValue, nlohmann::json& aJson) const override
        {
            WritePropertyValue(*static_cast<const T*>(aValue), aJson);
        }

        bool DrawEditor(void* aValue, const char* aLabel, const char* aTooltip) const override
        {
            return DrawPropertyValueEditor(*static_cast<T*>(aValue), aLabel, aTooltip);
        }

        static const PropertyType ourInstance;
    };

    // The built-in plain types; their instances are defined beside their readers.
    template <> const PropertyType<bool> PropertyType<bool>::ourInstance;
    template <> const PropertyType<int32_t> PropertyType<int32_t>::ourInstance;
    template <> const PropertyType<float> PropertyType<float>::ourInstance;
    template <> const PropertyType<Vector2<float>> PropertyType<Vector2<float>>::ourInstance;
    template <> const PropertyType<Vector3<float>> PropertyType<Vector3<float>>::ourInstance;
    template <> const PropertyType<Vector4<float>> PropertyType<Vector4<float>>::ourInstance;
    template <> const PropertyType<Color> PropertyType<Color>::ourInstance;
    template <> const PropertyType<StringId> PropertyType<StringId>::ourInstance;
    template <> const PropertyType<PoseAndMotion> PropertyType<PoseAndMotion>::ourInstance;
    template <> const PropertyType<BoxColliderProperty> PropertyType<BoxColliderProperty>::ourInstance;
    template <> const PropertyType<Button> PropertyType<Button>::ourInstance;
}
