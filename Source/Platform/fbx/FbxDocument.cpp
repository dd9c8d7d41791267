#include "Platform/fbx/FbxDocument.h"

#include "Platform/fbx/FbxDocumentParsers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace Vela::Fbx
{
    namespace
    {
        // A double outside int64's range (or NaN) must not reach a plain cast.
        int64_t ClampToInt64(double aValue)
        {
            if (std::isnan(aValue))
                return 0;
            if (aValue >= 9.2233720368547748e18)
                return std::numeric_limits<int64_t>::max();
            if (aValue <= -9.2233720368547758e18)
                return std::numeric_limits<int64_t>::min();
            return static_cast<int64_t>(aValue);
        }

        int32_t ClampToInt32(double aValue)
        {
            if (std::isnan(aValue))
                return 0;
            if (aValue >= 2147483647.0)
                return std::numeric_limits<int32_t>::max();
            if (aValue <= -2147483648.0)
                return std::numeric_limits<int32_t>::min();
            return static_cast<int32_t>(aValue);
        }

        template <typename Out, typename Convert>
        void ConvertArray(const Property::Value& aValue, std::vector<Out>& someOut, Convert aConvert)
        {
            someOut.clear();
            std::visit(
                [&](const auto& aHeld)
                {
                    using Held = std::decay_t<decltype(aHeld)>;
                    if constexpr (std::is_same_v<Held, std::string> || std::is_same_v<Held, std::string_view>)
                        return;
                    else if constexpr (std::is_arithmetic_v<Held>)
                        someOut.push_back(aConvert(aHeld));
                    else
                    {
                        someOut.resize(aHeld.size());
                        for (size_t i = 0; i < aHeld.size(); ++i)
                            someOut[i] = aConvert(aHeld[i]);
                    }
                },
                aValue);
        }
    }

    bool Property::IsNumber() const
    {
        switch (myType)
        {
        case Type::Bool:
        case Type::Int16:
        case Type::Int32:
        case Type::Int64:
        case Type::Float32:
        case Type::Float64:
            return true;
        default:
            return false;
        }
    }

    bool Property::IsString() const
    {
        return myType == Type::String || myType == Type::Raw;
    }

    bool Property::IsArray() const
    {
        switch (myType)
        {
        case Type::BoolArray:
        case Type::Int32Array:
        case Type::Int64Array:
        case Type::Float32Array:
        case Type::Float64Array:
            return true;
        default:
            return false;
        }
    }

    int64_t Property::AsInt64() const
    {
        if (const int64_t* integer = std::get_if<int64_t>(&myValue))
            return *integer;
        if (const double* real = std::get_if<double>(&myValue))
            return ClampToInt64(*real);
        return 0;
    }

    double Property::AsDouble() const
    {
        if (const double* real = std::get_if<double>(&myValue))
            return *real;
        if (const int64_t* integer = std::get_if<int64_t>(&myValue))
            return static_cast<double>(*integer);
        return 0.0;
    }

    std::string_view Property::AsString() const
    {
        if (const std::string_view* viewed = std::get_if<std::string_view>(&myValue))
            return *viewed;
        if (const std::string* text = std::get_if<std::string>(&myValue))
            return *text;
        return {};
    }

    size_t Property::ArraySize() const
    {
        return std::visit(
            [](const auto& aHeld) -> size_t
            {
                using Held = std::decay_t<decltype(aHeld)>;
                if constexpr (std::is_same_v<Held, std::string> || std::is_same_v<Held, std::string_view>)
                    return 0;
                else if constexpr (std::is_arithmetic_v<Held>)
                    return 1;
                else
                    return aHeld.size();
            },
            myValue);
    }

    void Property::ToDoubles(std::vector<double>& someOut) const
    {
        if (const std::vector<double>* same = std::get_if<std::vector<double>>(&myValue))
        {
            someOut = *same;
            return;
        }
        ConvertArray(myValue, someOut, [](auto aValue) { return static_cast<double>(aValue); });
    }

    void Property::ToInt32s(std::vector<int32_t>& someOut) const
    {
        if (const std::vector<int32_t>* same = std::get_if<std::vector<int32_t>>(&myValue))
        {
            someOut = *same;
            return;
        }
        ConvertArray(myValue, someOut,
                     [](auto aValue) -> int32_t
                     {
                         if constexpr (std::is_floating_point_v<decltype(aValue)>)
                             return ClampToInt32(aValue);
                         else
                             return static_cast<int32_t>(aValue);
                     });
    }

    void Property::ToInt64s(std::vector<int64_t>& someOut) const
    {
        if (const std::vector<int64_t>* same = std::get_if<std::vector<int64_t>>(&myValue))
        {
            someOut = *same;
            return;
        }
        ConvertArray(myValue, someOut,
                     [](auto aValue) -> int64_t
                     {
                         if constexpr (std::is_floating_point_v<decltype(aValue)>)
                             return ClampToInt64(aValue);
                         else
                             return static_cast<int64_t>(aValue);
                     });
    }

    const Record* Record::Find(std::string_view aName) const
    {
        for (const Record& child : children)
        {
            if (child.name == aName)
                return &child;
        }
        return nullptr;
    }

    std::vector<const Record*> Record::FindAll(std::string_view aName) const
    {
        std::vector<const Record*> found;
        for (const Record& child : children)
        {
            if (child.name == aName)
                found.push_back(&child);
        }
        return found;
    }

    const Property* Record::GetProperty(size_t aIndex) const
    {
        return aIndex < properties.size() ? &properties[aIndex] : nullptr;
    }

    namespace
    {
        // The first block of a document's arena: enough for the records of a small file.
        constexpr size_t FIRST_ARENA_BYTES = 16 * 1024;

        std::unique_ptr<std::pmr::monotonic_buffer_resource> MakeArena()
        {
            return std::make_unique<std::pmr::monotonic_buffer_resource>(FIRST_ARENA_BYTES);
        }

        // Parses into a fresh document so a failure leaves the caller's one untouched. Names and text
        // values view aSource, which holds aBytes.
        bool ParseInto(std::span<const std::byte> aBytes, std::shared_ptr<const std::byte[]> aSource, Document& aOut,
                       std::string& aError)
        {
            Document parsed;
            parsed.source = std::move(aSource);
            parsed.sourceSize = aBytes.size();
            const bool parsedOk = impl::IsBinaryDocument(aBytes) ? impl::ParseBinaryDocument(aBytes, parsed, aError)
                                                                 : impl::ParseAsciiDocument(aBytes, parsed, aError);
            if (!parsedOk)
                return false;
            parsed.MarkParsed();
            aOut = std::move(parsed);
            return true;
        }
    }

    Document::Document() : myArena(MakeArena()), root(myArena.get()) {}

    Document::Document(const Document& aOther)
        : version(aOther.version)
        , isBinary(aOther.isBinary)
        , isBigEndian(aOther.isBigEndian)
        , source(aOther.source)
        , sourceSize(aOther.sourceSize)
        , myArena(MakeArena())
        , root(aOther.root, myArena.get())
    {
    }

    // The root keeps the arena its vectors were made with, so it moves along with that arena.
    Document::Document(Document&& aOther) noexcept = default;

    Document& Document::operator=(const Document& aOther)
    {
        if (this != &aOther)
            *this = Document(aOther);
        return *this;
    }

    Document& Document::operator=(Document&& aOther) noexcept
    {
        if (this != &aOther)
        {
            // The old records go before their arena; the new root is made on the arena it came with.
            std::destroy_at(&root);
            myArena = std::move(aOther.myArena);
            std::construct_at(&root, std::move(aOther.root));
            version = aOther.version;
            isBinary = aOther.isBinary;
            isBigEndian = aOther.isBigEndian;
            source = std::move(aOther.source);
            sourceSize = aOther.sourceSize;
            myArrays = std::move(aOther.myArrays);
            myIsAsParsed = std::exchange(aOther.myIsAsParsed, false);
        }
        return *this;
    }

    Document::~Document() = default;

    void Document::Clear()
    {
        if (myIsAsParsed)
        {
            for (Property* array : myArrays)
                *array = Property();
            // Every record and list is in the arena, which goes whole below: they end unvisited.
            std::construct_at(&root);
        }
        *this = Document();
    }

    bool ParseDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError)
    {
        // The document keeps its own copy of the bytes, which its names and texts view.
        const std::shared_ptr<std::byte[]> bytes = std::make_unique_for_overwrite<std::byte[]>(aBytes.size());
        if (!aBytes.empty())
            std::memcpy(bytes.get(), aBytes.data(), aBytes.size());
        return ParseInto({bytes.get(), aBytes.size()}, bytes, aOut, aError);
    }

    bool LoadDocument(const std::filesystem::path& aPath, Document& aOut, std::string& aError)
    {
        // Opened without blocking so that a pipe in place of the file is refused rather than waited on;
        // only a regular file is read (a folder opens too, and gives a meaningless size).
        struct OpenFile
        {
            const int descriptor;
            ~OpenFile()
            {
                if (descriptor >= 0)
                    ::close(descriptor);
            }
        } file{::open(aPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
        const int descriptor = file.descriptor;
        if (descriptor < 0 && errno != ENOENT && errno != ENOTDIR)
        {
            aError = "Cannot open FBX file \"" + aPath.string() + "\"";
            return false;
        }
        struct stat status {};
        if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        {
            aError = "FBX file \"" + aPath.string() + "\" is not a regular file";
            return false;
        }
        // Not zero-filled first: the read overwrites every byte. Kept by the document, whose text values view it.
        const size_t size = static_cast<size_t>(status.st_size);
        const std::shared_ptr<std::byte[]> bytes = std::make_unique_for_overwrite<std::byte[]>(size);
        for (size_t done = 0; done < size;)
        {
            const ssize_t got = ::read(descriptor, bytes.get() + done, size - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
            {
                aError = "Cannot read FBX file \"" + aPath.string() + "\"";
                return false;
            }
            done += static_cast<size_t>(got);
        }
        std::string reason;
        if (!ParseInto({bytes.get(), size}, bytes, aOut, reason))
        {
            aError = aPath.filename().string() + ": " + reason;
            return false;
        }
        return true;
    }
}
