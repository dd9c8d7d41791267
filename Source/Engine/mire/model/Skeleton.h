#pragma once
#include "mire/animation/Pose.h"
#include "mire/math/Matrix4x4.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Vela
{
    using BoneMatrices = std::array<Matrix4x4<float>, MAX_ANIMATION_BONES>;

    struct Joint
    {
        Matrix4x4<float> myInverseBindMatrix;
        int32_t myParent = -1;
        std::vector<uint32_t> myChildren;
        std::string myName; // without namespace prefix
    };

    // The joints of a model in file order (parents before children; joint 0 is the root) and its bind pose.
    class Skeleton
    {
    public:
        // Writes model-space matrices for every joint reachable from joint 0.
        void ConvertPoseToModelSpace(const Pose& aLocalPose, ModelSpacePose& aModelSpace) const;
        void ComputeJointTransformRecursive(const Pose& aLocalPose, ModelSpacePose& aModelSpace, uint32_t aJoint,
                                            const Matrix4x4<float>& aParent) const;
        // Skinning matrices for this skeleton's joints; entries beyond them are left as they are.
        void ApplyBindPoseInverse(const ModelSpacePose& aModelSpace, BoneMatrices& someSkinningMatrices) const;

        // Appends a joint and indexes it by name; refused past MAX_ANIMATION_BONES.
        bool AddJoint(Joint aJoint, const JointTransform& aBindTransform);
        // Index of a joint by name, or -1.
        int64_t FindJoint(const std::string& aName) const;

        const std::vector<Joint>& GetJoints() const { return myJoints; }
        const std::vector<std::string>& GetJointNames() const { return myJointNames; }
        const Pose& GetBindPose() const { return myBindPose; }
        const std::string& GetName() const { return myName; }
        size_t GetJointCount() const { return myJoints.size(); }

    private:
        std::string myName;
        Pose myBindPose;
        std::vector<Joint> myJoints;
        std::unordered_map<std::string, uint64_t> myJointIndexByName;
        std::vector<std::string> myJointNames;
    };
}
