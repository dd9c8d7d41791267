#include "Support/AssertionCapture.h"

#include "mire/math/MathFunctions.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/ModelFactory.h"
#include "mire/model/ModelImport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    VelaFBX::Bone MakeBone(const std::string& aName, int32_t aParent, const Vela::Matrix4x4<float>& aBindGlobal)
    {
        // The importer stores the transposed inverse of the bind transform.
        VelaFBX::Bone bone;
        const Vela::Matrix4x4<float> stored = Vela::Matrix4x4<float>::Transpose(Vela::Matrix4x4<float>::GetInverse(aBindGlobal));
        for (int i = 0; i < 16; ++i)
        {
            bone.matrix.values[i] = stored[i];
        }
        bone.parent = aParent;
        bone.name = aName;
        bone.nodeName = "rig:" + aName;
        return bone;
    }

    void ExpectMatrixNear(const Vela::Matrix4x4<float>& aActual, const Vela::Matrix4x4<float>& aExpected, float aTolerance)
    {
        for (int i = 0; i < 16; ++i)
        {
            EXPECT_NEAR(aActual[i], aExpected[i], aTolerance) << "element " << i;
        }
    }
}

TEST(ModelImport, VerticesKeepTheirDataWithFloatBonesAndWhiteForZeroColours)
{
    VelaFBX::Vertex imported;
    imported.position[0] = 1.0f;
    imported.position[3] = 1.0f;
    imported.colors[0][0] = 0.5f; // adds up to exactly zero: white
    imported.colors[0][1] = -0.5f;
    imported.colors[1][0] = 0.25f; // a real colour stays
    imported.uvs[2][1] = 0.75f;
    imported.normal[1] = 1.0f;
    imported.boneIndices[0] = 3;
    imported.boneIndices[3] = 127;
    imported.boneWeights[0] = 0.6f;

    const Vela::ModelVertex vertex = Vela::impl::ConvertVertex(imported);
    EXPECT_EQ(vertex.myPosition[0], 1.0f);
    for (float component : vertex.myColors[0])
        EXPECT_EQ(component, 1.0f);
    EXPECT_EQ(vertex.myColors[1][0], 0.25f);
    EXPECT_EQ(vertex.myColors[1][3], 0.0f);
    for (float component : vertex.myColors[3])
        EXPECT_EQ(component, 1.0f);
    EXPECT_EQ(vertex.myUvs[2][1], 0.75f);
    EXPECT_EQ(vertex.myNormal[1], 1.0f);
    EXPECT_EQ(vertex.myBones[0], 3.0f);
    EXPECT_EQ(vertex.myBones[3], 127.0f);
    EXPECT_EQ(vertex.myWeights[0], 0.6f);
}

TEST(ModelImport, SkeletonKeepsBoneOrderAndBindPoseAndRefusesTooManyBones)
{
    const Vela::Matrix4x4<float> rootBind = Vela::Matrix4x4<float>::CreateTranslation({ 0.0f, 10.0f, 0.0f });
    const Vela::Matrix4x4<float> childBind = Vela::Matrix4x4<float>::CreateRotationAroundZ(0.5f) * Vela::Matrix4x4<float>::CreateTranslation({ 5.0f, 10.0f, 0.0f });
    VelaFBX::Skeleton imported;
    imported.bones = { MakeBone("Root", -1, rootBind), MakeBone("Arm", 0, childBind) };
    imported.bones[0].children = { 1 };

    Vela::Skeleton skeleton;
    ASSERT_TRUE(Vela::impl::BuildSkeleton(imported, skeleton));
    ASSERT_EQ(skeleton.GetJointCount(), 2u);
    EXPECT_EQ(skeleton.FindJoint("Arm"), 1);
    EXPECT_EQ(skeleton.FindJoint("rig:Arm"), -1);
    EXPECT_EQ(skeleton.GetJointNames(), (std::vector<std::string>{ "Root", "Arm" }));
    EXPECT_EQ(skeleton.GetJoints()[1].myParent, 0);
    EXPECT_EQ(skeleton.GetJoints()[0].myChildren, (std::vector<uint32_t>{ 1 }));
    ExpectMatrixNear(skeleton.GetJoints()[1].myInverseBindMatrix, Vela::Matrix4x4<float>::GetInverse(childBind), 1e-5f);
    // The bind pose holds the decomposed bind transform of each joint.
    ExpectMatrixNear(skeleton.GetBindPose().myJoints[1].GetMatrix(false), childBind, 1e-4f);

    VelaFBX::Skeleton huge;
    huge.bones.resize(Vela::MAX_ANIMATION_BONES + 1);
    Vela::Skeleton refused;
    EXPECT_FALSE(Vela::impl::BuildSkeleton(huge, refused));
    EXPECT_EQ(refused.GetJointCount(), 0u);
}

