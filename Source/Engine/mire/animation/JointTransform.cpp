#include "mire/animation/JointTransform.h"

namespace Vela
{
    Matrix4x4<float> JointTransform::GetMatrix(bool aIgnoreScale) const
    {
        Matrix4x4<float> result;
        if (!aIgnoreScale)
        {
            result *= Matrix4x4<float>::CreateScale(myScale);
        }
        result *= myRotation.ToMatrix();
        result[12] = myTranslation.x;
        result[13] = myTranslation.y;
        result[14] = myTranslation.z;
        return result;
    }
}
