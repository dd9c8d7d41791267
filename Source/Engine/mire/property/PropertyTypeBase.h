#pragma once
#include "mire/stringRegistry/StringId.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>

namespace Vela
{
    // Room for this many property types; one more registration aborts the program.
    constexpr uint32_t MAX_PROPERTY_TYPES = 512;

    // One kind of value that scene objects and definitions can carry, chosen by display name in the
    // data files. A type works on untyped storage holding a value of its value type. Instances are
    // static and live until exit (hence no virtual destructor).
    class PropertyTypeBase
    {
    public:
        virtual void DefaultConstruct(void* aValue) const = 0;
        virtual void CopyConstruct(const void* aSource, void* aDestination) const = 0;
        // Behaves like CopyConstruct: the source stays intact and is destroyed normally later.
        virtual void MoveConstruct(void* aSource, void* aDestination) const = 0;
        virtual void Destroy(void* aValue) const = 0;
        // aValue holds a live value of the type or all-zero bytes; readers cope with both.
        // Bad JSON raises the JSON library's exceptions.
        virtual void ReadJson(void* aValue, const nlohmann::json& aJson) const = 0;
        virtual void WriteJson(const void* aValue, nlohmann::json& aJson) const = 0;
        // Draws a Dear ImGui editor; true when the user changed the value.
        virtual bool DrawEditor(void* aValue, const char* aLabel, const char* aTooltip) const = 0;

        // Interns every display name and builds the lookup map. Runs exactly once, also when
        // several threads look up their first type at the same moment.
        static void FinalizeRegistry();
        // The type registered under this display name (matched exactly), or null.
        static const PropertyTypeBase* FindType(StringId aName);

        StringId GetTypeId() const;
        uint32_t GetId() const { return myId; }
        const char* GetDisplayName() const { return myDisplayName; }

        static uint32_t GetRegisteredCount();

    protected:
        // Registers the type. Only static instances call this, before main runs; a registration
        // after the first lookup or beyond MAX_PROPERTY_TYPES aborts the program.
        explicit PropertyTypeBase(const char* aDisplayName);
        PropertyTypeBase(const PropertyTypeBase&) = delete;
        PropertyTypeBase& operator=(const PropertyTypeBase&) = delete;

    private:
        uint32_t myId = UINT32_MAX;
        const char* myDisplayName = nullptr;
        StringId myNameId;
    };
}
