#include "mire/graphics/ModelShader.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/ModelInstance.h"

#include <algorithm>

namespace Vela
{
    namespace
    {
        // One draw per mesh, up to the per-model limit; nothing without a model.
        void RenderMeshes(ModelShader& aShader, const Model* aModel, const ModelTextures& someTextures, const Matrix4x4<float>& aTransform,
                          const Matrix4x4<float>* someBones)
        {
            if (!aModel)
            {
                return;
            }
            const std::vector<MeshData>& meshes = aModel->GetMeshes();
            const size_t count = std::min<size_t>(meshes.size(), MAX_MESHES_PER_MODEL);
            for (size_t i = 0; i < count; ++i)
            {
                aShader.Render(someTextures[i], meshes[i], aTransform, someBones);
            }
        }
    }

    void ModelInstance::Render(ModelShader& aShader)
    {
        RenderMeshes(aShader, myModel.get(), myTextures, myTransform, nullptr);
    }

    void AnimatedModelInstance::Render(ModelShader& aShader)
    {
        RenderMeshes(aShader, myModel.get(), myTextures, myTransform, myBoneMatrices.data());
    }
}
