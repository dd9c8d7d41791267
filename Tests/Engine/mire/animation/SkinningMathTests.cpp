#include "mire/animation/JointTransform.h"
#include "mire/math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    using Vela::Quaternion;

    void ExpectQuaternionNear(const Quaternion& aActual, const Quaternion& aExpected, float aTolerance = 1e-6f)
    {
        EXPECT_NEAR(aActual.w, aExpected.w, aTolerance);
        EXPECT_NEAR(aActual.x, aExpected.x, aTolerance);
        EXPECT_NEAR(aActual.y, aExpected.y, aTolerance);
        EXPECT_NEAR(aActual.z, aExpected.z, aTolerance);
    }

    // Two unit quaternions in the w-x plane whose dot product is exactly aDot (to float precision).
    void MakePairWithDot(float aDot, Quaternion& aFirst, Quaternion& aSecond)
    {
        aFirst = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
        aSecond = Quaternion(aDot, std::sqrt(1.0f - aDot * aDot), 0.0f, 0.0f);
    }
}

TEST(Slerp, SameRotationAndItsNegativeGiveThatRotation)
{
    const Quaternion q = Quaternion(0.9f, 0.1f, 0.3f, 0.2f).GetNormalized();
    ExpectQuaternionNear(Quaternion::Slerp(q, q, 0.3f), q);
    ExpectQuaternionNear(Quaternion::Slerp(q, -q, 0.3f), q);
    ExpectQuaternionNear(Quaternion::Slerp(q, -q, 1.0f), q);
}

TEST(Slerp, NearlyOppositeRotationsTakeTheSphericalPathOnlyBelowTheThreshold)
{
    const float t = 0.25f;
    Quaternion a, b;

    // Dot 0.0004: acos/sin blend; the weights are sin((1 - t) angle) / sin(angle) and sin(t angle) / sin(angle).
    MakePairWithDot(0.0004f, a, b);
    const float angle = std::acos(0.0004f);
    const Quaternion spherical = Quaternion::Slerp(a, b, t);
    const float sphericalWeightA = std::sin((1.0f - t) * angle) / std::sin(angle);
    const float sphericalWeightB = std::sin(t * angle) / std::sin(angle);
    ExpectQuaternionNear(spherical, a * sphericalWeightA + b * sphericalWeightB, 1e-5f);

    // Dot 0.0006: normalised linear blend, visibly different at t = 0.25.
    MakePairWithDot(0.0006f, a, b);
    const Quaternion linear = Quaternion::Slerp(a, b, t);
    const Quaternion blend = a * (1.0f - t) + b * t;
    ExpectQuaternionNear(linear, blend / blend.Length(), 1e-6f);
    EXPECT_GT(std::fabs(linear.x - spherical.x), 0.01f);
}

TEST(JointTransform, ComposesScaleThenRotationThenTranslationForRowVectors)
{
    Vela::JointTransform joint;
    joint.myTranslation = { 10.0f, 20.0f, 30.0f };
    // 90 degrees about z.
    joint.myRotation = Quaternion(std::sqrt(0.5f), 0.0f, 0.0f, std::sqrt(0.5f));
    joint.myScale = { 2.0f, 3.0f, 4.0f };

    const Vela::Vector4<float> point{ 1.0f, 0.0f, 0.0f, 1.0f };
    // Scaled to (2, 0, 0), turned to (0, 2, 0), moved by the translation.
    const Vela::Vector4<float> moved = point * joint.GetMatrix(false);
    EXPECT_NEAR(moved.x, 10.0f, 1e-5f);
    EXPECT_NEAR(moved.y, 22.0f, 1e-5f);
    EXPECT_NEAR(moved.z, 30.0f, 1e-5f);
    EXPECT_NEAR(moved.w, 1.0f, 1e-6f);

    const Vela::Vector4<float> unscaled = point * joint.GetMatrix(true);
    EXPECT_NEAR(unscaled.x, 10.0f, 1e-5f);
    EXPECT_NEAR(unscaled.y, 21.0f, 1e-5f);

    // The identity joint gives the identity matrix.
    EXPECT_EQ(Vela::JointTransform().GetMatrix(false), Vela::Matrix4x4<float>());
}
