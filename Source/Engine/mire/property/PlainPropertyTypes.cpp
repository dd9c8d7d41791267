#include "mire/property/JsonReading.h"
#include "mire/property/PropertyType.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <nlohmann/json.hpp>

namespace Vela
{
    template <> const PropertyType<bool> PropertyType<bool>::ourInstance{ "Bool" };
    template <> const PropertyType<int32_t> PropertyType<int32_t>::ourInstance{ "Int" };
    template <> const PropertyType<float> PropertyType<float>::ourInstance{ "Float" };
    template <> const PropertyType<Vector2<float>> PropertyType<Vector2<float>>::ourInstance{ "Float2" };
    template <> const PropertyType<Vector3<float>> PropertyType<Vector3<float>>::ourInstance{ "Float3" };
    template <> const PropertyType<Vector4<float>> PropertyType<Vector4<float>>::ourInstance{ "Float4" };
    template <> const PropertyType<Color> PropertyType<Color>::ourInstance{ "Color" };
    template <> const PropertyType<StringId> PropertyType<StringId>::ourInstance{ "StringId" };
    template <> const PropertyType<PoseAndMotion> PropertyType<PoseAndMotion>::ourInstance{ "Pose" };
    template <> const PropertyType<BoxColliderProperty> PropertyType<BoxColliderProperty>::ourInstance{ "Collider - Box" };
    template <> const PropertyType<Button> PropertyType<Button>::ourInstance{ "Button" };

    namespace impl
    {
        void AnchorPlainPropertyTypes() {}
    }

    namespace
    {
        using JsonReading::Element;
        using JsonReading::Member;

        float ReadFloat(const nlohmann::json& aJson) { return aJson.get<float>(); }

        Vector2<float> ReadVector2(const nlohmann::json& aJson)
        {
            Vector2<float> value;
            value.x = ReadFloat(Element(aJson, 0));
            value.y = ReadFloat(Element(aJson, 1));
            return value;
        }

        StringId ReadInternedString(const nlohmann::json& aJson)
        {
            return StringRegistry::RegisterOrGetString(aJson.get<std::string>());
        }
    }

    void ReadPropertyValue(bool& aValue, const nlohmann::json& aJson) { aValue = aJson.get<bool>(); }
    void ReadPropertyValue(int32_t& aValue, const nlohmann::json& aJson) { aValue = JsonReading::ReadInt32(aJson); }
    void ReadPropertyValue(float& aValue, const nlohmann::json& aJson) { aValue = ReadFloat(aJson); }

    // Components are stored as they are read, so a bad element leaves the ones before it assigned.
    void ReadPropertyValue(Vector2<float>& aValue, const nlohmann::json& aJson)
    {
        aValue.x = ReadFloat(Element(aJson, 0));
        aValue.y = ReadFloat(Element(aJson, 1));
    }

    void ReadPropertyValue(Vector3<float>& aValue, const nlohmann::json& aJson)
    {
        aValue.x = ReadFloat(Element(aJson, 0));
        aValue.y = ReadFloat(Element(aJson, 1));
        aValue.z = ReadFloat(Element(aJson, 2));
    }

    void ReadPropertyValue(Vector4<float>& aValue, const nlohmann::json& aJson)
    {
        aValue.x = ReadFloat(Element(aJson, 0));
        aValue.y = ReadFloat(Element(aJson, 1));
        aValue.z = ReadFloat(Element(aJson, 2));
        aValue.w = ReadFloat(Element(aJson, 3));
    }

    void ReadPropertyValue(Color& aValue, const nlohmann::json& aJson)
    {
        aValue.r = ReadFloat(Element(aJson, 0));
        aValue.g = ReadFloat(Element(aJson, 1));
        aValue.b = ReadFloat(Element(aJson, 2));
        aValue.a = ReadFloat(Element(aJson, 3));
    }

    void ReadPropertyValue(StringId& aValue, const nlohmann::json& aJson) { aValue = ReadInternedString(aJson); }

    void ReadPropertyValue(PoseAndMotion& aValue, const nlohmann::json&) { aValue = PoseAndMotion{}; }

