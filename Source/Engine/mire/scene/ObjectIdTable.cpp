#include "mire/scene/ObjectIdTable.h"

#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace Vela
{
    namespace
    {
        constexpr uint64_t PRIME64_1 = 0x9E3779B185EBCA87ull;
        constexpr uint64_t PRIME64_2 = 0xC2B2AE3D27D4EB4Full;
        constexpr uint64_t PRIME64_3 = 0x165667B19E3779F9ull;
        constexpr uint64_t PRIME64_4 = 0x85EBCA77C2B2AE63ull;
        constexpr uint64_t PRIME64_5 = 0x27D4EB2F165667C5ull;

        constexpr uint64_t RotateLeft(uint64_t aValue, int aBits) { return (aValue << aBits) | (aValue >> (64 - aBits)); }

        uint64_t ReadLittle64(const uint8_t* aBytes)
        {
            uint64_t value = 0;
            for (int i = 7; i >= 0; --i)
            {
                value = (value << 8) | aBytes[i];
            }
            return value;
        }

        uint32_t ReadLittle32(const uint8_t* aBytes)
        {
            uint32_t value = 0;
            for (int i = 3; i >= 0; --i)
            {
                value = (value << 8) | aBytes[i];
            }
            return value;
        }

        uint64_t Round(uint64_t aAccumulator, uint64_t aInput)
        {
            aAccumulator += aInput * PRIME64_2;
            aAccumulator = RotateLeft(aAccumulator, 31);
            return aAccumulator * PRIME64_1;
        }

        int HexValue(char aCharacter)
        {
            if (aCharacter >= '0' && aCharacter <= '9') return aCharacter - '0';
            if (aCharacter >= 'a' && aCharacter <= 'f') return aCharacter - 'a' + 10;
            if (aCharacter >= 'A' && aCharacter <= 'F') return aCharacter - 'A' + 10;
            return -1;
        }

        struct GuidHash
        {
            size_t operator()(const Guid& aGuid) const { return static_cast<size_t>(HashBytes(XXH64_START_FOR_16_BYTES, aGuid.data(), aGuid.size())); }
        };

        // Id i is the position of its GUID in the list; the nil GUID holds id 0 from the start.
        struct ObjectIdTable
        {
            std::mutex mutex;
            std::vector<Guid> guids{ Guid{} };
            std::unordered_map<Guid, uint32_t, GuidHash> ids{ { Guid{}, 0u } };
        };

        ObjectIdTable& Table()
        {
            static ObjectIdTable table;
            return table;
        }
    }

    uint64_t HashBytes(uint64_t aSeed, const void* aData, size_t aLength)
    {
        const auto* bytes = static_cast<const uint8_t*>(aData);
        uint64_t hash = aSeed;
        while (aLength >= 8)
        {
            hash ^= Round(0, ReadLittle64(bytes));
            hash = RotateLeft(hash, 27) * PRIME64_1 + PRIME64_4;
            bytes += 8;
            aLength -= 8;
        }
        if (aLength >= 4)
        {
            hash ^= static_cast<uint64_t>(ReadLittle32(bytes)) * PRIME64_1;
            hash = RotateLeft(hash, 23) * PRIME64_2 + PRIME64_3;
            bytes += 4;
            aLength -= 4;
        }
        while (aLength > 0)
        {
            hash ^= static_cast<uint64_t>(*bytes) * PRIME64_5;
            hash = RotateLeft(hash, 11) * PRIME64_1;
            ++bytes;
            --aLength;
        }
        hash ^= hash >> 33;
        hash *= PRIME64_2;
        hash ^= hash >> 29;
        hash *= PRIME64_3;
        hash ^= hash >> 32;
        return hash;
    }

    std::optional<Guid> ParseUuid(std::string_view aText)
    {
        constexpr size_t UUID_LENGTH = 36;
        if (aText.size() != UUID_LENGTH)
        {
            return std::nullopt;
        }
        uint8_t digits[16] = {};
        size_t digitCount = 0;
        for (size_t i = 0; i < UUID_LENGTH; ++i)
        {
            const bool hyphenPosition = i == 8 || i == 13 || i == 18 || i == 23;
            if (hyphenPosition)
            {
                if (aText[i] != '-')
                {
                    return std::nullopt;
                }
                continue;
            }
            const int value = HexValue(aText[i]);
            if (value < 0)
            {
                return std::nullopt;
            }
            digits[digitCount / 2] = static_cast<uint8_t>(digits[digitCount / 2] << 4 | value);
            ++digitCount;
        }

        // digits holds the 16 bytes in text order; the first three fields are numbers stored in the
        // machine's byte order.
        uint32_t data1 = 0;
        for (int i = 0; i < 4; ++i) data1 = data1 << 8 | digits[i];
        const uint16_t data2 = static_cast<uint16_t>(digits[4] << 8 | digits[5]);
        const uint16_t data3 = static_cast<uint16_t>(digits[6] << 8 | digits[7]);
        Guid guid{};
        std::memcpy(guid.data(), &data1, 4);
        std::memcpy(guid.data() + 4, &data2, 2);
        std::memcpy(guid.data() + 6, &data3, 2);
        std::memcpy(guid.data() + 8, digits + 8, 8);
        return guid;
    }

    uint32_t FindIdByGuidString(const char* aText)
    {
        if (!aText)
        {
            return 0;
        }
        const std::optional<Guid> guid = ParseUuid(aText);
        if (!guid)
        {
            return 0;
        }
        ObjectIdTable& table = Table();
        std::lock_guard lock(table.mutex);
        const auto [entry, inserted] = table.ids.try_emplace(*guid, static_cast<uint32_t>(table.guids.size()));
        if (inserted)
        {
            table.guids.push_back(*guid);
        }
        return entry->second;
    }
}
