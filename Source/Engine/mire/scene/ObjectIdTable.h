#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Vela
{
    // XXH64 start value for a 16-byte input with seed 0 (PRIME64_5 + 16).
    constexpr uint64_t XXH64_START_FOR_16_BYTES = 0x27D4EB2F165667C5ull + 16;

    // The tail and avalanche of XXH64, started from aSeed, for inputs below 32 bytes:
    // HashBytes(XXH64_START_FOR_16_BYTES, data, 16) equals XXH64(data, 16, seed 0).
    uint64_t HashBytes(uint64_t aSeed, const void* aData, size_t aLength);

    // A UUID in memory order: Data1 (u32), Data2 (u16), Data3 (u16) in the machine's byte order,
    // then the eight bytes of Data4.
    using Guid = std::array<uint8_t, 16>;

    // Parses exactly "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" (hexadecimal digits of either case).
    std::optional<Guid> ParseUuid(std::string_view aText);

    // The run-wide object id of a UUID text: 1, 2, 3, ... in the order UUIDs are first seen, the same
    // id for the same UUID in every scene. 0 for null, for text that is not a UUID and for the nil UUID.
    // Safe to call from several threads.
    uint32_t FindIdByGuidString(const char* aText);
}
