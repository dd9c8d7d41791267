#include "mire/property/JsonReading.h"

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
}
