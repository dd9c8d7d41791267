#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace Vela
{
    // A handle to interned text: the address of the registry's single NUL-terminated copy, so two ids
    // compare by pointer. The default (null) id is the empty string. Ids stay valid until exit.
    class StringId
    {
    public:
        constexpr StringId() = default;

        const char* GetString() const { return myString ? myString : ""; }
        const char* GetPointer() const { return myString; }
        std::string_view GetView() const { return myString ? std::string_view(myString) : std::string_view(); }
        bool IsEmpty() const { return myString == nullptr; }
        explicit operator bool() const { return myString != nullptr; }

        bool operator==(const StringId& aOther) const { return myString == aOther.myString; }
        bool operator!=(const StringId& aOther) const { return myString != aOther.myString; }
        // Orders by address: stable for the run, not alphabetical.
        bool operator<(const StringId& aOther) const { return std::less<const char*>()(myString, aOther.myString); }

    private:
        friend class StringRegistry;
        explicit StringId(const char* aString) : myString(aString) {}

        const char* myString = nullptr;
    };

    // 64-bit FNV-1a over the bytes, one at a time.
    constexpr uint64_t FNV_OFFSET_BASIS = 0xcbf29ce484222325ull;
    constexpr uint64_t FNV_PRIME = 0x100000001b3ull;
    constexpr uint64_t HashFnv1a(std::string_view aText)
    {
        uint64_t hash = FNV_OFFSET_BASIS;
        for (const char character : aText)
        {
            hash = (hash ^ static_cast<uint8_t>(character)) * FNV_PRIME;
        }
        return hash;
    }
}

template <>
struct std::hash<Vela::StringId>
{
    size_t operator()(const Vela::StringId& aId) const noexcept { return static_cast<size_t>(Vela::HashFnv1a(aId.GetView())); }
};
