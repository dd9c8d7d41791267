#pragma once
#include "mire/animation/Pose.h"
#include "mire/math/Matrix4x4.h"
#include "mire/model/Model.h"
#include "mire/model/Skeleton.h"

#include <memory>

namespace Vela
{
    class AnimationPlayer;
    class ModelShader;

    // A skinned model with its own transform and 128 skinning matrices, all identity until the first pose,
    // so the mesh draws in its bind shape.
    class AnimatedModelInstance
    {
    public:
        AnimatedModelInstance();

        void Init(std::shared_ptr<Model> aModel);
        std::shared_ptr<Model> GetModel() const { return myModel; }
        void SetTransform(const Matrix4x4<float>& aTransform) { myTransform = aTransform; }
        const Matrix4x4<float>& GetTransform() const { return myTransform; }
        Matrix4x4<float>& GetTransform() { return myTransform; }
        const ModelTextures& GetTextures() const { return myTextures; }
        // Replaces this instance's own texture slots; slots beyond the mesh and slot limits are ignored.
        void SetTexture(size_t aMesh, size_t aSlot, const Texture* aTexture) { SetTextureSlot(myTextures, aMesh, aSlot, aTexture); }
        void SetMeshTextures(size_t aMesh, const MeshTextures& someTextures) { SetMeshTextureSlots(myTextures, aMesh, someTextures); }
        const BoneMatrices& GetBoneMatrices() const { return myBoneMatrices; }

        // Recomputes the skinning matrices of the model's joints from a local pose; the rest keep their values.
        // Skipped when there is no model or it has no joints.
        void SetPose(const Pose& aLocalPose);
        void Update(const AnimationPlayer& aPlayer);

        // One draw per mesh with the bone matrices; an instance without a model draws nothing.
        void Render(ModelShader& aShader);

    private:
        Matrix4x4<float> myTransform;
        std::shared_ptr<Model> myModel;
        ModelTextures myTextures{};
        BoneMatrices myBoneMatrices;
    };
}
