#include "ModelFactoryTestSupport.h"

#include "mire/math/MathFunctions.h"
#include "mire/model/ModelImport.h"

#include "VelaFBXImporter.h"

#include <cmath>
#include <new>

using VelaTest::ModelFactoryTest;

namespace
{
    using Matrix = Vela::Matrix4x4<float>;

    bool IsFinite(const Matrix& aMatrix)
    {
        for (int i = 0; i < 16; ++i)
        {
            if (!std::isfinite(aMatrix[i]))
                return false;
        }
        return true;
    }

    // Joints reachable from joint 0, the way the skeleton walks them; the rest keep the identity.
    std::vector<bool> ReachableFromRoot(const Vela::Skeleton& aSkeleton)
    {
        std::vector<bool> reachable(aSkeleton.GetJointCount(), false);
        if (!reachable.empty())
            reachable[0] = true;
        for (size_t j = 1; j < reachable.size(); ++j)
        {
            const int32_t parent = aSkeleton.GetJoints()[j].myParent;
            reachable[j] = parent >= 0 && static_cast<size_t>(parent) < j && reachable[static_cast<size_t>(parent)];
        }
        return reachable;
    }

    // Skinning matrices straight from local matrices: composed from joint 0 down, times the inverse bind matrices.
    std::vector<Matrix> ReferenceSkinning(const Vela::Skeleton& aSkeleton, const std::vector<Matrix>& someLocals)
    {
        const std::vector<bool> reachable = ReachableFromRoot(aSkeleton);
        std::vector<Matrix> modelSpace(aSkeleton.GetJointCount());
        std::vector<Matrix> skinning(aSkeleton.GetJointCount());
        for (size_t j = 0; j < modelSpace.size(); ++j)
        {
            const int32_t parent = aSkeleton.GetJoints()[j].myParent;
            if (reachable[j])
                modelSpace[j] = j == 0 ? someLocals[j] : someLocals[j] * modelSpace[static_cast<size_t>(parent)];
            skinning[j] = aSkeleton.GetJoints()[j].myInverseBindMatrix * modelSpace[j];
        }
        return skinning;
    }

    template <typename Matrices>
    Vela::Vector3<float> SkinVertex(const Vela::ModelVertex& aVertex, const Matrices& someSkinning)
    {
        const Vela::Vector4<float> position{ aVertex.myPosition[0], aVertex.myPosition[1], aVertex.myPosition[2], 1.0f };
        Vela::Vector4<float> sum{ 0.0f, 0.0f, 0.0f, 0.0f };
        for (int i = 0; i < 4; ++i)
        {
            const size_t bone = static_cast<size_t>(aVertex.myBones[i]);
            sum = sum + (position * someSkinning[bone]) * aVertex.myWeights[i];
        }
        return { sum.x, sum.y, sum.z };
    }

    float WeightSum(const Vela::ModelVertex& aVertex)
    {
        return aVertex.myWeights[0] + aVertex.myWeights[1] + aVertex.myWeights[2] + aVertex.myWeights[3];
    }

    float ModelSize(const Vela::Model& aModel)
    {
        float size = 1.0f;
        for (const Vela::MeshData& mesh : aModel.GetMeshes())
            size = std::max(size, mesh.myBounds.myRadius);
        return size;
    }

    class SkinnedFixture : public ModelFactoryTest, public testing::WithParamInterface<const char*>
    {
    protected:
        std::string Path() const { return std::string("fbx/") + GetParam(); }
    };
}

