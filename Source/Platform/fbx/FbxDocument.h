#pragma once
// The raw record tree of an FBX file, binary or ASCII, before any interpretation.
// Every later layer (scene graph, evaluation, import) reads files through this.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <memory_resource>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace Vela::Fbx
{
    // One value attached to a record. Binary files keep their exact scalar/array type codes;
    // ASCII files give integers (no '.', 'e') as Int64 and other numbers as Float64, arrays likewise.
    class Property
    {
    public:
        enum class Type : char
        {
            Bool = 'C', Int16 = 'Y', Int32 = 'I', Int64 = 'L', Float32 = 'F', Float64 = 'D',
            String = 'S', Raw = 'R',
            BoolArray = 'b', Int32Array = 'i', Int64Array = 'l', Float32Array = 'f', Float64Array = 'd'
        };
        // Text read from a file a Document holds (Document::source) is viewed there, not copied.
        using Value = std::variant<int64_t, double, std::string,
                                   std::vector<int32_t>, std::vector<int64_t>, std::vector<float>, std::vector<double>,
                                   std::vector<uint8_t>, std::string_view>;

        Property() = default;
        Property(Type aType, Value aValue) : myType(aType), myValue(std::move(aValue)) {}
        // The value made in place, e.g. Property(type, std::in_place_type<double>, 1.5): readers make millions.
        template <class Held, class... Arguments>
        Property(Type aType, std::in_place_type_t<Held> aHeld, Arguments&&... someArguments)
            : myType(aType), myValue(aHeld, std::forward<Arguments>(someArguments)...)
        {
        }

        Type GetType() const { return myType; }
        const Value& GetValue() const { return myValue; }
        bool IsNumber() const;  // any scalar integer or float
        bool IsString() const;  // String or Raw
        bool IsArray() const;

        // Scalar reads convert between integer and float kinds; a non-number reads as 0.
        int64_t AsInt64() const;
        double AsDouble() const;
        // String and Raw give their bytes; anything else gives "".
        std::string_view AsString() const;

        // Array reads convert element kinds; a scalar number reads as a one-element array,
        // anything else as an empty one.
        size_t ArraySize() const;
        void ToDoubles(std::vector<double>& someOut) const;
        void ToInt32s(std::vector<int32_t>& someOut) const;
        void ToInt64s(std::vector<int64_t>& someOut) const;

    private:
        Type myType = Type::Int64;
        Value myValue = int64_t{0};
    };

    // A named record with its values and nested records, in file order. A document's records live in
    // its arena and their names view the file's bytes, so that a file of thousands of small records
    // costs no allocation per record.
    struct Record
    {
        using allocator_type = std::pmr::polymorphic_allocator<>;

        std::string_view name;
        std::pmr::vector<Property> properties;
        std::pmr::vector<Record> children;

        Record() = default;
        explicit Record(const allocator_type& anAllocator) : properties(anAllocator), children(anAllocator) {}
        Record(const Record& aOther, const allocator_type& anAllocator)
            : name(aOther.name), properties(aOther.properties, anAllocator), children(aOther.children, anAllocator)
        {
        }
        Record(Record&& aOther, const allocator_type& anAllocator)
            : name(aOther.name), properties(std::move(aOther.properties), anAllocator), children(std::move(aOther.children), anAllocator)
        {
        }
        Record(const Record&) = default;
        Record(Record&&) noexcept = default;
        Record& operator=(const Record&) = default;
        Record& operator=(Record&&) = default;

        // The first child of that name, or null.
        const Record* Find(std::string_view aName) const;
        // All children of that name, in file order.
        std::vector<const Record*> FindAll(std::string_view aName) const;
        // Convenience: properties[aIndex] when present, else null.
        const Property* GetProperty(size_t aIndex) const;
    };

    struct Document
    {
        Document();
        Document(const Document& aOther);
        Document(Document&& aOther) noexcept;
        Document& operator=(const Document& aOther);
        Document& operator=(Document&& aOther) noexcept;
        ~Document();

        // Empties the document. One its parser made goes at once, unvisited: only its arrays hold memory
        // outside the arena, and the parser noted them. A copy is taken apart record by record. So a
        // parsed document whose records were changed since must not be cleared this way (the importer
        // never changes its own).
        void Clear();
        // For the parsers: an array value, whose elements live outside the arena.
        void NoteArray(Property& aValue) { myArrays.push_back(&aValue); }
        // For the parsers: the records are complete, and every array among them noted.
        void MarkParsed() { myIsAsParsed = true; }

        uint32_t version = 0;   // e.g. 7400 (FBXHeaderExtension/FBXVersion for ASCII files)
        bool isBinary = false;
        bool isBigEndian = false;
        // The file's bytes: record names and text values view them.
        std::shared_ptr<const std::byte[]> source;
        size_t sourceSize = 0;

    private:
        // Holds the records; declared before the root so that it outlives them.
        std::unique_ptr<std::pmr::monotonic_buffer_resource> myArena;
        std::vector<Property*> myArrays;
        bool myIsAsParsed = false;

    public:
        Record root;            // unnamed; its children are the file's top-level records
    };

    // Parses a whole file held in memory. Returns false with a one-line reason in aError for
    // anything that is not FBX 7.x (binary 7100..7700 or ASCII), or is damaged. Every offset,
    // length and count is checked; nesting depth is bounded; never reads outside aBytes.
    bool ParseDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError);
    bool LoadDocument(const std::filesystem::path& aPath, Document& aOut, std::string& aError);
}
