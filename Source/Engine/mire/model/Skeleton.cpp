#include "mire/model/Skeleton.h"

#include <algorithm>

namespace Vela
{
    void Skeleton::ConvertPoseToModelSpace(const Pose& aLocalPose, ModelSpacePose& aModelSpace) const
    {
        if (!myJoints.empty())
        {
            ComputeJointTransformRecursive(aLocalPose, aModelSpace, 0, Matrix4x4<float>());
        }
        aModelSpace.myCount = std::min(aLocalPose.myJointCount, MAX_ANIMATION_BONES);
    }

    void Skeleton::ComputeJointTransformRecursive(const Pose& aLocalPose, ModelSpacePose& aModelSpace, uint32_t aJoint,
                                                  const Matrix4x4<float>& aParent) const
    {
        if (aJoint >= myJoints.size() || aJoint >= MAX_ANIMATION_BONES)
        {
            return;
        }
        aModelSpace.myMatrices[aJoint] = aLocalPose.myJoints[aJoint].GetMatrix(false) * aParent;
        const Matrix4x4<float>& current = aModelSpace.myMatrices[aJoint];
        for (uint32_t child : myJoints[aJoint].myChildren)
        {
            // Children always follow their parent in file order; anything else would be a cycle.
            if (child > aJoint)
            {
                ComputeJointTransformRecursive(aLocalPose, aModelSpace, child, current);
            }
        }
    }

    void Skeleton::ApplyBindPoseInverse(const ModelSpacePose& aModelSpace, BoneMatrices& someSkinningMatrices) const
    {
        const size_t count = std::min<size_t>(myJoints.size(), MAX_ANIMATION_BONES);
        for (size_t i = 0; i < count; ++i)
        {
            someSkinningMatrices[i] = myJoints[i].myInverseBindMatrix * aModelSpace.myMatrices[i];
        }
    }

    bool Skeleton::AddJoint(Joint aJoint, const JointTransform& aBindTransform)
    {
        if (myJoints.size() >= MAX_ANIMATION_BONES)
        {
            return false;
        }
        const size_t index = myJoints.size();
        myBindPose.myJoints[index] = aBindTransform;
        myBindPose.myJointCount = static_cast<uint32_t>(index + 1);
        myJointIndexByName.emplace(aJoint.myName, index);
        myJointNames.push_back(aJoint.myName);
        myJoints.push_back(std::move(aJoint));
        return true;
    }

    int64_t Skeleton::FindJoint(const std::string& aName) const
    {
        const auto found = myJointIndexByName.find(aName);
        return found == myJointIndexByName.end() ? -1 : static_cast<int64_t>(found->second);
    }
}
