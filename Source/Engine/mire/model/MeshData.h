#pragma once
#include "mire/math/Vector.h"
#include "mire/model/ModelVertex.h"
#include "Platform/graphics/GfxObjects.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Vela
{
    struct MeshBounds
    {
        float myRadius = 0.0f; // length of the half-extents
        Vector3<float> myHalfExtents{ 0.0f, 0.0f, 0.0f };
        Vector3<float> myCentre{ 0.0f, 0.0f, 0.0f };
    };

    // One mesh of a model: immutable GPU buffers plus the CPU copies they were made from.
    // The buffers are released with the last copy of the mesh.
    struct MeshData
    {
        std::string myName;
        std::string myMaterialName;
        uint32_t myVertexCount = 0;
        uint32_t myIndexCount = 0;
        uint32_t myStride = MODEL_VERTEX_STRIDE;
        uint32_t myOffset = 0;
        Gfx::Ref<Gfx::Buffer> myVertexBuffer;
        Gfx::Ref<Gfx::Buffer> myIndexBuffer;
        MeshBounds myBounds;
        std::vector<ModelVertex> myVertices;
        std::vector<uint32_t> myIndices;
    };
}
