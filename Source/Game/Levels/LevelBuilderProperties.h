#pragma once
// How the level builder picks values out of an object's merged property list: by declared type (the
// box collider and the model) or by name, where only a value of the expected type counts.
#include "mire/property/PlainPropertyValues.h"
#include "mire/property/PooledPropertyValues.h"
#include "mire/scene/SceneObjectDefinition.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <array>
#include <cstddef>

namespace LevelProperties
{
    // The value of anEntry when it is named aName and holds a T; null otherwise.
    template <typename T>
    const T* GetNamed(const Vela::DefinitionPropertyEntry& anEntry, Vela::StringId aName)
    {
        return anEntry.name == aName ? anEntry.value.Get<T>() : nullptr;
    }

    // The box collider value of an entry declared as "Collider - Box"; null for any other entry.
    inline const Vela::BoxColliderProperty* GetBoxCollider(const Vela::DefinitionPropertyEntry& anEntry)
    {
        static const Vela::StringId BOX_COLLIDER_TYPE = Vela::StringRegistry::RegisterOrGetString("Collider - Box");
        if (anEntry.type == nullptr || anEntry.type->GetTypeId() != BOX_COLLIDER_TYPE)
        {
            return nullptr;
        }
        return anEntry.value.Get<Vela::BoxColliderProperty>();
    }

    // The clip path of an "Animation Clip" value named aName; null when the entry is not that clip.
    inline const Vela::AnimationClipValue* GetClip(const Vela::DefinitionPropertyEntry& anEntry, Vela::StringId aName)
    {
        return GetNamed<Vela::AnimationClipValue>(anEntry, aName);
    }

    inline Vela::StringId Id(const char* aText) { return Vela::StringRegistry::RegisterOrGetString(aText); }

    // A clip property's name and whether its player loops.
    struct ClipSlot
    {
        const char* name;
        bool loops;
    };

    struct NamedClip
    {
        Vela::StringId name;
        bool loops;
    };

    // Interned once, so that matching a property is a comparison of ids.
    template <size_t COUNT>
    std::array<NamedClip, COUNT> Intern(const ClipSlot (&someSlots)[COUNT])
    {
        std::array<NamedClip, COUNT> clips{};
        for (size_t index = 0; index < COUNT; ++index)
        {
            clips[index] = { Id(someSlots[index].name), someSlots[index].loops };
        }
        return clips;
    }

    template <size_t COUNT>
    std::array<Vela::StringId, COUNT> Intern(const char* const (&someNames)[COUNT])
    {
        std::array<Vela::StringId, COUNT> names{};
        for (size_t index = 0; index < COUNT; ++index)
        {
            names[index] = Id(someNames[index]);
        }
        return names;
    }
}
