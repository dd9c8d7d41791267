#pragma once
#include "mire/math/Color.h"
#include "mire/math/Vector.h"
#include "mire/stringRegistry/StringId.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>

namespace Vela
{
    // Stands in for an animated pose in the data; it never carries anything, so it stays zero.
    struct PoseAndMotion
    {
        uint32_t myReserved = 0;
        bool operator==(const PoseAndMotion&) const = default;
    };

    struct BoxColliderProperty
    {
        Vector2<float> position;   // offset from the object
        Vector2<float> offsetSize; // size adjustment relative to the model's outer bounds
        bool isActive = false;
        bool operator==(const BoxColliderProperty&) const = default;
    };

    struct Button
    {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
        StringId functionPath;
        StringId layerPath;
        float width = 0.0f;
        float height = 0.0f;
        bool operator==(const Button&) const = default;
    };

    void from_json(const nlohmann::json& aJson, BoxColliderProperty& aOut);
    void to_json(nlohmann::json& aJson, const BoxColliderProperty& aValue);
    void from_json(const nlohmann::json& aJson, Button& aOut);
    void to_json(nlohmann::json& aJson, const Button& aValue);

    bool DrawBoxColliderEditor(BoxColliderProperty& aValue, const char* aLabel, const char* aTooltip);
    bool DrawButtonEditor(Button& aValue, const char* aLabel, const char* aTooltip);

    // The value that DefaultConstruct gives; zero for every plain type (a Color too, alpha included).
    template <typename T>
    T DefaultPropertyValue() { return T{}; }
    template <>
    inline Color DefaultPropertyValue<Color>() { return Color(0.0f, 0.0f, 0.0f, 0.0f); }

    // Per value type reading, writing and editing, used by PropertyType<T>.
    void ReadPropertyValue(bool& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(int32_t& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(float& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(Vector2<float>& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(Vector3<float>& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(Vector4<float>& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(Color& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(StringId& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(PoseAndMotion& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(BoxColliderProperty& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(Button& aValue, const nlohmann::json& aJson);

    void WritePropertyValue(const bool& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const int32_t& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const float& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const Vector2<float>& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const Vector3<float>& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const Vector4<float>& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const Color& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const StringId& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const PoseAndMotion& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const BoxColliderProperty& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const Button& aValue, nlohmann::json& aJson);

    bool DrawPropertyValueEditor(bool& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(int32_t& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(float& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(Vector2<float>& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(Vector3<float>& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(Vector4<float>& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(Color& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(StringId& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(PoseAndMotion& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(BoxColliderProperty& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(Button& aValue, const char* aLabel, const char* aTooltip);
}