TEST(ModelImport, ClipPosesAreMatchedToJointsByName)
{
    VelaFBX::Skeleton importedSkeleton;
    importedSkeleton.bones = { MakeBone("Root", -1, {}), MakeBone("Arm", 0, {}), MakeBone("Leg", 0, {}) };
    Vela::Skeleton skeleton;
    ASSERT_TRUE(Vela::impl::BuildSkeleton(importedSkeleton, skeleton));

    VelaFBX::ImportedAnimation clip;
    clip.name = "anims/walk.fbx";
    clip.frameCount = 2;
    clip.frameRate = 30.0f;
    clip.duration = 1.0 / 30.0;
    clip.frames.resize(2);
    VelaFBX::Matrix4x4f moved;
    moved.values[12] = 7.0f;
    clip.frames[1].localTransforms["Arm"] = moved;
    clip.frames[1].localTransforms["Tail"] = moved; // not in the skeleton

    Vela::Animation animation;
    Vela::impl::ConvertAnimation(clip, skeleton, animation);
    EXPECT_EQ(animation.myName, L"anims/walk.fbx");
    EXPECT_EQ(animation.myFrameCount, 2u);
    EXPECT_EQ(animation.myFramesPerSecond, 30.0f);
    EXPECT_FLOAT_EQ(animation.myDuration, 1.0f / 30.0f);
    ASSERT_EQ(animation.myFrames.size(), 2u);
    EXPECT_EQ(animation.myFrames[1].myJointCount, 3u);
    EXPECT_FLOAT_EQ(animation.myFrames[1].myJoints[1].myTranslation.x, 7.0f);
    // Joints without a bone in the clip stay identity.
    EXPECT_EQ(animation.myFrames[1].myJoints[2].myTranslation.x, 0.0f);
    EXPECT_EQ(animation.myFrames[1].myJoints[2].myRotation, Vela::Quaternion());

    clip.frameCount = -1;
    Vela::Animation backwards;
    Vela::impl::ConvertAnimation(clip, skeleton, backwards);
    EXPECT_EQ(backwards.myFrameCount, 0u);
}

TEST(Model, RefusesMoreMeshesThanItsTextureSlots)
{
    VelaTest::AssertionCapture assertions;
    Vela::Model model;
    EXPECT_FALSE(model.Init(std::vector<Vela::MeshData>(5), "many.fbx"));
    EXPECT_TRUE(model.GetMeshes().empty());
    EXPECT_TRUE(assertions.Contains("someMeshData.size() <= MAX_MESHES_PER_MODEL"));

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_TRUE(model.AddMesh(Vela::MeshData(), "built"));
    }
    EXPECT_FALSE(model.AddMesh(Vela::MeshData(), "built"));
    EXPECT_EQ(model.GetMeshes().size(), 4u);
}

TEST(ModelFactory, BoundsOfNoVerticesAreAPointAtTheOrigin)
{
    const Vela::MeshBounds empty = Vela::ModelFactory::ComputeBoundingBox({});
    EXPECT_EQ(empty.myRadius, 0.0f);
    EXPECT_EQ(empty.myHalfExtents, (Vela::Vector3<float>{ 0.0f, 0.0f, 0.0f }));
    EXPECT_EQ(empty.myCentre, (Vela::Vector3<float>{ 0.0f, 0.0f, 0.0f }));
}

TEST(AnimatedModelInstance, PosesOnlyTheModelsJointsAndNothingWithoutAModel)
{
    Vela::AnimatedModelInstance instance;
    for (const auto& matrix : instance.GetBoneMatrices())
        ASSERT_EQ(matrix, Vela::Matrix4x4<float>());

    Vela::Pose pose;
    pose.myJointCount = 6;
    pose.myJoints[0].myTranslation = { 1.0f, 0.0f, 0.0f };
    pose.myJoints[1].myTranslation = { 0.0f, 2.0f, 0.0f };
    pose.myJoints[5].myTranslation = { 9.0f, 9.0f, 9.0f };
    instance.SetPose(pose);
    EXPECT_EQ(instance.GetBoneMatrices()[0], Vela::Matrix4x4<float>());

    // Two joints, the second a child of the first, bound where the pose puts them at rest.
    VelaFBX::Skeleton imported;
    imported.bones = { MakeBone("Root", -1, Vela::Matrix4x4<float>::CreateTranslation({ 1.0f, 0.0f, 0.0f })),
                       MakeBone("Tip", 0, Vela::Matrix4x4<float>::CreateTranslation({ 1.0f, 1.0f, 0.0f })) };
    imported.bones[0].children = { 1 };
    Vela::Skeleton skeleton;
    ASSERT_TRUE(Vela::impl::BuildSkeleton(imported, skeleton));
    auto model = std::make_shared<Vela::Model>();
    model->SetSkeleton(skeleton);
    instance.Init(model);
    instance.SetPose(pose);

    // Joint 1 sits at (1, 2, 0) against a bind position of (1, 1, 0): it moves by (0, 1, 0).
    const Vela::Vector4<float> point{ 1.0f, 1.0f, 0.0f, 1.0f };
    const Vela::Vector4<float> moved = point * instance.GetBoneMatrices()[1];
    EXPECT_NEAR(moved.x, 1.0f, 1e-5f);
    EXPECT_NEAR(moved.y, 2.0f, 1e-5f);
    // Joints the skeleton does not have are never written.
    EXPECT_EQ(instance.GetBoneMatrices()[5], Vela::Matrix4x4<float>());

    // A model without joints is not posed.
    Vela::AnimatedModelInstance jointless;
    jointless.Init(std::make_shared<Vela::Model>());
    jointless.SetPose(pose);
    EXPECT_EQ(jointless.GetBoneMatrices()[0], Vela::Matrix4x4<float>());
}