    void ReadPropertyValue(BoxColliderProperty& aValue, const nlohmann::json& aJson) { from_json(aJson, aValue); }
    void ReadPropertyValue(Button& aValue, const nlohmann::json& aJson) { from_json(aJson, aValue); }

    void from_json(const nlohmann::json& aJson, BoxColliderProperty& aOut)
    {
        if (aJson.is_object())
        {
            aOut.offsetSize = ReadVector2(Member(aJson, "offsetSize"));
            const auto active = aJson.find("isActive");
            aOut.isActive = active != aJson.end() ? active->get<bool>() : true;
            aOut.position = ReadVector2(Member(aJson, "position"));
        }
        else if (aJson.is_array())
        {
            // The older form: size x, size y, (unused), active, offset x, offset y.
            aOut.offsetSize.x = ReadFloat(Element(aJson, 0));
            aOut.offsetSize.y = ReadFloat(Element(aJson, 1));
            aOut.isActive = Element(aJson, 3).get<bool>();
            aOut.position.x = ReadFloat(Element(aJson, 4));
            aOut.position.y = ReadFloat(Element(aJson, 5));
        }
    }

    void to_json(nlohmann::json& aJson, const BoxColliderProperty& aValue)
    {
        aJson = nlohmann::json::object();
        aJson["offsetSize"] = { aValue.offsetSize.x, aValue.offsetSize.y };
        aJson["isActive"] = aValue.isActive;
        aJson["position"] = { aValue.position.x, aValue.position.y };
    }

    void from_json(const nlohmann::json& aJson, Button& aOut)
    {
        // A non-object raises type_error 305 at the first key.
        aOut.height = ReadFloat(Member(aJson, "height"));
        aOut.width = ReadFloat(Member(aJson, "width"));
        aOut.x = ReadFloat(Member(aJson, "x"));
        aOut.y = ReadFloat(Member(aJson, "y"));
        aOut.z = ReadFloat(Member(aJson, "z"));
        const auto function = aJson.find("function_path");
        aOut.functionPath = function != aJson.end() ? ReadInternedString(*function) : StringId();
        const auto layer = aJson.find("layer_path");
        aOut.layerPath = layer != aJson.end() ? ReadInternedString(*layer) : StringId();
    }

    void to_json(nlohmann::json& aJson, const Button& aValue)
    {
        aJson = nlohmann::json::object();
        aJson["height"] = aValue.height;
        aJson["width"] = aValue.width;
        aJson["x"] = aValue.x;
        aJson["y"] = aValue.y;
        aJson["z"] = aValue.z;
        aJson["function_path"] = aValue.functionPath.GetString();
        aJson["layer_path"] = aValue.layerPath.GetString();
    }

    void WritePropertyValue(const bool& aValue, nlohmann::json& aJson) { aJson = aValue; }
    void WritePropertyValue(const int32_t& aValue, nlohmann::json& aJson) { aJson = aValue; }
    void WritePropertyValue(const float& aValue, nlohmann::json& aJson) { aJson = static_cast<double>(aValue); }
    void WritePropertyValue(const Vector2<float>& aValue, nlohmann::json& aJson) { aJson = { aValue.x, aValue.y }; }
    void WritePropertyValue(const Vector3<float>& aValue, nlohmann::json& aJson) { aJson = { aValue.x, aValue.y, aValue.z }; }
    void WritePropertyValue(const Vector4<float>& aValue, nlohmann::json& aJson) { aJson = { aValue.x, aValue.y, aValue.z, aValue.w }; }
    void WritePropertyValue(const Color& aValue, nlohmann::json& aJson) { aJson = { aValue.r, aValue.g, aValue.b, aValue.a }; }
    void WritePropertyValue(const StringId& aValue, nlohmann::json& aJson) { aJson = aValue.GetString(); }
    void WritePropertyValue(const PoseAndMotion&, nlohmann::json& aJson) { aJson = nullptr; }
    void WritePropertyValue(const BoxColliderProperty& aValue, nlohmann::json& aJson) { to_json(aJson, aValue); }
    void WritePropertyValue(const Button& aValue, nlohmann::json& aJson) { to_json(aJson, aValue); }
}
