#include "mire/math/Quaternion.h"

#include <cmath>

namespace Vela
{
    float Quaternion::Length() const
    {
        return std::sqrt(Dot(*this));
    }

    Quaternion Quaternion::GetNormalized() const
    {
        const float length = Length();
        return length > 0.0f ? *this / length : *this;
    }

    Matrix4x4<float> Quaternion::ToMatrix() const
    {
        Matrix4x4<float> result;
        result(1, 1) = 1.0f - 2.0f * (z * z + y * y);
        result(1, 2) = 2.0f * (w * z + y * x);
        result(1, 3) = 2.0f * (z * x - w * y);
        result(2, 1) = 2.0f * (y * x - w * z);
        result(2, 2) = 1.0f - 2.0f * (z * z + x * x);
        result(2, 3) = 2.0f * (w * x + z * y);
        result(3, 1) = 2.0f * (w * y + z * x);
        result(3, 2) = 2.0f * (z * y - w * x);
        result(3, 3) = 1.0f - 2.0f * (y * y + x * x);
        return result;
    }

    Quaternion Quaternion::CreateFromBasis(const Vector3<float>& aRow1, const Vector3<float>& aRow2, const Vector3<float>& aRow3)
    {
        const Vector3<float>& a = aRow1;
        const Vector3<float>& b = aRow2;
        const Vector3<float>& c = aRow3;
        const float m11 = a.x, m22 = b.y, m33 = c.z;

        // A later candidate wins only when strictly greater.
        const float candidates[4] = { m11 + m22 + m33, m11 - m22 - m33, m22 - m11 - m33, m33 - m11 - m22 };
        int largest = 0;
        for (int i = 1; i < 4; ++i)
        {
            if (candidates[i] > candidates[largest])
            {
                largest = i;
            }
        }

        const float s = 0.5f * std::sqrt(candidates[largest] + 1.0f);
        const float k = 0.25f / s;
        switch (largest)
        {
        case 0: return { s, (b.z - c.y) * k, (c.x - a.z) * k, (a.y - b.x) * k };
        case 1: return { (b.z - c.y) * k, s, (b.x + a.y) * k, (c.x + a.z) * k };
        case 2: return { (c.x - a.z) * k, (b.x + a.y) * k, s, (c.y + b.z) * k };
        default: return { (a.y - b.x) * k, (c.x + a.z) * k, (c.y + b.z) * k, s };
        }
    }

    Quaternion Quaternion::Slerp(const Quaternion& aFrom, const Quaternion& aTo, const float& aT)
    {
        Quaternion to = aTo;
        float d = aFrom.Dot(to);
        if (d < 0.0f)
        {
            to = -to;
            d = -d;
        }
        // The single-precision value of 1 - 0.9995.
        constexpr float LINEAR_BLEND_THRESHOLD = 0.00050002337f;
        if (d > LINEAR_BLEND_THRESHOLD)
        {
            const Quaternion blend = aFrom * (1.0f - aT) + to * aT;
            return blend / blend.Length();
        }
        const float angle = std::acos(d);
        return (aFrom * std::sin((1.0f - aT) * angle) + to * std::sin(aT * angle)) / std::sin(angle);
    }
}
