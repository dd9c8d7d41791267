#include "mire/model/ModelPrimitives.h"

#include <array>

namespace Vela
{
    namespace
    {
        struct Face
        {
            std::array<std::array<float, 3>, 4> myCorners;
            std::array<float, 3> myNormal;
            std::array<float, 4> myColor;
            std::array<float, 3> myTangent;
            std::array<float, 3> myBinormal;
        };

        constexpr std::array<Face, 6> CUBE_FACES = { {
            { { { { 50, -50, 50 }, { 50, 50, 50 }, { -50, 50, 50 }, { -50, -50, 50 } } }, { 0, 0, 1 }, { 1, 1, 1, 1 }, { 1, 0, 0 }, { 0, -1, 0 } },
            { { { { -50, -50, 50 }, { -50, 50, 50 }, { -50, 50, -50 }, { -50, -50, -50 } } }, { -1, 0, 0 }, { 1, 0, 0, 1 }, { 0, 0, 1 }, { 0, -1, 0 } },
            { { { { -50, -50, -50 }, { -50, 50, -50 }, { 50, 50, -50 }, { 50, -50, -50 } } }, { 0, 0, -1 }, { 0, 1, 0, 1 }, { 1, 0, 0 }, { 0, -1, 0 } },
            { { { { 50, -50, -50 }, { 50, 50, -50 }, { 50, 50, 50 }, { 50, -50, 50 } } }, { 1, 0, 0 }, { 0, 0, 1, 1 }, { 0, 0, -1 }, { 0, -1, 0 } },
            { { { { 50, 50, 50 }, { 50, 50, -50 }, { -50, 50, -50 }, { -50, 50, 50 } } }, { 0, 1, 0 }, { 1, 1, 0, 1 }, { 1, 0, 0 }, { 0, 0, 1 } },
            { { { { -50, -50, 50 }, { -50, -50, -50 }, { 50, -50, -50 }, { 50, -50, 50 } } }, { 0, -1, 0 }, { 1, 0, 1, 1 }, { 1, 0, 0 }, { 0, 0, 1 } },
        } };

        constexpr std::array<std::array<float, 2>, 4> CUBE_FACE_UVS = { { { 0, 1 }, { 0, 0 }, { 1, 0 }, { 1, 1 } } };

        ModelVertex MakeVertex(const std::array<float, 3>& aPosition, const std::array<float, 2>& aUv, const std::array<float, 3>& aNormal,
                               const std::array<float, 4>& aColor, const std::array<float, 3>& aTangent, const std::array<float, 3>& aBinormal)
        {
            ModelVertex vertex;
            for (int i = 0; i < 3; ++i)
            {
                vertex.myPosition[i] = aPosition[i];
                vertex.myNormal[i] = aNormal[i];
                vertex.myTangent[i] = aTangent[i];
                vertex.myBinormal[i] = aBinormal[i];
            }
            vertex.myPosition[3] = 1.0f;
            for (int i = 0; i < 4; ++i)
            {
                vertex.myColors[0][i] = aColor[i];
            }
            vertex.myUvs[0][0] = aUv[0];
            vertex.myUvs[0][1] = aUv[1];
            return vertex;
        }
    }

    PrimitiveGeometry BuildCubeGeometry()
    {
        PrimitiveGeometry cube;
        cube.myVertices.reserve(24);
        cube.myIndices.reserve(36);
        for (uint32_t k = 0; k < CUBE_FACES.size(); ++k)
        {
            const Face& face = CUBE_FACES[k];
            for (size_t corner = 0; corner < 4; ++corner)
            {
                cube.myVertices.push_back(
                    MakeVertex(face.myCorners[corner], CUBE_FACE_UVS[corner], face.myNormal, face.myColor, face.myTangent, face.myBinormal));
            }
            const uint32_t b = 4 * k;
            cube.myIndices.insert(cube.myIndices.end(), { b, b + 1, b + 2, b, b + 2, b + 3 });
        }
        return cube;
    }

    PrimitiveGeometry BuildPlaneGeometry()
    {
        constexpr std::array<std::array<float, 3>, 4> corners = { { { -50, 0, 50 }, { 50, 0, 50 }, { 50, 0, -50 }, { -50, 0, -50 } } };
        constexpr std::array<std::array<float, 2>, 4> uvs = { { { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 } } };
        PrimitiveGeometry plane;
        for (size_t i = 0; i < 4; ++i)
        {
            ModelVertex vertex = MakeVertex(corners[i], uvs[i], { 0, 1, 0 }, { 1, 1, 1, 1 }, { 1, 0, 0 }, { 0, 0, 1 });
            // w stays 0 like every field the plane leaves out; the shaders read x, y and z only.
            vertex.myPosition[3] = 0.0f;
            plane.myVertices.push_back(vertex);
        }
        plane.myIndices = { 0, 1, 2, 0, 2, 3 };
        return plane;
    }
}
