#include "mire/graphics/Camera.h"

#include "Support/AssertionCapture.h"

#include <gtest/gtest.h>

namespace
{
    Vela::Vector4<float> Project(const Vela::Camera& aCamera, Vela::Vector4<float> aPoint)
    {
        const Vela::Vector4<float> clip = aPoint * aCamera.GetProjection();
        return { clip.x / clip.w, clip.y / clip.w, clip.z / clip.w, 1.0f };
    }
}

TEST(Camera, OrthographicMapsTheBoxCornersToClipSpaceWithDepthZeroToOne)
{
    Vela::Camera camera;
    camera.SetOrthographicProjection(0, 1920, 0, 1080, 0, 1);
    const auto low = Project(camera, { 0, 0, 0, 1 });
    const auto high = Project(camera, { 1920, 1080, 1, 1 });
    EXPECT_FLOAT_EQ(low.x, -1.0f);
    EXPECT_FLOAT_EQ(low.y, -1.0f);
    EXPECT_FLOAT_EQ(low.z, 0.0f);
    EXPECT_FLOAT_EQ(high.x, 1.0f);
    EXPECT_FLOAT_EQ(high.y, 1.0f);
    EXPECT_FLOAT_EQ(high.z, 1.0f);
    // The setters leave the camera's own planes alone.
    EXPECT_FLOAT_EQ(camera.GetNearPlane(), 1.0f);
    EXPECT_FLOAT_EQ(camera.GetFarPlane(), 10000.0f);
}

TEST(Camera, PerspectiveFieldOfViewIsHorizontalAndDepthRunsNearToFar)
{
    Vela::Camera camera;
    camera.SetPerspectiveProjection(90.0f, { 1920.0f, 1080.0f }, 0.5f, 500.0f);
    const auto& projection = camera.GetProjection();
    EXPECT_NEAR(projection(1, 1), 1.0f, 1e-6f);
    EXPECT_NEAR(projection(2, 2), 1.7777778f, 1e-5f);
    EXPECT_FLOAT_EQ(projection(3, 4), 1.0f);
    EXPECT_FLOAT_EQ(projection(4, 4), 0.0f);
    EXPECT_NEAR(Project(camera, { 0, 0, 0.5f, 1 }).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Project(camera, { 0, 0, 500.0f, 1 }).z, 1.0f, 1e-5f);
    // A point on the right edge of the horizontal field of view lands on x = 1.
    EXPECT_NEAR(Project(camera, { 10, 0, 10, 1 }).x, 1.0f, 1e-5f);
}

TEST(Camera, PerspectiveReportsBadPlanes)
{
    VelaTest::AssertionCapture capture;
    Vela::Camera camera;
    camera.SetPerspectiveProjection(90.0f, { 16.0f, 9.0f }, 0.00001f, 10.0f);
    EXPECT_TRUE(capture.Contains("aNearPlane >= FMath::KindaSmallNumber"));
    camera.SetPerspectiveProjection(90.0f, { 16.0f, 9.0f }, 10.0f, 10.0f);
    EXPECT_TRUE(capture.Contains("aNearPlane < aFarPlane"));
    EXPECT_EQ(capture.Count(), 2u);
}
