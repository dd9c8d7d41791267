#include "mire/math/Color.h"
#include "mire/math/MathFunctions.h"
#include "mire/math/Plane.h"
#include "Support/AssertionCapture.h"

#include <gtest/gtest.h>

#include <cmath>

using Vela::Matrix4x4;
using Vela::Quaternion;
using Vela::Vector3;

namespace
{
    void ExpectQuaternionNear(const Quaternion& aActual, const Quaternion& aExpected, float aTolerance = 1e-5f)
    {
        EXPECT_NEAR(aActual.w, aExpected.w, aTolerance);
        EXPECT_NEAR(aActual.x, aExpected.x, aTolerance);
        EXPECT_NEAR(aActual.y, aExpected.y, aTolerance);
        EXPECT_NEAR(aActual.z, aExpected.z, aTolerance);
    }

    Matrix4x4<float> RotationMatrix(const Vector3<float>& aDegrees)
    {
        Matrix4x4<float> matrix;
        Vela::RotationFromEulerDegrees(matrix, aDegrees);
        return matrix;
    }
}

TEST(Matrix, MultiplicationIsRowTimesColumnAndSafeInPlace)
{
    Matrix4x4<float> a({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 });
    const Matrix4x4<float> expectedSquare({ 90, 100, 110, 120, 202, 228, 254, 280, 314, 356, 398, 440, 426, 484, 542, 600 });
    EXPECT_EQ(a * a, expectedSquare);
    a *= a; // the result must not read half-written elements
    EXPECT_EQ(a, expectedSquare);

    // Row vectors: translate after scale.
    const auto transform = Matrix4x4<float>::CreateScale({ 2, 2, 2 }) * Matrix4x4<float>::CreateTranslation({ 1, 0, 0 });
    const auto point = Vela::Vector4<float>(1, 1, 1, 1) * transform;
    EXPECT_EQ(point, Vela::Vector4<float>(3, 2, 2, 1));
}

TEST(Matrix, OutOfRangeAccessIsReportedAndClamped)
{
    VelaTest::AssertionCapture capture;
    Matrix4x4<float> matrix({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 });
    EXPECT_EQ(matrix(0, 1), 1.0f);
    EXPECT_EQ(matrix(5, 5), 16.0f);
    matrix(9, -3) = 42.0f;
    EXPECT_EQ(matrix(4, 1), 42.0f);
    EXPECT_EQ(capture.Count(), 3u);
    EXPECT_TRUE(capture.Contains("aRow > 0 && aRow < 5 && aColumn > 0 && aColumn < 5 && \"Argument out of bounds\""));
}

TEST(Matrix, InverseUndoesAGeneralTransform)
{
    const auto transform = Matrix4x4<float>::CreateScale({ 2, 3, 4 }) * RotationMatrix({ 30, 45, 60 }) * Matrix4x4<float>::CreateTranslation({ 5, -6, 7 });
    const auto product = transform * Matrix4x4<float>::GetInverse(transform);
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            EXPECT_NEAR(product(row, column), row == column ? 1.0f : 0.0f, 1e-5f);
}

TEST(EulerRotation, NinetyDegreesAboutZ)
{
    Matrix4x4<float> matrix;
    matrix(4, 1) = 7.0f; // row 4 and column 4 are left alone
    Vela::RotationFromEulerDegrees(matrix, { 0, 0, 90 });
    EXPECT_NEAR(matrix(1, 1), 0.0f, 1e-6f);
    EXPECT_NEAR(matrix(1, 2), 1.0f, 1e-6f);
    EXPECT_NEAR(matrix(1, 3), 0.0f, 1e-6f);
    EXPECT_NEAR(matrix(2, 1), -1.0f, 1e-6f);
    EXPECT_NEAR(matrix(2, 2), 0.0f, 1e-6f);
    EXPECT_EQ(matrix(4, 1), 7.0f);
    EXPECT_EQ(matrix(4, 4), 1.0f);
}

