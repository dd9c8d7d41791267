#include "Platform/fbx/FbxDocument.h"

#include "Platform/fbx/FbxDocumentParsers.h"

#include <cmath>
#include <fstream>
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
        // Parses into a fresh document so a failure leaves the caller's one untouched. Text values view
        // aSource's bytes when given (the document then shares it), else they are copied.
        bool ParseInto(std::span<const std::byte> aBytes, std::shared_ptr<const std::byte[]> aSource, Document& aOut,
                       std::string& aError)
        {
            Document parsed;
            const bool viewText = aSource != nullptr;
            parsed.source = std::move(aSource);
            const bool parsedOk = impl::IsBinaryDocument(aBytes) ? impl::ParseBinaryDocument(aBytes, parsed, aError, viewText)
                                                                 : impl::ParseAsciiDocument(aBytes, parsed, aError, viewText);
            if (!parsedOk)
                return false;
            aOut = std::move(parsed);
            return true;
        }
    }

    bool ParseDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError)
    {
        return ParseInto(aBytes, nullptr, aOut, aError);
    }

    bool LoadDocument(const std::filesystem::path& aPath, Document& aOut, std::string& aError)
    {
        // A folder opens and gives a meaningless size; only a regular file is read.
        std::error_code status;
        if (!std::filesystem::is_regular_file(aPath, status))
        {
            aError = "FBX file \"" + aPath.string() + "\" is not a regular file";
            return false;
        }
        std::ifstream file(aPath, std::ios::binary | std::ios::ate);
        if (!file)
        {
            aError = "Cannot open FBX file \"" + aPath.string() + "\"";
            return false;
        }
        const std::streamoff size = file.tellg();
        if (size < 0)
        {
            aError = "Cannot read FBX file \"" + aPath.string() + "\"";
            return false;
        }
        // Not zero-filled first: the read overwrites every byte. Kept by the document, whose text values view it.
        const std::shared_ptr<std::byte[]> bytes = std::make_unique_for_overwrite<std::byte[]>(static_cast<size_t>(size));
        file.seekg(0);
        if (size > 0 && !file.read(reinterpret_cast<char*>(bytes.get()), size))
        {
            aError = "Cannot read FBX file \"" + aPath.string() + "\"";
            return false;
        }
        std::string reason;
        if (!ParseInto({bytes.get(), static_cast<size_t>(size)}, bytes, aOut, reason))
        {
            aError = aPath.filename().string() + ": " + reason;
            return false;
        }
        return true;
    }
}
