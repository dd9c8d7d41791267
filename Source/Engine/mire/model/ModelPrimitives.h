#pragma once
#include "mire/model/ModelVertex.h"

#include <cstdint>
#include <vector>

namespace Vela
{
    struct PrimitiveGeometry
    {
        std::vector<ModelVertex> myVertices;
        std::vector<uint32_t> myIndices;
    };

    // An axis-aligned cube of edge 100 centred on the origin: four vertices per face, two triangles each,
    // every face with its own colour.
    PrimitiveGeometry BuildCubeGeometry();
    // A 100 x 100 square in the X-Z plane at y = 0, facing up.
    PrimitiveGeometry BuildPlaneGeometry();
}
