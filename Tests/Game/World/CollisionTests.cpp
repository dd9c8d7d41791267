// Rectangle overlaps with their contact normals and depths, probes, the per-frame pass, debug lines,
// sight occluder sets and sight rays; expected values worked out by hand.
#include "World/CollisionManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    struct Contact
    {
        Vela::Vector2<float> normal;
        float depth;
        Collider* self;
        Collider* other;
    };

    class RecordingObserver : public Observers::ColliderObserver
    {
    public:
        void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override
        {
            someContacts.push_back({ aNormal, aDepth, aSelf, anOther });
        }
        std::vector<Contact> someContacts;
    };

    Collider Box(float anX, float aY, float aHalfWidth, float aHalfHeight, ColliderType aType = ColliderType::Level)
    {
        Collider collider;
        collider.SetBox(anX, aY, aHalfWidth, aHalfHeight);
        collider.type = aType;
        return collider;
    }
}

TEST(CollisionTest, PairsResolveAlongTheSmallerOverlapWithMirroredContacts)
{
    CollisionManager manager(1500.0f, nullptr);
    RecordingObserver first;
    RecordingObserver second;
    Collider a = Box(0.0f, 0.0f, 1.0f, 1.0f);
    a.AddObserver(&first);

    // Shared edges, along x and along y, do not collide.
    Collider touching = Box(2.0f, 0.0f, 1.0f, 1.0f);
    touching.AddObserver(&second);
    EXPECT_FALSE(manager.TestPair(a, touching, true));
    touching.x = 0.0f;
    touching.y = -2.0f;
    EXPECT_FALSE(manager.TestPair(a, touching, true));
    EXPECT_TRUE(first.someContacts.empty());

    // Overlap 1.5 on x, 0.2 on y: resolved along y; a lies below, so it is pushed down.
    Collider b = Box(0.5f, 1.8f, 1.0f, 1.0f);
    b.AddObserver(&second);
    second.someContacts.clear();
    EXPECT_TRUE(manager.TestPair(a, b, false));
    ASSERT_EQ(first.someContacts.size(), 1u);
    ASSERT_EQ(second.someContacts.size(), 1u);
    EXPECT_EQ(first.someContacts[0].normal, (Vela::Vector2<float>{ 0.0f, -1.0f }));
    EXPECT_NEAR(first.someContacts[0].depth, 0.2f, 1e-5f);
    EXPECT_EQ(first.someContacts[0].self, &a);
    EXPECT_EQ(first.someContacts[0].other, &b);
    EXPECT_EQ(second.someContacts[0].normal, (Vela::Vector2<float>{ 0.0f, 1.0f }));
    EXPECT_NEAR(second.someContacts[0].depth, 0.2f, 1e-5f);
    EXPECT_EQ(second.someContacts[0].self, &b);

    // Equal overlaps (0.5 and 0.5) resolve along x.
    b.x = 1.5f;
    b.y = 1.5f;
    manager.TestPair(a, b, false);
    EXPECT_EQ(first.someContacts.back().normal, (Vela::Vector2<float>{ -1.0f, 0.0f }));
    EXPECT_EQ(second.someContacts.back().normal, (Vela::Vector2<float>{ 1.0f, 0.0f }));
    EXPECT_FLOAT_EQ(first.someContacts.back().depth, 0.5f);
}

TEST(CollisionTest, TriggersNotifyWithoutBlockingAndInactiveCollidersTakePartInNothing)
{
    CollisionManager manager(1500.0f, nullptr);
    RecordingObserver triggerObserver;
    Collider probe = Box(0.0f, 0.0f, 1.0f, 1.0f, ColliderType::Player);
    Collider checkPoint = Box(0.5f, 0.0f, 1.0f, 1.0f, ColliderType::CheckPoint);
    checkPoint.isTrigger = true;
    checkPoint.AddObserver(&triggerObserver);

    EXPECT_FALSE(manager.TestPair(probe, checkPoint, false));
    EXPECT_TRUE(manager.TestPair(probe, checkPoint, true));
    EXPECT_EQ(triggerObserver.someContacts.size(), 2u);

    manager.AddStatic(checkPoint);
    triggerObserver.someContacts.clear();
    EXPECT_FALSE(manager.IsOverlappingAny(probe)) << "a trigger does not block a move";
    ASSERT_EQ(triggerObserver.someContacts.size(), 1u) << "but hears of the probe";
    EXPECT_EQ(triggerObserver.someContacts[0].other, &probe);
    EXPECT_TRUE(manager.IsOverlappingType(probe, ColliderType::CheckPoint));
    EXPECT_FALSE(manager.IsOverlappingType(probe, ColliderType::DeathBox));

    probe.active = false;
    triggerObserver.someContacts.clear();
    EXPECT_FALSE(manager.IsOverlappingType(probe, ColliderType::CheckPoint));
    manager.AddDynamic(&probe);
    manager.Update();
    EXPECT_TRUE(triggerObserver.someContacts.empty());
}

TEST(CollisionTest, ProbesSkipGrassAndDynamicsOfTheirOwnType)
{
    CollisionManager manager(1500.0f, nullptr);
    Collider grass = Box(0.0f, 0.0f, 5.0f, 5.0f, ColliderType::Grass);
    manager.AddStatic(grass);
    Collider ownGround = Box(0.0f, 0.0f, 1.0f, 1.0f, ColliderType::Player);
    manager.AddDynamic(&ownGround);
    Collider probe = Box(0.0f, 0.0f, 1.0f, 1.0f, ColliderType::Player);
    EXPECT_FALSE(manager.IsOverlappingAny(probe));

    Collider enemy = Box(1.0f, 0.0f, 1.0f, 1.0f, ColliderType::EnemyGround);
    manager.AddDynamic(&enemy);
    EXPECT_TRUE(manager.IsOverlappingAny(probe));
    Collider wall = Box(-1.0f, 0.0f, 1.0f, 1.0f, ColliderType::Level);
    manager.AddStatic(wall);
    enemy.active = false;
    EXPECT_TRUE(manager.IsOverlappingAny(probe));
}