TEST_P(SkinnedFixture, LoadsPlaysAndSkinsWithoutANumberGoingBad)
{
    std::shared_ptr<Vela::Model> model = Factory().GetModel(Path());
    ASSERT_TRUE(model);
    ASSERT_FALSE(model->GetMeshes().empty());
    const Vela::Skeleton& skeleton = model->GetSkeleton();
    ASSERT_GT(skeleton.GetJointCount(), 0u);
    size_t weighted = 0;
    for (const Vela::MeshData& mesh : model->GetMeshes())
        for (const Vela::ModelVertex& vertex : mesh.myVertices)
        {
            weighted += WeightSum(vertex) > 0.0f;
            for (float bone : vertex.myBones)
                ASSERT_LT(bone, static_cast<float>(skeleton.GetJointCount()));
        }
    EXPECT_GT(weighted, 0u);

    Vela::AnimatedModelInstance instance = Factory().GetAnimatedModelInstance(Path());
    ASSERT_EQ(instance.GetModel(), model);
    Vela::AnimationPlayer player = Factory().GetAnimationPlayer(Path(), model);
    ASSERT_TRUE(player.GetAnimation());
    const Vela::Animation& clip = *player.GetAnimation();
    EXPECT_GT(clip.myFrameCount, 1u);
    EXPECT_EQ(clip.myFrames.size(), clip.myFrameCount);
    EXPECT_GT(clip.myFramesPerSecond, 0.0f);
    EXPECT_EQ(clip.myFrames[0].myJointCount, skeleton.GetJointCount());

    player.SetLooping(true);
    player.SetState(Vela::AnimationPlayer::State::Playing);
    for (int step = 0; step < 40; ++step)
    {
        player.Update(clip.myDuration / 17.0f);
        instance.Update(player);
        for (size_t j = 0; j < skeleton.GetJointCount(); ++j)
            ASSERT_TRUE(IsFinite(instance.GetBoneMatrices()[j])) << "joint " << j << " step " << step;
    }
    for (const Vela::ModelVertex& vertex : model->GetMeshes()[0].myVertices)
    {
        const Vela::Vector3<float> skinned = SkinVertex(vertex, instance.GetBoneMatrices());
        ASSERT_TRUE(std::isfinite(skinned.x) && std::isfinite(skinned.y) && std::isfinite(skinned.z));
    }
}

TEST_P(SkinnedFixture, SkinnedVerticesMatchAReferenceBuiltFromTheClipsLocalMatrices)
{
    std::shared_ptr<Vela::Model> model = Factory().GetModel(Path());
    ASSERT_TRUE(model);
    const Vela::Skeleton& skeleton = model->GetSkeleton();
    Vela::AnimatedModelInstance instance = Factory().GetAnimatedModelInstance(Path());
    Vela::AnimationPlayer player = Factory().GetAnimationPlayer(Path(), model);
    ASSERT_TRUE(player.GetAnimation());

    VelaFBX::ImportedAnimation imported;
    ASSERT_TRUE(VelaFBX::LoadAnimation(Vela::Settings::ResolveAssetPath(Path()), imported));
    ASSERT_EQ(imported.frames.size(), player.GetAnimation()->myFrames.size());

    // Exactly one frame, no blending.
    const size_t frame = imported.frames.size() / 2;
    player.SetInterpolating(false);
    player.SetTime((static_cast<float>(frame) + 0.5f) / player.GetFramesPerSecond());
    player.SamplePose();
    instance.Update(player);

    std::vector<Matrix> locals(skeleton.GetJointCount());
    for (size_t j = 0; j < locals.size(); ++j)
    {
        const auto found = imported.frames[frame].localTransforms.find(skeleton.GetJointNames()[j]);
        if (found != imported.frames[frame].localTransforms.end())
            locals[j] = Vela::impl::ToMatrix(found->second);
    }
    const std::vector<Matrix> reference = ReferenceSkinning(skeleton, locals);

    const float tolerance = ModelSize(*model) * 2e-3f;
    size_t moved = 0;
    for (const Vela::MeshData& mesh : model->GetMeshes())
        for (const Vela::ModelVertex& vertex : mesh.myVertices)
        {
            const Vela::Vector3<float> expected = SkinVertex(vertex, reference);
            const Vela::Vector3<float> actual = SkinVertex(vertex, instance.GetBoneMatrices());
            ASSERT_NEAR(actual.x, expected.x, tolerance);
            ASSERT_NEAR(actual.y, expected.y, tolerance);
            ASSERT_NEAR(actual.z, expected.z, tolerance);
            const Vela::Vector3<float> bind{ vertex.myPosition[0], vertex.myPosition[1], vertex.myPosition[2] };
            moved += (actual - bind).Length() > tolerance;
        }
    // The clip does move the mesh.
    EXPECT_GT(moved, 0u);
}

