// Binary FBX: a 27-byte header, then nested node records addressed by absolute end offsets.
#include "Platform/fbx/FbxDocumentParsers.h"

#include <zlib.h>

#include <bit>
#include <cstring>

namespace Vela::Fbx::impl
{
    namespace
    {
        constexpr char MAGIC[] = "Kaydara FBX Binary  ";  // 20 characters, then NUL and 0x1A
        constexpr size_t HEADER_SIZE = 27;
        constexpr uint32_t WIDE_OFFSETS_VERSION = 7500;
        // Deflate cannot expand data by more than about 1032:1; a larger claimed size is a damaged file.
        constexpr uint64_t MAX_INFLATE_RATIO = 1032;
        constexpr uint64_t MAX_ARRAY_BYTES = uint64_t{1} << 31;

        template <typename T>
        T SwapBytes(T aValue)
        {
            if constexpr (sizeof(T) == 1)
                return aValue;
            else
            {
                using Bits = std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>;
                Bits bits;
                std::memcpy(&bits, &aValue, sizeof(T));
                if constexpr (sizeof(T) == 2)
                    bits = __builtin_bswap16(bits);
                else if constexpr (sizeof(T) == 4)
                    bits = __builtin_bswap32(bits);
                else
                    bits = __builtin_bswap64(bits);
                T swapped;
                std::memcpy(&swapped, &bits, sizeof(T));
                return swapped;
            }
        }

        class BinaryParser
        {
        public:
            BinaryParser(std::span<const std::byte> aBytes, bool aBigEndian, bool aWideOffsets, std::string& aError)
                : myData(reinterpret_cast<const uint8_t*>(aBytes.data()))
                , mySize(aBytes.size())
                , myBigEndian(aBigEndian)
                , myWideOffsets(aWideOffsets)
                , myError(aError)
            {
            }

            ~BinaryParser()
            {
                if (myInflaterReady)
                    inflateEnd(&myInflater);
            }

            BinaryParser(const BinaryParser&) = delete;
            BinaryParser& operator=(const BinaryParser&) = delete;

            bool ParseTopLevel(Record& aRoot)
            {
                size_t position = HEADER_SIZE;
                return ParseRecordList(position, mySize, aRoot, 0);
            }

        private:
            bool Fail(const char* aWhat, size_t aPosition)
            {
                myError = std::string(aWhat) + " at byte " + std::to_string(aPosition);
                return false;
            }

            template <typename T>
            bool Read(size_t& aPosition, size_t aEnd, T& aOut)
            {
                if (aEnd - aPosition < sizeof(T))
                    return false;
                std::memcpy(&aOut, myData + aPosition, sizeof(T));
                if (myBigEndian)
                    aOut = SwapBytes(aOut);
                aPosition += sizeof(T);
                return true;
            }

            bool ReadOffset(size_t& aPosition, size_t aEnd, uint64_t& aOut)
            {
                if (myWideOffsets)
                    return Read(aPosition, aEnd, aOut);
                uint32_t narrow = 0;
                if (!Read(aPosition, aEnd, narrow))
                    return false;
                aOut = narrow;
                return true;
            }

