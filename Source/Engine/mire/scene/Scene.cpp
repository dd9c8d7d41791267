#include "mire/scene/Scene.h"

#include "mire/math/MathFunctions.h"
#include "mire/math/Quaternion.h"

#include <cmath>

namespace Vela
{
    void Scene::Clear()
    {
        objects.clear();
        pathUseCounts.clear();
    }

    void SceneObject::SetPath(Scene* aScene, StringId aPath)
    {
        if (aScene)
        {
            ++aScene->pathUseCounts[aPath];
            const auto previous = aScene->pathUseCounts.find(path);
            if (previous != aScene->pathUseCounts.end() && previous->second > 0)
            {
                if (--previous->second == 0)
                {
                    aScene->pathUseCounts.erase(previous);
                }
            }
        }
        path = aPath;
    }

    void Transform::FromMatrix(const Matrix4x4<float>& aMatrix)
    {
        Quaternion quaternion;
        DecomposeMatrix(aMatrix, translation, quaternion, scale);
        const float w = quaternion.w;
        const float x = quaternion.x;
        const float y = quaternion.y;
        const float z = quaternion.z;

        constexpr float GIMBAL_LIMIT = 0.9999f;
        constexpr float QUARTER_TURN = 1.570796f;
        constexpr float RADIANS_TO_DEGREES = 57.295776f;

        const float s = -2.0f * (z * x - y * w);
        Vector3<float> radians;
        if (std::fabs(s) > GIMBAL_LIMIT)
        {
            // Looking straight along Y: only the combined X/Z turn is defined, so all of it goes to X.
            radians.y = s * QUARTER_TURN;
            radians.x = std::atan2(w * x - z * y, 0.5f - x * x - z * z);
            radians.z = 0.0f;
        }
        else
        {
            radians.y = std::asin(s);
            radians.x = std::atan2(z * y + w * x, 0.5f - y * y - x * x);
            radians.z = std::atan2(z * w + y * x, 0.5f - y * y - z * z);
        }
        rotation = radians * RADIANS_TO_DEGREES;
    }
}
