#pragma once
// Little-endian integers appended to a byte buffer, as every file format here stores them.
#include <cstdint>
#include <vector>

namespace Vela::Content
{
    inline void Put16(std::vector<uint8_t>& someBytes, uint32_t aValue)
    {
        someBytes.push_back(uint8_t(aValue));
        someBytes.push_back(uint8_t(aValue >> 8));
    }

    inline void Put32(std::vector<uint8_t>& someBytes, uint32_t aValue)
    {
        Put16(someBytes, aValue & 0xFFFF);
        Put16(someBytes, aValue >> 16);
    }
}
