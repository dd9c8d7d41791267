// Binary FBX: a 27-byte header, then nested node records addressed by absolute end offsets.
#include "Platform/fbx/FbxDocumentParsers.h"
#include "Platform/fbx/FbxParallel.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <numeric>
#include <type_traits>

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
        // Below this much inflated data in a file, waking the worker threads costs more than it saves.
        constexpr uint64_t PARALLEL_INFLATE_BYTES = uint64_t{1} << 20;

        // Compressed arrays point at their Property while the tree still grows; that holds because a
        // record's property list is reserved up front and records move (never copy) when their list grows.
        static_assert(std::is_nothrow_move_constructible_v<Record>);

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

        // Array elements stored big-endian, to the host's order.
        template <typename Element>
        void SwapAllBytes(std::vector<Element>& someElements)
        {
            for (Element& element : someElements)
                element = SwapBytes(element);
        }

        struct DecompressorDeleter
        {
            void operator()(libdeflate_decompressor* aDecompressor) const { libdeflate_free_decompressor(aDecompressor); }
        };
        using Decompressor = std::unique_ptr<libdeflate_decompressor, DecompressorDeleter>;

        Decompressor MakeDecompressor()
        {
            Decompressor decompressor(libdeflate_alloc_decompressor());
            if (!decompressor)
                throw std::bad_alloc();
            return decompressor;
        }

        // A compressed array met during the walk; it is inflated once the walk is done, so that the
        // arrays of a file can inflate side by side.
        struct PendingArray
        {
            Property* target;
            Property::Type type;
            const uint8_t* source;
            size_t sourceBytes;
            uint32_t count;
            size_t inflatedBytes;
            size_t start;  // where its property begins, for the error message
        };

        // Exactly the promised number of bytes, the stream ending there, its checksum verified.
        bool Inflate(libdeflate_decompressor& aDecompressor, const uint8_t* aSource, size_t aSourceBytes, void* aTarget,
                     size_t aTargetBytes)
        {
            return libdeflate_zlib_decompress(&aDecompressor, aSource, aSourceBytes, aTarget, aTargetBytes, nullptr) ==
                   LIBDEFLATE_SUCCESS;
        }

        template <typename Element>
        bool InflateArray(libdeflate_decompressor& aDecompressor, const PendingArray& aArray, bool aBigEndian)
        {
            std::vector<Element> elements(aArray.count);
            if (!Inflate(aDecompressor, aArray.source, aArray.sourceBytes, elements.data(), elements.size() * sizeof(Element)))
                return false;
            if (aBigEndian)
                SwapAllBytes(elements);
            *aArray.target = Property(aArray.type, std::move(elements));
            return true;
        }

        bool InflatePending(libdeflate_decompressor& aDecompressor, const PendingArray& aArray, bool aBigEndian)
        {
            switch (aArray.type)
            {
            case Property::Type::Int32Array:
                return InflateArray<int32_t>(aDecompressor, aArray, aBigEndian);
            case Property::Type::Int64Array:
                return InflateArray<int64_t>(aDecompressor, aArray, aBigEndian);
            case Property::Type::Float32Array:
                return InflateArray<float>(aDecompressor, aArray, aBigEndian);
            case Property::Type::Float64Array:
                return InflateArray<double>(aDecompressor, aArray, aBigEndian);
            default:
                return InflateArray<uint8_t>(aDecompressor, aArray, aBigEndian);
            }
        }

        class BinaryParser
        {
        public:
            BinaryParser(std::span<const std::byte> aBytes, bool aBigEndian, bool aWideOffsets, Document& aDocument, std::string& aError)
                : myDocument(aDocument)
                , myData(reinterpret_cast<const uint8_t*>(aBytes.data()))
                , mySize(aBytes.size())
                , myBigEndian(aBigEndian)
                , myWideOffsets(aWideOffsets)
                , myError(aError)
            {
            }

            bool ParseTopLevel(Record& aRoot)
            {
                size_t position = HEADER_SIZE;
                const bool walked = ParseRecordList(position, mySize, aRoot, 0);
                // Every pending array lies before wherever the walk stopped, so a damaged one is the earlier error.
                const size_t damaged = InflateAll();
                if (damaged < myPending.size())
                    return Fail("Compressed array is damaged", myPending[damaged].start);
                return walked;
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

            // How many records the list from aPosition holds, by hopping over their end offsets; stops early
            // at anything odd, which the walk itself then reports. Lets the walk reserve the list once.
            size_t CountRecords(size_t aPosition, size_t aEnd)
            {
                size_t count = 0;
                while (aPosition != aEnd)
                {
                    uint64_t endOffset = 0;
                    if (!ReadOffset(aPosition, aEnd, endOffset) || endOffset <= aPosition || endOffset > aEnd)
                        break;
                    ++count;
                    aPosition = static_cast<size_t>(endOffset);
                }
                return count;
            }

            // Records up to aEnd or a null record; aPosition ends just past the list.
            bool ParseRecordList(size_t& aPosition, size_t aEnd, Record& aParent, size_t aDepth)
            {
                aParent.children.reserve(CountRecords(aPosition, aEnd));
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
                    record.name = std::string_view(reinterpret_cast<const char*>(myData + aPosition), nameLength);
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
                    aRecord.properties.emplace_back(Property::Type::Bool, std::in_place_type<int64_t>, value);
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
                    const std::string_view text(reinterpret_cast<const char*>(myData + aPosition), length);
                    aPosition += length;
                    const Property::Type type = code == 'S' ? Property::Type::String : Property::Type::Raw;
                    aRecord.properties.emplace_back(type, std::in_place_type<std::string_view>, text);
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
                aRecord.properties.emplace_back(aType, std::in_place_type<Held>, static_cast<Held>(value));
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
                    Property& pending = aRecord.properties.emplace_back(aType, std::in_place_type<std::vector<Element>>);
                    myDocument.NoteArray(pending);
                    myPending.push_back({&pending, aType, myData + aPosition, storedBytes, count, static_cast<size_t>(byteCount), aStart});
                    myPendingBytes += byteCount;
                    aPosition += storedBytes;
                    return true;
                }
                else
                    return Fail("Unknown array encoding", aStart);
                aPosition += storedBytes;

                if (myBigEndian)
                    SwapAllBytes(elements);
                myDocument.NoteArray(aRecord.properties.emplace_back(aType, std::in_place_type<std::vector<Element>>, std::move(elements)));
                return true;
            }

            // Inflates every pending array; returns the index of the first damaged one in file order, or the
            // count when none is.
            size_t InflateAll()
            {
                std::atomic<size_t> firstDamaged{myPending.size()};
                const auto inflateRange = [&](const size_t* aBegin, const size_t* aEnd)
                {
                    Decompressor decompressor = MakeDecompressor();
                    for (const size_t* index = aBegin; index != aEnd; ++index)
                    {
                        // Arrays after a damaged one are never looked at: the file is refused anyway.
                        if (*index > firstDamaged.load(std::memory_order_relaxed))
                            continue;
                        if (!InflatePending(*decompressor, myPending[*index], myBigEndian))
                        {
                            size_t known = firstDamaged.load(std::memory_order_relaxed);
                            while (*index < known && !firstDamaged.compare_exchange_weak(known, *index))
                            {
                            }
                        }
                    }
                };

                std::vector<size_t> order(myPending.size());
                std::iota(order.begin(), order.end(), size_t{0});
                if (myPendingBytes < PARALLEL_INFLATE_BYTES || myPending.size() < 2)
                    inflateRange(order.data(), order.data() + order.size());
                else
                {
                    // Largest first, so that no big array starts last and holds up the others.
                    std::stable_sort(order.begin(), order.end(), [&](size_t aLeft, size_t aRight)
                                     { return myPending[aLeft].inflatedBytes > myPending[aRight].inflatedBytes; });
                    ParallelFor(order.size(), 1, [&](size_t aBegin, size_t aEnd)
                                { inflateRange(order.data() + aBegin, order.data() + aEnd); });
                }
                return firstDamaged.load();
            }

            Document& myDocument;
            const uint8_t* myData;
            size_t mySize;
            bool myBigEndian;
            bool myWideOffsets;
            std::string& myError;
            std::vector<PendingArray> myPending;
            uint64_t myPendingBytes = 0;
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
        BinaryParser parser(aBytes, bigEndian, version >= WIDE_OFFSETS_VERSION, aOut, aError);
        return parser.ParseTopLevel(aOut.root);
    }
}
