// The follow camera's per-frame easing, look-ahead, field of view and the room and zone rules,
// against hand-worked numbers.
#include "Camera/CameraCollider.h"
#include "Camera/CameraController.h"
#include "World/CollisionManager.h"

#include <gtest/gtest.h>

namespace
{
    Vela::Vector3<float> CameraPosition(CameraController& aController)
    {
        return aController.GetPerspectiveCamera().GetTransform().GetTranslation();
    }

    Collider HurtBox(float anX, float aY)
    {
        Collider collider;
        collider.SetBox(anX, aY, 25.0f, 47.8f);
        collider.type = ColliderType::Player;
        collider.isPlayer = true;
        return collider;
    }
}

TEST(CameraControllerTest, FollowsThreePercentPerFrameWithLookAheadUnlessHeld)
{
    CameraController controller;
    controller.Init();
    EXPECT_EQ(CameraPosition(controller), (Vela::Vector3<float>{ 0.0f, 250.0f, -1000.0f }));

    Vela::Matrix4x4<float> target;
    target.SetTranslation({ 1000.0f, 0.0f, 0.0f });
    controller.SetTarget(&target);
    controller.SetLookDirection(1.0f);
    controller.Update();
    // Desired x = 1000 + 190; 3 % of it.
    EXPECT_NEAR(CameraPosition(controller).x, 35.7f, 1e-3f);
    EXPECT_NEAR(CameraPosition(controller).y, 250.0f, 1e-3f);
    EXPECT_NEAR(CameraPosition(controller).z, -1000.0f, 1e-3f);
    EXPECT_FLOAT_EQ(controller.GetOffset().y, 250.0f) << "no easing of the field of view yet";

    controller.SetPosition({ 0.0f, 250.0f, -1000.0f });
    controller.SetHeld(true);
    controller.SetLookDirection(-1.0f);
    controller.Update();
    EXPECT_NEAR(CameraPosition(controller).x, 30.0f, 1e-3f);
}

TEST(CameraControllerTest, FieldOfViewEasesWithTheFollowSmoothingAndIsClamped)
{
    CameraController controller;
    controller.Init();
    controller.SetFov(60.0f);
    controller.Update();
    EXPECT_NEAR(controller.GetCurrentFov(), 89.1f, 1e-4f);
    EXPECT_NEAR(controller.GetOffset().y, (1.0f - 37.0f / 60.0f) * 250.0f, 1e-3f);
    controller.SetSecondarySmoothing(0.5f);
    controller.Update();
    EXPECT_NEAR(controller.GetCurrentFov(), 89.1f - 29.1f * 0.03f, 1e-4f) << "the secondary smoothing is not read";

    controller.SetFov(0.0f);
    EXPECT_EQ(controller.GetFovTarget(), CameraController::MIN_FOV);
    controller.Update();
    EXPECT_TRUE(std::isfinite(controller.GetOffset().y));
    controller.SetFov(400.0f);
    EXPECT_EQ(controller.GetFovTarget(), CameraController::MAX_FOV);
}

TEST(CameraZoneTest, ARoomHoldsTheCameraAndReleasesItAcrossItsEdgeBand)
{
    CameraController controller;
    controller.Init();
    Vela::Matrix4x4<float> player;
    controller.SetTarget(&player);
    controller.SetDefaultTarget(&player);

    CollisionManager manager(1500.0f, nullptr);
    CameraCollider room;
    room.Init({ 500.0f, 300.0f }, { 1000.0f, 0.0f });
    room.SetCameraController(&controller);
    room.SetPosition({ 0.0f, 100.0f, -1500.0f });
    EXPECT_EQ(room.GetOffset(), (Vela::Vector3<float>{ 0.0f, 100.0f, -1500.0f }));
    room.SetIsRoom(true);
    room.SetFovZoom(70.0f);
    room.SetCameraSpeed(0.1f);
    room.SetFovZoomSpeed(0.2f);
    room.GetCollider().AddObserver(&room);

    Collider inside = HurtBox(1400.0f, 0.0f);
    EXPECT_FALSE(manager.TestPair(inside, room.GetCollider(), false)) << "a zone never blocks";
    EXPECT_TRUE(controller.IsHeld());
    EXPECT_EQ(controller.GetTarget(), &room.GetTargetTransform());
    EXPECT_EQ(controller.GetTarget()->GetTranslation(), (Vela::Vector3<float>{ 1000.0f, 100.0f, -1500.0f }));
    EXPECT_EQ(controller.GetFovTarget(), 70.0f);
    EXPECT_EQ(controller.GetFollowSpeed(), 0.1f);

    // Centre 10 units beyond the right edge, box still overlapping: the edge band.
    Collider leaving = HurtBox(1510.0f, 0.0f);
    manager.TestPair(leaving, room.GetCollider(), false);
    EXPECT_FALSE(controller.IsHeld());
    EXPECT_EQ(controller.GetTarget(), &player);
    EXPECT_EQ(controller.GetFovTarget(), 90.0f);
    EXPECT_EQ(controller.GetFollowSpeed(), 0.03f);

    // A room with an unusable field of view still holds, and leaves the field of view alone.
    room.SetFovZoom(0.0f);
    manager.TestPair(inside, room.GetCollider(), false);
    EXPECT_TRUE(controller.IsHeld());
    EXPECT_EQ(controller.GetFovTarget(), 90.0f);
}

TEST(CameraZoneTest, AZoneRetunesTheDefaultsOnlyWithAFieldOfViewAndOnlyForThePlayer)
{
    CameraController controller;
    controller.Init();
    CameraCollider zone;
    zone.Init({ 100.0f, 100.0f }, { 0.0f, 0.0f });
    zone.SetCameraController(&controller);
    zone.SetFovZoom(0.0f);
    zone.SetCameraSpeed(0.5f);
    zone.SetFovZoomSpeed(0.5f);

    Collider player = HurtBox(0.0f, 0.0f);
    Collider box = player;
    box.isPlayer = false;
    zone.OnCollision({ 1.0f, 0.0f }, 1.0f, &zone.GetCollider(), &player);
    EXPECT_EQ(controller.GetFollowSpeed(), 0.03f) << "fov 0: nothing changes, also not the speeds";
    EXPECT_EQ(controller.GetSecondarySmoothing(), 0.03f);

    zone.SetFovZoom(60.0f);
    zone.OnCollision({ 1.0f, 0.0f }, 1.0f, &zone.GetCollider(), &box);
    EXPECT_EQ(controller.GetFovTarget(), 90.0f);
    zone.OnCollision({ 1.0f, 0.0f }, 1.0f, &zone.GetCollider(), &player);
    EXPECT_EQ(controller.GetFovTarget(), 60.0f);
    EXPECT_EQ(controller.GetDefaultFov(), 60.0f);
    EXPECT_EQ(controller.GetDefaultFollowSpeed(), 0.5f);
    EXPECT_EQ(controller.GetDefaultSecondarySmoothing(), 0.5f);
}
