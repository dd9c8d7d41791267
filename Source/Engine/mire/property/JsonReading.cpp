#include "mire/property/JsonReading.h"

#include <limits>
#include <string>

namespace Vela::JsonReading
{
    const nlohmann::json& Element(const nlohmann::json& aArray, size_t aIndex)
    {
        if (!aArray.is_array())
        {
            return aArray[aIndex]; // throws type_error 305 for every non-array
        }
        return aArray.at(aIndex);
    }

    const nlohmann::json& Member(const nlohmann::json& aObject, std::string_view aKey)
    {
        if (!aObject.is_object())
        {
            return aObject[std::string(aKey)]; // throws type_error 305 for every non-object
        }
        return aObject.at(std::string(aKey));
    }

    const nlohmann::json& MemberOrNull(const nlohmann::json& aObject, std::string_view aKey)
    {
        static const nlohmann::json null;
        RequireObjectForValue(aObject);
        const auto found = aObject.find(aKey);
        return found != aObject.end() ? *found : null;
    }

    void RequireObjectForValue(const nlohmann::json& aJson)
    {
        if (!aJson.is_object())
        {
            throw nlohmann::json::type_error::create(306, std::string("cannot use value() with ") + aJson.type_name(), &aJson);
        }
    }

    void RequireArray(const nlohmann::json& aJson)
    {
        if (!aJson.is_array())
        {
            throw nlohmann::json::type_error::create(302, std::string("type must be array, but is ") + aJson.type_name(), &aJson);
        }
    }

    int32_t ReadInt32(const nlohmann::json& aJson)
    {
        constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
        constexpr int64_t highest = std::numeric_limits<int32_t>::max();
        bool fits = true;
        if (aJson.is_number_unsigned())
        {
            fits = aJson.get<uint64_t>() <= static_cast<uint64_t>(highest);
        }
        else if (aJson.is_number_integer())
        {
            const int64_t value = aJson.get<int64_t>();
            fits = value >= lowest && value <= highest;
        }
        else if (aJson.is_number_float())
        {
            // Compared before any conversion: casting a float outside the range is undefined.
            const double value = aJson.get<double>();
            fits = value > static_cast<double>(lowest) - 1.0 && value < static_cast<double>(highest) + 1.0;
        }
        if (!fits)
        {
            throw nlohmann::json::out_of_range::create(406, "number overflow: " + aJson.dump() + " does not fit a 32-bit Int", &aJson);
        }
        return aJson.get<int32_t>();
    }
}
