#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/math/Quaternion.h"
#include "mire/math/Vector.h"

namespace Vela
{
    // One joint of a pose: translation, rotation (w first) and scale, composed as scale, then rotation,
    // then translation for row vectors.
    struct JointTransform
    {
        Vector3<float> myTranslation{ 0.0f, 0.0f, 0.0f };
        Quaternion myRotation;
        Vector3<float> myScale{ 1.0f, 1.0f, 1.0f };

        Matrix4x4<float> GetMatrix(bool aIgnoreScale) const;
    };
}