            // Records up to aEnd or a null record; aPosition ends just past the list.
            bool ParseRecordList(size_t& aPosition, size_t aEnd, Record& aParent, size_t aDepth)
            {
                while (true)
                {
                    // A record's children may also simply run up to its end offset.
                    if (aPosition == aEnd)
                        return true;

                    const size_t recordStart = aPosition;
                    uint64_t endOffset = 0;
                    uint64_t propertyCount = 0;
                    uint64_t propertyBytes = 0;
                    uint8_t nameLength = 0;
                    if (!ReadOffset(aPosition, aEnd, endOffset) || !ReadOffset(aPosition, aEnd, propertyCount) ||
                        !ReadOffset(aPosition, aEnd, propertyBytes) || !Read(aPosition, aEnd, nameLength))
                        return Fail("Truncated record header", recordStart);

                    if (endOffset == 0 && propertyCount == 0 && propertyBytes == 0 && nameLength == 0)
                        return true;

                    if (endOffset > aEnd || endOffset <= aPosition)
                        return Fail("Record end offset out of range", recordStart);
                    const size_t recordEnd = static_cast<size_t>(endOffset);
                    if (recordEnd - aPosition < nameLength)
                        return Fail("Record name runs past its record", recordStart);

                    Record& record = aParent.children.emplace_back();
                    record.name.assign(reinterpret_cast<const char*>(myData + aPosition), nameLength);
                    aPosition += nameLength;

                    if (propertyBytes > recordEnd - aPosition)
                        return Fail("Property list runs past its record", recordStart);
                    const size_t propertiesEnd = aPosition + static_cast<size_t>(propertyBytes);
                    // Every property takes at least one byte, so this also bounds the reservation.
                    if (propertyCount > propertyBytes)
                        return Fail("Property count larger than the property list", recordStart);
                    record.properties.reserve(static_cast<size_t>(propertyCount));
                    for (uint64_t i = 0; i < propertyCount; ++i)
                    {
                        if (!ParseProperty(aPosition, propertiesEnd, record))
                            return false;
                    }
                    if (aPosition != propertiesEnd)
                        return Fail("Property list length does not match its contents", recordStart);

                    if (aPosition < recordEnd)
                    {
                        if (aDepth + 1 >= MAX_RECORD_DEPTH)
                            return Fail("Records nested too deeply", recordStart);
                        if (!ParseRecordList(aPosition, recordEnd, record, aDepth + 1))
                            return false;
                    }
                    aPosition = recordEnd;
                }
            }

            bool ParseProperty(size_t& aPosition, size_t aEnd, Record& aRecord)
            {
                const size_t start = aPosition;
                char code = 0;
                if (!Read(aPosition, aEnd, code))
                    return Fail("Truncated property", start);
                switch (code)
                {
                case 'C':
                {
                    uint8_t value = 0;
                    if (!Read(aPosition, aEnd, value))
                        return Fail("Truncated property", start);
                    aRecord.properties.emplace_back(Property::Type::Bool, int64_t{value});
                    return true;
                }
                case 'Y':
                    return ReadScalar<int16_t, int64_t>(aPosition, aEnd, aRecord, Property::Type::Int16, start);
                case 'I':
                    return ReadScalar<int32_t, int64_t>(aPosition, aEnd, aRecord, Property::Type::Int32, start);
                case 'L':
                    return ReadScalar<int64_t, int64_t>(aPosition, aEnd, aRecord, Property::Type::Int64, start);
                case 'F':
                    return ReadScalar<float, double>(aPosition, aEnd, aRecord, Property::Type::Float32, start);
                case 'D':
                    return ReadScalar<double, double>(aPosition, aEnd, aRecord, Property::Type::Float64, start);
                case 'S':
                case 'R':
                {
                    uint32_t length = 0;
                    if (!Read(aPosition, aEnd, length) || aEnd - aPosition < length)
                        return Fail("String property runs past its record", start);
                    std::string text(reinterpret_cast<const char*>(myData + aPosition), length);
                    aPosition += length;
                    aRecord.properties.emplace_back(code == 'S' ? Property::Type::String : Property::Type::Raw,
                                                    std::move(text));
                    return true;
                }
                case 'b':
                case 'c':  // byte arrays (image data) written by some exporters
                    return ReadArray<uint8_t>(aPosition, aEnd, aRecord, Property::Type::BoolArray, start);
                case 'i':
                    return ReadArray<int32_t>(aPosition, aEnd, aRecord, Property::Type::Int32Array, start);
                case 'l':
                    return ReadArray<int64_t>(aPosition, aEnd, aRecord, Property::Type::Int64Array, start);
                case 'f':
                    return ReadArray<float>(aPosition, aEnd, aRecord, Property::Type::Float32Array, start);
                case 'd':
                    return ReadArray<double>(aPosition, aEnd, aRecord, Property::Type::Float64Array, start);
                default:
                    return Fail("Unknown property type", start);
                }
            }

            template <typename Stored, typename Held>
            bool ReadScalar(size_t& aPosition, size_t aEnd, Record& aRecord, Property::Type aType, size_t aStart)
            {
                Stored value{};
                if (!Read(aPosition, aEnd, value))
                    return Fail("Truncated property", aStart);
                aRecord.properties.emplace_back(aType, static_cast<Held>(value));
                return true;
            }