TEST(QuaternionFromBasis, PicksTheCaseThatKeepsPrecision)
{
    ExpectQuaternionNear(Quaternion::CreateFromBasis({ 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 }), { 1, 0, 0, 0 });
    // 180 degrees about x, y and z: the trace is -1, so the matching diagonal case must be taken.
    ExpectQuaternionNear(Quaternion::CreateFromBasis({ 1, 0, 0 }, { 0, -1, 0 }, { 0, 0, -1 }), { 0, 1, 0, 0 });
    ExpectQuaternionNear(Quaternion::CreateFromBasis({ -1, 0, 0 }, { 0, 1, 0 }, { 0, 0, -1 }), { 0, 0, 1, 0 });
    ExpectQuaternionNear(Quaternion::CreateFromBasis({ -1, 0, 0 }, { 0, -1, 0 }, { 0, 0, 1 }), { 0, 0, 0, 1 });

    // Round trip through the rotation matrix of an arbitrary quaternion.
    const Quaternion original = Quaternion(0.8f, 0.2f, -0.5f, 0.26f).GetNormalized();
    const auto matrix = original.ToMatrix();
    const auto back = Quaternion::CreateFromBasis(matrix.GetRow(1).GetXYZ(), matrix.GetRow(2).GetXYZ(), matrix.GetRow(3).GetXYZ());
    ExpectQuaternionNear(back.w < 0 ? -back : back, original);
}

TEST(DecomposeMatrix, SplitsScaleRotationAndTranslation)
{
    const auto rotation = RotationMatrix({ 10, 20, 30 });
    const auto matrix = Matrix4x4<float>::CreateScale({ 2, 3, 4 }) * rotation * Matrix4x4<float>::CreateTranslation({ 1, 2, 3 });
    Vector3<float> translation, scale;
    Quaternion quaternion;
    Vela::DecomposeMatrix(matrix, translation, quaternion, scale);
    EXPECT_NEAR(scale.x, 2.0f, 1e-5f);
    EXPECT_NEAR(scale.y, 3.0f, 1e-5f);
    EXPECT_NEAR(scale.z, 4.0f, 1e-5f);
    EXPECT_EQ(translation, Vector3<float>(1, 2, 3));
    // Checked against the rotation itself: the quaternion turns each axis onto the matching row of the rotation
    // (points are row vectors, p' = p x M), computed here as v + 2w (q x v) + 2 q x (q x v).
    const auto rotate = [&](const Vector3<float>& v) {
        const Vector3<float> q(quaternion.x, quaternion.y, quaternion.z);
        const auto cross = [](const Vector3<float>& a, const Vector3<float>& b) {
            return Vector3<float>(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
        };
        const Vector3<float> t = cross(q, v) * 2.0f;
        return v + t * quaternion.w + cross(q, t);
    };
    const Vector3<float> axes[3] = { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } };
    for (int row = 1; row <= 3; ++row)
    {
        const Vector3<float> turned = rotate(axes[row - 1]);
        EXPECT_NEAR(turned.x, rotation(row, 1), 1e-5f) << row;
        EXPECT_NEAR(turned.y, rotation(row, 2), 1e-5f) << row;
        EXPECT_NEAR(turned.z, rotation(row, 3), 1e-5f) << row;
    }
}

TEST(DecomposeMatrix, NinetyDegreesAboutZIsAKnownQuaternion)
{
    const auto matrix = Matrix4x4<float>::CreateScale({ 2, 3, 4 }) * RotationMatrix({ 0, 0, 90 });
    Vector3<float> translation, scale;
    Quaternion quaternion;
    Vela::DecomposeMatrix(matrix, translation, quaternion, scale);
    EXPECT_NEAR(scale.x, 2.0f, 1e-5f);
    EXPECT_NEAR(scale.y, 3.0f, 1e-5f);
    EXPECT_NEAR(scale.z, 4.0f, 1e-5f);
    // cos 45 and sin 45 degrees, w first (a quaternion and its negative are the same rotation).
    ExpectQuaternionNear(quaternion.w < 0 ? -quaternion : quaternion, { 0.70710678f, 0.0f, 0.0f, 0.70710678f });
}