TEST_P(SkinnedFixture, TheRestPoseSkinsToTheBindMesh)
{
    std::shared_ptr<Vela::Model> model = Factory().GetModel(Path());
    ASSERT_TRUE(model);
    const Vela::Skeleton& skeleton = model->GetSkeleton();
    Vela::AnimatedModelInstance instance = Factory().GetAnimatedModelInstance(Path());

    // Local rest transforms from the bind transforms: each joint relative to its parent.
    Vela::Pose rest;
    rest.myJointCount = static_cast<uint32_t>(skeleton.GetJointCount());
    for (size_t j = 0; j < skeleton.GetJointCount(); ++j)
    {
        const Vela::Joint& joint = skeleton.GetJoints()[j];
        Matrix local = Matrix::GetInverse(joint.myInverseBindMatrix);
        if (joint.myParent >= 0)
            local = local * skeleton.GetJoints()[static_cast<size_t>(joint.myParent)].myInverseBindMatrix;
        Vela::JointTransform& target = rest.myJoints[j];
        Vela::DecomposeMatrix(local, target.myTranslation, target.myRotation, target.myScale);
    }
    instance.SetPose(rest);

    const float tolerance = ModelSize(*model) * 2e-3f;
    size_t checked = 0;
    for (const Vela::MeshData& mesh : model->GetMeshes())
        for (const Vela::ModelVertex& vertex : mesh.myVertices)
        {
            if (std::fabs(WeightSum(vertex) - 1.0f) > 1e-3f)
                continue;
            const Vela::Vector3<float> skinned = SkinVertex(vertex, instance.GetBoneMatrices());
            ASSERT_NEAR(skinned.x, vertex.myPosition[0], tolerance);
            ASSERT_NEAR(skinned.y, vertex.myPosition[1], tolerance);
            ASSERT_NEAR(skinned.z, vertex.myPosition[2], tolerance);
            ++checked;
        }
    EXPECT_GT(checked, 0u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SkinnedFixture,
                         testing::Values("max_transformed_skin_7500_binary.fbx", "maya_game_sausage_7500_binary_wiggle.fbx"));

TEST_F(ModelFactoryTest, ASkeletonWithATakeButNoMeshLoadsAsAClip)
{
    const std::string path = "fbx/maya_character_7500_binary.fbx";
    std::shared_ptr<Vela::Model> model = Factory().GetModel(path);
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->GetMeshes().empty());
    std::shared_ptr<Vela::Animation> clip = Factory().GetAnimation(Vela::Settings::ResolveAssetPath(path), model);
    ASSERT_TRUE(clip);
    EXPECT_GT(clip->myFrameCount, 1u);
    EXPECT_EQ(clip->myFrames.size(), clip->myFrameCount);
    EXPECT_GT(clip->myDuration, 0.0f);
    EXPECT_GT(clip->myFramesPerSecond, 0.0f);
}

TEST_F(ModelFactoryTest, AReloadDropsTheClipsOfTheDroppedModel)
{
    PlaceFixture("maya_game_sausage_7500_binary_wiggle.fbx", "chars/sausage.fbx");
    PlaceFixture("maya_game_sausage_7500_binary_wiggle.fbx", "chars/other.fbx");
    std::shared_ptr<Vela::Model> model = Factory().GetModel("chars/sausage.fbx");
    std::shared_ptr<Vela::Model> other = Factory().GetModel("chars/other.fbx");
    ASSERT_TRUE(model);
    ASSERT_TRUE(other);
    ASSERT_EQ(myWatches.size(), 2u);
    Vela::AnimationPlayer player = Factory().GetAnimationPlayer("chars/sausage.fbx", model);
    ASSERT_TRUE(player.GetAnimation());
    ASSERT_TRUE(Factory().GetAnimationPlayer("chars/other.fbx", model).GetAnimation());
    ASSERT_TRUE(Factory().GetAnimationPlayer("chars/sausage.fbx", other).GetAnimation());
    EXPECT_EQ(Factory().GetCachedAnimationCount(), 3u);

    // The file changes: both clips converted for the dropped model go; the other model's stays.
    myWatches[0].second();
    EXPECT_EQ(Factory().GetCachedAnimationCount(), 1u);
    // What holders keep stays usable.
    EXPECT_GT(player.GetAnimation()->myFrameCount, 0u);

    // The reloaded model gets its own clip; a model dropped many times does not pile clips up.
    for (int i = 0; i < 3; ++i)
    {
        std::shared_ptr<Vela::Model> reloaded = Factory().GetModel("chars/sausage.fbx");
        ASSERT_TRUE(reloaded);
        EXPECT_NE(reloaded, model);
        ASSERT_TRUE(Factory().GetAnimationPlayer("chars/sausage.fbx", reloaded).GetAnimation());
        EXPECT_EQ(Factory().GetCachedAnimationCount(), 2u);
        myWatches[0].second();
        EXPECT_EQ(Factory().GetCachedAnimationCount(), 1u);
    }
}

