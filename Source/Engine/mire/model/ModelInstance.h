#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/model/Model.h"

#include <memory>

namespace Vela
{
    class ModelShader;

    // A shared model drawn with its own world transform. Copies share the model.
    class ModelInstance
    {
    public:
        void Init(std::shared_ptr<Model> aModel);
        std::shared_ptr<Model> GetModel() const { return myModel; }
        void SetTransform(const Matrix4x4<float>& aTransform) { myTransform = aTransform; }
        const Matrix4x4<float>& GetTransform() const { return myTransform; }
        Matrix4x4<float>& GetTransform() { return myTransform; }
        const ModelTextures& GetTextures() const { return myTextures; }
        // Replaces this instance's own texture slots; slots beyond the mesh and slot limits are ignored.
        void SetTexture(size_t aMesh, size_t aSlot, const Texture* aTexture) { SetTextureSlot(myTextures, aMesh, aSlot, aTexture); }
        void SetMeshTextures(size_t aMesh, const MeshTextures& someTextures) { SetMeshTextureSlots(myTextures, aMesh, someTextures); }

        // One draw per mesh; an instance without a model draws nothing.
        void Render(ModelShader& aShader);

    private:
        std::shared_ptr<Model> myModel;
        ModelTextures myTextures{};
        Matrix4x4<float> myTransform;
    };
}