            template <typename Element>
            bool ReadArray(size_t& aPosition, size_t aEnd, Record& aRecord, Property::Type aType, size_t aStart)
            {
                uint32_t count = 0;
                uint32_t encoding = 0;
                uint32_t storedBytes = 0;
                if (!Read(aPosition, aEnd, count) || !Read(aPosition, aEnd, encoding) || !Read(aPosition, aEnd, storedBytes))
                    return Fail("Truncated array header", aStart);
                if (storedBytes > aEnd - aPosition)
                    return Fail("Array data runs past its record", aStart);
                const uint64_t byteCount = uint64_t{count} * sizeof(Element);
                if (byteCount > MAX_ARRAY_BYTES)
                    return Fail("Array too large", aStart);

                std::vector<Element> elements;
                if (encoding == 0)
                {
                    if (byteCount != storedBytes)
                        return Fail("Array length does not match its element count", aStart);
                    elements.resize(count);
                    if (count > 0)
                        std::memcpy(elements.data(), myData + aPosition, storedBytes);
                }
                else if (encoding == 1)
                {
                    if (byteCount > uint64_t{storedBytes} * MAX_INFLATE_RATIO + 64)
                        return Fail("Compressed array claims an impossible size", aStart);
                    elements.resize(count);
                    if (!Inflate(myData + aPosition, storedBytes, elements.data(), static_cast<size_t>(byteCount)))
                        return Fail("Compressed array is damaged", aStart);
                }
                else
                    return Fail("Unknown array encoding", aStart);
                aPosition += storedBytes;

                if (myBigEndian)
                {
                    for (Element& element : elements)
                        element = SwapBytes(element);
                }
                aRecord.properties.emplace_back(aType, std::move(elements));
                return true;
            }

            bool Inflate(const uint8_t* aSource, size_t aSourceBytes, void* aTarget, size_t aTargetBytes)
            {
                if (!myInflaterReady)
                {
                    std::memset(&myInflater, 0, sizeof(myInflater));
                    if (inflateInit(&myInflater) != Z_OK)
                        return false;
                    myInflaterReady = true;
                }
                else if (inflateReset(&myInflater) != Z_OK)
                    return false;

                myInflater.next_in = const_cast<Bytef*>(aSource);
                myInflater.avail_in = static_cast<uInt>(aSourceBytes);
                myInflater.next_out = static_cast<Bytef*>(aTarget);
                myInflater.avail_out = static_cast<uInt>(aTargetBytes);
                const int result = inflate(&myInflater, Z_FINISH);
                // Exactly the promised number of bytes, and the stream must end there.
                return result == Z_STREAM_END && myInflater.avail_out == 0;
            }

            const uint8_t* myData;
            size_t mySize;
            bool myBigEndian;
            bool myWideOffsets;
            std::string& myError;
            z_stream myInflater{};
            bool myInflaterReady = false;
        };
    }

    bool IsBinaryDocument(std::span<const std::byte> aBytes)
    {
        return aBytes.size() >= sizeof(MAGIC) && std::memcmp(aBytes.data(), MAGIC, sizeof(MAGIC)) == 0;
    }

    bool ParseBinaryDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError)
    {
        if (aBytes.size() < HEADER_SIZE)
        {
            aError = "Binary FBX header is truncated";
            return false;
        }
        const auto* header = reinterpret_cast<const uint8_t*>(aBytes.data());
        const bool bigEndian = header[22] != 0;
        uint32_t version = 0;
        std::memcpy(&version, header + 23, sizeof(version));
        if (bigEndian)
            version = SwapBytes(version);
        if (version < MIN_VERSION || version > MAX_VERSION)
        {
            aError = "Unsupported FBX version " + std::to_string(version) + " (only FBX 7.x is read)";
            return false;
        }

        aOut.version = version;
        aOut.isBinary = true;
        aOut.isBigEndian = bigEndian;
        BinaryParser parser(aBytes, bigEndian, version >= WIDE_OFFSETS_VERSION, aError);
        return parser.ParseTopLevel(aOut.root);
    }
}