TEST(CollisionTest, OnePassReportsEachContactOnceEvenToAnObserverRegisteredTwice)
{
    CollisionManager manager(1500.0f, nullptr);
    RecordingObserver observer;
    Collider box = Box(0.0f, 0.5f, 1.0f, 1.0f, ColliderType::Box);
    box.AddObserver(&observer);
    box.AddObserver(&observer);
    Collider other = Box(1.0f, 0.5f, 1.0f, 1.0f, ColliderType::Player);
    manager.AddStatic(Box(0.0f, -1.0f, 10.0f, 1.0f));
    manager.AddStatic(Box(100.0f, 0.0f, 1.0f, 1.0f)); // far away
    manager.AddDynamic(&box);
    manager.AddDynamic(&other);

    manager.Update();
    ASSERT_EQ(observer.someContacts.size(), 2u);
    EXPECT_EQ(observer.someContacts[0].other->type, ColliderType::Level) << "statics are met before the other dynamics";
    EXPECT_NEAR(observer.someContacts[0].depth, 0.5f, 1e-6f);
    EXPECT_EQ(observer.someContacts[1].other, &other);
    EXPECT_TRUE(manager.GetDebugLines().empty());

    manager.SetDebugDraw(true);
    manager.Update();
    ASSERT_EQ(manager.GetDebugLines().size(), 4u * 4u);
    const Vela::LinePrimitive& top = manager.GetDebugLines()[0]; // the first static's top edge
    EXPECT_EQ(top.fromPosition, (Vela::Vector3<float>{ 10.0f, 0.0f, -1.0f }));
    EXPECT_EQ(top.toPosition, (Vela::Vector3<float>{ -10.0f, 0.0f, -1.0f }));
    EXPECT_EQ(top.color.g, 1.0f);
    EXPECT_EQ(top.color.b, 0.0f);
}

TEST(CollisionTest, SightOccluderSetsAndSightRays)
{
    CollisionManager manager(1500.0f, nullptr);
    manager.AddStatic(Box(1501.0f, 0.0f, 100.0f, 100.0f));                      // too far
    manager.AddStatic(Box(0.0f, 50.0f, 10.0f, 10.0f, ColliderType::CheckPoint)); // not a wall
    Collider looseBox = Box(10.0f, 0.0f, 10.0f, 10.0f, ColliderType::Box);
    manager.AddDynamic(&looseBox);
    const int32_t lonely = manager.AddSightOccluders({ 0.0f, 0.0f });
    EXPECT_TRUE(manager.GetSightOccluderSets()[static_cast<size_t>(lonely)].empty());

    // Enemy eye at x 0, player at x 400; a wall at x 200 between them.
    Collider player = Box(400.0f, 0.0f, 25.0f, 47.8f, ColliderType::Player);
    const Vela::Vector2<float> eye{ 0.0f, 10.0f };
    const Vela::Vector2<float> ray{ 500.0f, -10.0f };
    EXPECT_TRUE(manager.SightRayHitsPlayer(eye, ray, player, lonely));

    manager.AddStatic(Box(200.0f, 0.0f, 20.0f, 100.0f));
    const int32_t walled = manager.AddSightOccluders({ 0.0f, 0.0f });
    EXPECT_NE(walled, lonely);
    EXPECT_EQ(manager.GetSightOccluderSets()[static_cast<size_t>(walled)].size(), 1u);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(manager.SightRayHitsPlayer(eye, ray, player, walled));
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("player hit\n"), std::string::npos);
    EXPECT_NE(trace.find("enemy is left from player\nsomething is left from player\n"), std::string::npos);
    EXPECT_NE(trace.find("enemy is above from player\nsomething is above from player\nbehind of something\n"), std::string::npos);
    EXPECT_EQ(trace.find("player is detected"), std::string::npos);

    // A movable box blocks sight too; one behind the player does not.
    looseBox.blocksSight = true;
    looseBox.x = 600.0f;
    const int32_t boxBehind = manager.AddSightOccluders({ 5000.0f, 0.0f });
    ASSERT_EQ(manager.GetSightOccluderSets()[static_cast<size_t>(boxBehind)].size(), 1u);
    EXPECT_TRUE(manager.SightRayHitsPlayer(eye, { 700.0f, -10.0f }, player, boxBehind));
    looseBox.x = 300.0f;
    EXPECT_FALSE(manager.SightRayHitsPlayer(eye, ray, player, boxBehind));

    // The ray tests half of the box's half extents: a ray at height 30 passes over a player of
    // half height 47.8 (sight box up to 23.9), one at 20 meets it.
    EXPECT_FALSE(manager.SegmentHitsBox({ 0.0f, 30.0f }, { 500.0f, 0.0f }, player));
    EXPECT_TRUE(manager.SegmentHitsBox({ 0.0f, 20.0f }, { 500.0f, 0.0f }, player));
    EXPECT_FALSE(manager.SegmentHitsBox({ 0.0f, 0.0f }, { 380.0f, 0.0f }, player)) << "ends before x 387.5";

    manager.Clear();
    EXPECT_TRUE(manager.GetSightOccluderSets().empty());
}
