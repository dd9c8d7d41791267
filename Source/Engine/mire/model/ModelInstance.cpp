#include "mire/model/ModelInstance.h"

#include "mire/model/AnimatedModelInstance.h"

#include "mire/animation/AnimationPlayer.h"

namespace Vela
{
    void ModelInstance::Init(std::shared_ptr<Model> aModel)
    {
        myModel = std::move(aModel);
        myTextures = myModel ? myModel->GetTextures() : ModelTextures{};
    }

    AnimatedModelInstance::AnimatedModelInstance()
    {
        myBoneMatrices.fill(Matrix4x4<float>());
    }

    void AnimatedModelInstance::Init(std::shared_ptr<Model> aModel)
    {
        myModel = std::move(aModel);
        myTextures = myModel ? myModel->GetTextures() : ModelTextures{};
    }

    void AnimatedModelInstance::SetPose(const Pose& aLocalPose)
    {
        if (!myModel || myModel->GetSkeleton().GetJointCount() == 0)
        {
            return;
        }
        ModelSpacePose modelSpace;
        modelSpace.myMatrices.fill(Matrix4x4<float>());
        const Skeleton& skeleton = myModel->GetSkeleton();
        skeleton.ConvertPoseToModelSpace(aLocalPose, modelSpace);
        skeleton.ApplyBindPoseInverse(modelSpace, myBoneMatrices);
    }

    void AnimatedModelInstance::Update(const AnimationPlayer& aPlayer)
    {
        SetPose(aPlayer.GetPose());
    }
}
