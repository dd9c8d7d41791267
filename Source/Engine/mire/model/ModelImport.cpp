#include "mire/model/ModelImport.h"

#include "mire/math/MathFunctions.h"
#include "mire/model/ModelFactory.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Vela::impl
{
    Matrix4x4<float> ToMatrix(const VelaFBX::Matrix4x4f& aMatrix)
    {
        std::array<float, 16> elements;
        std::copy(std::begin(aMatrix.values), std::end(aMatrix.values), elements.begin());
        return Matrix4x4<float>(elements);
    }

    ModelVertex ConvertVertex(const VelaFBX::Vertex& aVertex)
    {
        static_assert(sizeof(ModelVertex) == sizeof(VelaFBX::Vertex));
        ModelVertex vertex;
        std::memcpy(static_cast<void*>(&vertex), &aVertex, sizeof(vertex));
        for (auto& color : vertex.myColors)
        {
            if (color[0] + color[1] + color[2] + color[3] == 0.0f)
            {
                std::fill(std::begin(color), std::end(color), 1.0f);
            }
        }
        for (int i = 0; i < 4; ++i)
        {
            vertex.myBones[i] = static_cast<float>(aVertex.boneIndices[i]);
        }
        return vertex;
    }

    bool BuildSkeleton(const VelaFBX::Skeleton& aImported, Skeleton& aOut)
    {
        if (aImported.bones.size() > MAX_ANIMATION_BONES)
        {
            return false;
        }
        for (const VelaFBX::Bone& bone : aImported.bones)
        {
            Joint joint;
            joint.myInverseBindMatrix = Matrix4x4<float>::Transpose(ToMatrix(bone.matrix));
            JointTransform bind;
            DecomposeMatrix(Matrix4x4<float>::GetInverse(joint.myInverseBindMatrix), bind.myTranslation, bind.myRotation, bind.myScale);
            joint.myParent = bone.parent;
            joint.myChildren = bone.children;
            joint.myName = bone.name;
            aOut.AddJoint(std::move(joint), bind);
        }
        return true;
    }

    MeshData ConvertMesh(const VelaFBX::ImportedMesh& aMesh, const std::vector<VelaFBX::Material>& someMaterials)
    {
        MeshData mesh;
        mesh.myVertices.reserve(aMesh.vertices.size());
        for (const VelaFBX::Vertex& vertex : aMesh.vertices)
        {
            mesh.myVertices.push_back(ConvertVertex(vertex));
        }
        mesh.myIndices = aMesh.indices;
        mesh.myVertexCount = static_cast<uint32_t>(mesh.myVertices.size());
        mesh.myIndexCount = static_cast<uint32_t>(mesh.myIndices.size());
        mesh.myName = aMesh.name;
        mesh.myMaterialName = aMesh.materialIndex < someMaterials.size() ? someMaterials[aMesh.materialIndex].name : std::string();
        mesh.myBounds = ModelFactory::ComputeBoundingBox(mesh.myVertices);
        return mesh;
    }

    void ConvertAnimation(const VelaFBX::ImportedAnimation& aImported, const Skeleton& aSkeleton, Animation& aOut)
    {
        aOut.myName = WidenPath(aImported.name);
        // A take that stops before it starts has no frames rather than four billion.
        aOut.myFrameCount = static_cast<uint32_t>(std::clamp<int64_t>(aImported.frameCount, 0, UINT32_MAX));
        aOut.myFramesPerSecond = aImported.frameRate;
        aOut.myDuration = static_cast<float>(aImported.duration);
        aOut.myFrames.assign(aImported.frames.size(), Pose());

        const uint32_t jointCount = static_cast<uint32_t>(std::min<size_t>(aSkeleton.GetJointCount(), MAX_ANIMATION_BONES));
        for (size_t f = 0; f < aImported.frames.size(); ++f)
        {
            Pose& pose = aOut.myFrames[f];
            pose.myJointCount = jointCount;
            for (const auto& [boneName, local] : aImported.frames[f].localTransforms)
            {
                const int64_t joint = aSkeleton.FindJoint(boneName);
                if (joint < 0 || joint >= static_cast<int64_t>(jointCount))
                {
                    continue;
                }
                JointTransform& target = pose.myJoints[static_cast<size_t>(joint)];
                DecomposeMatrix(ToMatrix(local), target.myTranslation, target.myRotation, target.myScale);
            }
        }
    }

    std::wstring WidenPath(const std::string& aPath)
    {
        std::wstring result;
        result.reserve(aPath.size());
        for (size_t i = 0; i < aPath.size();)
        {
            const auto lead = static_cast<unsigned char>(aPath[i]);
            const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
            bool valid = length > 0 && i + length <= aPath.size();
            char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
            for (size_t k = 1; valid && k < length; ++k)
            {
                const auto next = static_cast<unsigned char>(aPath[i + k]);
                valid = (next & 0xC0) == 0x80;
                code = (code << 6) | (next & 0x3F);
            }
            if (!valid)
            {
                result.push_back(static_cast<wchar_t>(lead));
                ++i;
                continue;
            }
            result.push_back(static_cast<wchar_t>(code));
            i += length;
        }
        return result;
    }
}
