// The least time any import of a binary file can take on this machine: inflating its compressed
// arrays with libdeflate, into buffers made once, with nothing else done.
#include "InflateFloor.h"

#include <libdeflate.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace VelaBench
{
    namespace
    {
        struct CompressedArray
        {
            const uint8_t* data;
            size_t size;
            size_t inflatedSize;
        };

        template <typename T>
        bool ReadAt(const std::vector<uint8_t>& someBytes, size_t aAt, T& aOut)
        {
            if (aAt > someBytes.size() || someBytes.size() - aAt < sizeof(T))
                return false;
            std::memcpy(&aOut, someBytes.data() + aAt, sizeof(T));
            return true;
        }

        // Walks one record and its children from aAt, gathering the compressed arrays; false on a damaged layout.
        bool GatherRecord(const std::vector<uint8_t>& someBytes, size_t& aAt, bool aWide, std::vector<CompressedArray>& someOut, bool& aEnded)
        {
            uint64_t end = 0, propertyCount = 0, propertyBytes = 0;
            const size_t header = aWide ? 24 : 12;
            if (aWide)
            {
                if (!ReadAt(someBytes, aAt, end) || !ReadAt(someBytes, aAt + 8, propertyCount) || !ReadAt(someBytes, aAt + 16, propertyBytes))
                    return false;
            }
            else
            {
                uint32_t narrow[3];
                if (!ReadAt(someBytes, aAt, narrow))
                    return false;
                end = narrow[0];
                propertyCount = narrow[1];
                propertyBytes = narrow[2];
            }
            aEnded = end == 0;
            if (aEnded)
            {
                aAt += header + 1;
                return true;
            }
            uint8_t nameLength = 0;
            if (end > someBytes.size() || !ReadAt(someBytes, aAt + header, nameLength))
                return false;
            size_t at = aAt + header + 1 + nameLength;
            for (uint64_t p = 0; p < propertyCount; ++p)
            {
                uint8_t type = 0;
                if (!ReadAt(someBytes, at++, type))
                    return false;
                uint32_t count = 0, encoding = 0, length = 0;
                switch (type)
                {
                case 'f': case 'i': case 'd': case 'l': case 'b':
                    if (!ReadAt(someBytes, at, count) || !ReadAt(someBytes, at + 4, encoding) || !ReadAt(someBytes, at + 8, length) ||
                        someBytes.size() - (at + 12) < length)
                        return false;
                    if (encoding == 1)
                        someOut.push_back({someBytes.data() + at + 12, length, count * static_cast<size_t>(type == 'd' || type == 'l' ? 8 : type == 'b' ? 1 : 4)});
                    at += 12 + length;
                    break;
                case 'S': case 'R':
                    if (!ReadAt(someBytes, at, length))
                        return false;
                    at += 4 + length;
                    break;
                case 'Y': at += 2; break;
                case 'C': at += 1; break;
                case 'I': case 'F': at += 4; break;
                case 'D': case 'L': at += 8; break;
                default: return false;
                }
            }
            at = aAt + header + 1 + nameLength + propertyBytes;
            while (at < end)
            {
                bool childEnded = false;
                if (!GatherRecord(someBytes, at, aWide, someOut, childEnded))
                    return false;
                if (childEnded)
                    break;
            }
            aAt = end;
            return true;
        }

        // The file's compressed arrays, viewing someBytes; empty for a text file, a big-endian one or a damaged one.
        std::vector<CompressedArray> GatherArrays(const std::vector<uint8_t>& someBytes)
        {
            constexpr size_t HEADER = 27;
            uint32_t version = 0;
            std::vector<CompressedArray> arrays;
            if (someBytes.size() < HEADER || std::memcmp(someBytes.data(), "Kaydara FBX Binary", 18) != 0 || !ReadAt(someBytes, 23, version))
                return arrays;
            for (size_t at = HEADER; at < someBytes.size();)
            {
                bool ended = false;
                if (!GatherRecord(someBytes, at, version >= 7500, arrays, ended))
                    return {};
                if (ended)
                    break;
            }
            return arrays;
        }

        std::vector<uint8_t> ReadFile(const std::string& aPath)
        {
            std::ifstream file(aPath, std::ios::binary);
            return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        }
    }

    size_t CompressedArrayCount(const std::string& aPath) { return GatherArrays(ReadFile(aPath)).size(); }

    void InflateFloor(benchmark::State& aState, const std::string& aPath)
    {
        const std::vector<uint8_t> bytes = ReadFile(aPath);
        const std::vector<CompressedArray> arrays = GatherArrays(bytes);
        std::vector<std::vector<uint8_t>> outputs;
        for (const CompressedArray& array : arrays)
            outputs.emplace_back(array.inflatedSize);
        const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> inflater(libdeflate_alloc_decompressor(),
                                                                                                        &libdeflate_free_decompressor);
        size_t inflated = 0;
        for (auto _ : aState)
        {
            inflated = 0;
            for (size_t i = 0; i < arrays.size(); ++i)
            {
                size_t written = 0;
                if (libdeflate_zlib_decompress(inflater.get(), arrays[i].data, arrays[i].size, outputs[i].data(), outputs[i].size(), &written) !=
                    LIBDEFLATE_SUCCESS)
                {
                    aState.SkipWithError("an array does not inflate");
                    return;
                }
                inflated += written;
            }
        }
        // A label, not counters: the CSV report needs every run to carry the same counters.
        aState.SetLabel(std::to_string(arrays.size()) + " arrays, " + std::to_string(inflated) + " bytes");
    }
}
