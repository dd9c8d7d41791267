#pragma once
#include <cstddef>
#include <cstdint>

namespace Vela
{
    // The 180-byte vertex the model shaders read: the imported vertex with its four bone indices held as floats.
    struct ModelVertex
    {
        float myPosition[4] = {};
        float myColors[4][4] = {};
        float myUvs[4][2] = {};
        float myNormal[3] = {};
        float myTangent[3] = {};
        float myBinormal[3] = {};
        float myBones[4] = {};
        float myWeights[4] = {};
    };

    constexpr uint32_t MODEL_VERTEX_STRIDE = 180;
    static_assert(sizeof(ModelVertex) == MODEL_VERTEX_STRIDE, "model vertices must match the shader input layout");
    static_assert(offsetof(ModelVertex, myUvs) == 80 && offsetof(ModelVertex, myNormal) == 112 &&
                      offsetof(ModelVertex, myBones) == 148 && offsetof(ModelVertex, myWeights) == 164,
                  "model vertex offsets must match the shader input layout");
}
