#pragma once
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

namespace Vela::JsonReading
{
    // Element aIndex of an array. A non-array raises the library's type_error 305 (as its operator[]
    // does); an array that is too short raises out_of_range 401 instead of reading past its end.
    const nlohmann::json& Element(const nlohmann::json& aArray, size_t aIndex);

    // Member aKey of an object. A non-object raises type_error 305 (as operator[] does); a missing key
    // raises out_of_range 403 instead of reading a member that is not there.
    const nlohmann::json& Member(const nlohmann::json& aObject, std::string_view aKey);

    // Member aKey of an object, or JSON null when the key is absent, so that a missing required key
    // reports "type must be ..., but is null". A non-object raises type_error 306 (as value() does).
    const nlohmann::json& MemberOrNull(const nlohmann::json& aObject, std::string_view aKey);

    // Raises type_error 306 "cannot use value() with <type>" unless aJson is an object.
    void RequireObjectForValue(const nlohmann::json& aJson);

    // Raises type_error 302 "type must be array, but is <type>" unless aJson is an array.
    void RequireArray(const nlohmann::json& aJson);

    // A number that fits a 32-bit signed integer (a fraction is dropped, as the library's own conversion does). A
    // number outside that range raises out_of_range 406; a value that is not a number raises the library's type error.
    int32_t ReadInt32(const nlohmann::json& aJson);
}
