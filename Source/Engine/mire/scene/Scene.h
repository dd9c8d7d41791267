#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"
#include "mire/property/Property.h"
#include "mire/stringRegistry/StringId.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Vela
{
    class Scene;

    // One named, typed property of a scene object.
    struct ScenePropertyEntry
    {
        StringId name;
        const PropertyTypeBase* type = nullptr;
        Property value;
    };

    // Translation, rotation (Euler degrees about X, Y, Z) and scale of a placed object.
    struct Transform
    {
        Vector3<float> translation{ 0.0f, 0.0f, 0.0f };
        Vector3<float> rotation{ 0.0f, 0.0f, 0.0f };
        Vector3<float> scale{ 1.0f, 1.0f, 1.0f };

        // Decomposes a scale-rotation-translation matrix into the three fields.
        void FromMatrix(const Matrix4x4<float>& aMatrix);
    };

    struct SceneObject : Transform
    {
        StringId definition;
        std::vector<ScenePropertyEntry> properties;
        std::string name = "Scene Object";
        StringId path;

        // With a scene, also moves this object's use count from its old path to the new one.
        void SetPath(Scene* aScene, StringId aPath);
    };

    // Orders path ids by their text (the null id reads as the empty text).
    struct StringIdTextLess
    {
        bool operator()(const StringId& aLeft, const StringId& aRight) const { return aLeft.GetView() < aRight.GetView(); }
    };

    class Scene
    {
    public:
        Scene() = default;

        void SetName(const char* aName) { name = aName; }
        void SetPath(const char* aPath) { path = aPath; }
        // Empties the objects and path counts; name and path stay.
        void Clear();

        std::string name = "untitled";
        std::string path;
        std::unordered_map<uint32_t, std::shared_ptr<SceneObject>> objects;
        std::map<StringId, uint32_t, StringIdTextLess> pathUseCounts;
    };
}
