#include "mire/graphics/ModelShader.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/ModelInstance.h"

#include <algorithm>

namespace Vela
{
    void ModelInstance::Render(ModelShader& aShader)
    {
        if (!myModel)
        {
            return;
        }
        const std::vector<MeshData>& meshes = myModel->GetMeshes();
        const size_t count = std::min<size_t>(meshes.size(), MAX_MESHES_PER_MODEL);
        for (size_t i = 0; i < count; ++i)
        {
            aShader.Render(myTextures[i], meshes[i], myTransform, nullptr);
        }
    }

    void AnimatedModelInstance::Render(ModelShader& aShader)
    {
        if (!myModel)
        {
            return;
        }
        const std::vector<MeshData>& meshes = myModel->GetMeshes();
        const size_t count = std::min<size_t>(meshes.size(), MAX_MESHES_PER_MODEL);
        for (size_t i = 0; i < count; ++i)
        {
            aShader.Render(myTextures[i], meshes[i], myTransform, myBoneMatrices.data());
        }
    }
}