TEST(DecomposeMatrix, ZeroLengthRowGivesZeroScaleAndNoNaN)
{
    Matrix4x4<float> matrix;
    matrix(2, 2) = 0.0f;
    Vector3<float> translation, scale;
    Quaternion rotation;
    Vela::DecomposeMatrix(matrix, translation, rotation, scale);
    EXPECT_EQ(scale.y, 0.0f);
    EXPECT_FALSE(std::isnan(rotation.w) || std::isnan(rotation.x) || std::isnan(rotation.y) || std::isnan(rotation.z));

    Vela::DecomposeMatrix(Matrix4x4<float>({ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1 }), translation, rotation, scale);
    EXPECT_EQ(scale, Vector3<float>(0, 0, 0));
    EXPECT_FALSE(std::isnan(rotation.w) || std::isnan(rotation.x));
}

TEST(Slerp, BlendsLinearlyExceptNearOpposites)
{
    const Quaternion q = Quaternion(0.9f, 0.1f, 0.3f, -0.2f).GetNormalized();
    ExpectQuaternionNear(Quaternion::Slerp(q, q, 0.37f), q);
    ExpectQuaternionNear(Quaternion::Slerp(q, -q, 0.5f), q); // the sign flip makes them the same rotation

    // 90 degrees apart: the normalised linear blend at t = 0.5 is the exact half-way rotation.
    const Quaternion identity;
    const Quaternion quarter(std::sqrt(0.5f), 0, 0, std::sqrt(0.5f));
    const Quaternion half = Quaternion::Slerp(identity, quarter, 0.5f);
    ExpectQuaternionNear(half, Quaternion(std::cos(0.3926991f), 0, 0, std::sin(0.3926991f)));

    // At or below the threshold the spherical path is taken, and stays unit length.
    const Quaternion nearlyOpposite(0.0005f, 0, 0, std::sqrt(1.0f - 0.0005f * 0.0005f));
    const Quaternion blended = Quaternion::Slerp(identity, nearlyOpposite, 0.25f);
    EXPECT_NEAR(blended.Length(), 1.0f, 1e-4f);
    EXPECT_NEAR(blended.w, std::cos(0.25f * std::acos(0.0005f)), 1e-4f);
}

TEST(Plane, NormalisesAndKeepsZeroNormals)
{
    const Vela::Plane plane({ 0, 5, 0 }, { 0, 2, 0 });
    EXPECT_EQ(plane.normal, Vector3<float>(0, 1, 0));
    EXPECT_EQ(plane.d, -5.0f);
    const Vela::Plane degenerate({ 1, 2, 3 }, { 0, 0, 0 });
    EXPECT_EQ(degenerate.normal, Vector3<float>(0, 0, 0));
    EXPECT_EQ(degenerate.d, 0.0f);
}

TEST(Color, LinearisesColourButNotAlpha)
{
    const auto linear = Vela::Color(0.5f, 0.04f, 1.0f, 0.5f).AsLinear();
    EXPECT_NEAR(linear.r, 0.2140411f, 1e-6f);
    EXPECT_NEAR(linear.g, 0.04f / 12.92f, 1e-7f);
    EXPECT_NEAR(linear.b, 1.0f, 1e-6f);
    EXPECT_EQ(linear.a, 0.5f);
}

TEST(Vector2, ProductIsComponentWise)
{
    EXPECT_EQ(Vela::Vector2<float>(2, 3) * Vela::Vector2<float>(4, 5), Vela::Vector2<float>(8, 15));
    EXPECT_EQ(Vela::Vector2<float>(2, 3) + Vela::Vector2<float>(4, 5), Vela::Vector2<float>(6, 8));
}
