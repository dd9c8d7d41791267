#include "mire/property/PropertyTypeBase.h"

#include "mire/stringRegistry/StringRegistry.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace Vela
{
    namespace impl
    {
        // Defined beside the built-in types: calling them keeps their registrations linked in
        // whenever the registry itself is.
        void AnchorPlainPropertyTypes();
        void AnchorPooledPropertyTypes();
    }

    namespace
    {
        // Constant-initialised, so registrations from any static initialiser find them ready.
        uint32_t ourCount = 0;
        std::atomic<bool> ourIsFinalized{ false };
        PropertyTypeBase* ourTable[MAX_PROPERTY_TYPES] = {};
        std::once_flag ourFinalizeOnce;

        std::unordered_map<StringId, const PropertyTypeBase*>& NameMap()
        {
            static std::unordered_map<StringId, const PropertyTypeBase*> map;
            return map;
        }
    }

    PropertyTypeBase::PropertyTypeBase(const char* aDisplayName)
    {
        if (ourIsFinalized.load(std::memory_order_acquire) || ourCount >= MAX_PROPERTY_TYPES)
        {
            std::abort();
        }
        myDisplayName = aDisplayName;
        myId = ourCount;
        ourTable[ourCount] = this;
        ++ourCount;
    }

    void PropertyTypeBase::FinalizeRegistry()
    {
        std::call_once(ourFinalizeOnce, [] {
            impl::AnchorPlainPropertyTypes();
            impl::AnchorPooledPropertyTypes();
            ourIsFinalized.store(true, std::memory_order_release);
            auto& map = NameMap();
            for (uint32_t i = 0; i < ourCount; ++i)
            {
                PropertyTypeBase* type = ourTable[i];
                type->myNameId = StringRegistry::RegisterOrGetString(type->myDisplayName);
                map[type->myNameId] = type;
            }
        });
    }

    const PropertyTypeBase* PropertyTypeBase::FindType(StringId aName)
    {
        FinalizeRegistry();
        const auto& map = NameMap();
        const auto found = map.find(aName);
        return found != map.end() ? found->second : nullptr;
    }

    StringId PropertyTypeBase::GetTypeId() const
    {
        FinalizeRegistry();
        return myNameId;
    }

    uint32_t PropertyTypeBase::GetRegisteredCount()
    {
        return ourCount;
    }
}