TEST_F(ModelFactoryTest, ClipsAreCachedPerModelAndNeverForAMissingModel)
{
    const std::string path = "fbx/maya_game_sausage_7500_binary_wiggle.fbx";
    const std::string resolved = Vela::Settings::ResolveAssetPath(path);
    std::shared_ptr<Vela::Model> model = Factory().GetModel(path);
    ASSERT_TRUE(model);
    std::shared_ptr<Vela::Animation> clip = Factory().GetAnimation(resolved, model);
    ASSERT_TRUE(clip);
    EXPECT_EQ(Factory().GetAnimation(resolved, model), clip);
    EXPECT_EQ(Factory().GetAnimationPlayer(path, model).GetAnimation(), clip);

    // The same clip for a second model is converted again.
    PlaceFixture("maya_game_sausage_7500_binary_wiggle.fbx", "props/sausage.fbx");
    std::shared_ptr<Vela::Model> second = Factory().GetModel("props/sausage.fbx");
    ASSERT_TRUE(second);
    std::shared_ptr<Vela::Animation> secondClip = Factory().GetAnimation(resolved, second);
    ASSERT_TRUE(secondClip);
    EXPECT_NE(secondClip, clip);

    // No model (its load failed): no clip, and a player that plays nothing.
    EXPECT_FALSE(Factory().GetAnimation(resolved, nullptr));
    Vela::AnimationPlayer player = Factory().GetAnimationPlayer(path, Factory().GetModel("props/missing.fbx"));
    EXPECT_FALSE(player.GetAnimation());
    player.SetState(Vela::AnimationPlayer::State::Playing);
    player.Update(0.1f);
    EXPECT_EQ(player.GetPose().myJointCount, 0u);

    // Missing and broken clip files give nothing.
    EXPECT_FALSE(Factory().GetAnimationPlayer("anims/missing.fbx", model).GetAnimation());
    EXPECT_FALSE(Factory().GetAnimation(Vela::Settings::ResolveAssetPath("fbx/maya_cube_7500_binary.fbx"), model));
}

TEST_F(ModelFactoryTest, AClipIsNotHandedToANewModelAtAReusedAddress)
{
    const std::string path = "fbx/maya_game_sausage_7500_binary_wiggle.fbx";
    const std::string resolved = Vela::Settings::ResolveAssetPath(path);
    std::shared_ptr<Vela::Model> loaded = Factory().GetModel(path);
    ASSERT_TRUE(loaded);

    // Two models, one after the other, in the same storage.
    alignas(Vela::Model) static unsigned char storage[sizeof(Vela::Model)];
    const auto destroyInPlace = [](Vela::Model* aModel) { aModel->~Model(); };
    std::shared_ptr<Vela::Model> first(new (storage) Vela::Model(*loaded), destroyInPlace);
    std::shared_ptr<Vela::Animation> firstClip = Factory().GetAnimation(resolved, first);
    ASSERT_TRUE(firstClip);
    EXPECT_EQ(firstClip->myFrames[0].myJointCount, loaded->GetSkeleton().GetJointCount());
    first.reset();

    std::shared_ptr<Vela::Model> second(new (storage) Vela::Model(), destroyInPlace);
    std::shared_ptr<Vela::Animation> secondClip = Factory().GetAnimation(resolved, second);
    ASSERT_TRUE(secondClip);
    EXPECT_NE(secondClip, firstClip);
    EXPECT_EQ(secondClip->myFrames[0].myJointCount, 0u);
    second.reset();
}
