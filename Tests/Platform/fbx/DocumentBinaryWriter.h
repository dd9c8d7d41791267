#pragma once
// Builds small binary FBX files for tests: records, scalar and array values, 32- or 64-bit offsets.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

namespace VelaTest
{
    class FbxBinaryWriter
    {
    public:
        explicit FbxBinaryWriter(uint32_t aVersion = 7400) : myVersion(aVersion)
        {
            myBytes.assign("Kaydara FBX Binary  ", 20);
            myBytes.push_back('\0');
            myBytes.push_back('\x1A');
            myBytes.push_back('\0');
            Append<uint32_t>(aVersion);
        }

        bool Wide() const { return myVersion >= 7500; }

        void Begin(const std::string& aName)
        {
            myOpen.push_back({myBytes.size(), 0, 0, 0});
            AppendOffset(0);
            AppendOffset(0);
            AppendOffset(0);
            myBytes.push_back(static_cast<char>(aName.size()));
            myBytes += aName;
            myOpen.back().propertiesStart = myBytes.size();
        }

        void Int32(int32_t aValue) { Scalar('I', aValue); }
        void Int64(int64_t aValue) { Scalar('L', aValue); }
        void Float64(double aValue) { Scalar('D', aValue); }
        void Bool(char aValue) { Scalar('C', aValue); }
        void String(const std::string& aText)
        {
            ++myOpen.back().propertyCount;
            myBytes.push_back('S');
            Append<uint32_t>(static_cast<uint32_t>(aText.size()));
            myBytes += aText;
        }
        // aLevel 0 writes the data as stored deflate blocks: the values stay readable in the file.
        template <typename T>
        void Array(char aCode, const std::vector<T>& someValues, bool aCompress, int aLevel = Z_DEFAULT_COMPRESSION)
        {
            ++myOpen.back().propertyCount;
            myBytes.push_back(aCode);
            Append<uint32_t>(static_cast<uint32_t>(someValues.size()));
            std::string raw(reinterpret_cast<const char*>(someValues.data()), someValues.size() * sizeof(T));
            if (aCompress)
            {
                uLongf size = compressBound(static_cast<uLong>(raw.size()));
                std::string packed(size, '\0');
                compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), aLevel);
                packed.resize(size);
                raw = packed;
            }
            Append<uint32_t>(aCompress ? 1u : 0u);
            Append<uint32_t>(static_cast<uint32_t>(raw.size()));
            myBytes += raw;
        }

        // Children follow; the record is closed by End().
        void End()
        {
            Open record = myOpen.back();
            myOpen.pop_back();
            const size_t propertyBytes = record.childrenStart ? record.childrenStart - record.propertiesStart
                                                              : myBytes.size() - record.propertiesStart;
            if (record.childrenStart)
                AppendNull();
            PatchOffset(record.start, myBytes.size());
            PatchOffset(record.start + OffsetSize(), record.propertyCount);
            PatchOffset(record.start + 2 * OffsetSize(), propertyBytes);
        }

        // Marks where the current record's properties stop and its children begin.
        void Children() { myOpen.back().childrenStart = myBytes.size(); }

        std::string Finish()
        {
            AppendNull();
            myBytes.append(16, '\0');
            return myBytes;
        }

    private:
        struct Open
        {
            size_t start;
            size_t propertyCount;
            size_t childrenStart;
            size_t propertiesStart;
        };

        template <typename T>
        void Append(T aValue)
        {
            char bytes[sizeof(T)];
            std::memcpy(bytes, &aValue, sizeof(T));
            myBytes.append(bytes, sizeof(T));
        }
        template <typename T>
        void Scalar(char aCode, T aValue)
        {
            ++myOpen.back().propertyCount;
            myBytes.push_back(aCode);
            Append(aValue);
        }
        size_t OffsetSize() const { return Wide() ? 8 : 4; }
        void AppendOffset(uint64_t aValue)
        {
            if (Wide())
                Append<uint64_t>(aValue);
            else
                Append<uint32_t>(static_cast<uint32_t>(aValue));
        }
        void PatchOffset(size_t aAt, uint64_t aValue)
        {
            if (Wide())
                std::memcpy(&myBytes[aAt], &aValue, 8);
            else
            {
                const uint32_t narrow = static_cast<uint32_t>(aValue);
                std::memcpy(&myBytes[aAt], &narrow, 4);
            }
        }
        void AppendNull() { myBytes.append(3 * OffsetSize() + 1, '\0'); }

        uint32_t myVersion;
        std::string myBytes;
        std::vector<Open> myOpen;
    };
}
