// Writes the engine's default textures as DDS files into the folder given on the command line:
//   Textures/T_Default_c.dds, _n, _m, _fx (4 x 4 with mips), Textures/whiteCubeMap.dds and
//   Textures/horizonCubeMap.dds (32 x 32 cube maps with full mip chains).
// The output depends only on this program, so every build makes the same bytes.
#include "Writers/DdsWriter.h"
#include "Writers/FileOutput.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace
{
    using Pixel = Vela::Content::Rgba;
    // Direction (x, y, z) of the texel centre -> colour.
    using CubeShader = std::function<Pixel(float, float, float)>;

    // Face directions in the usual cube order +X, -X, +Y, -Y, +Z, -Z; u right, v down on each face.
    void FaceDirection(int aFace, float aU, float aV, float& aX, float& aY, float& aZ)
    {
        switch (aFace)
        {
        case 0: aX = 1; aY = -aV; aZ = -aU; break;
        case 1: aX = -1; aY = -aV; aZ = aU; break;
        case 2: aX = aU; aY = 1; aZ = aV; break;
        case 3: aX = aU; aY = -1; aZ = -aV; break;
        case 4: aX = aU; aY = -aV; aZ = 1; break;
        default: aX = -aU; aY = -aV; aZ = -1; break;
        }
        const float length = std::sqrt(aX * aX + aY * aY + aZ * aZ);
        aX /= length;
        aY /= length;
        aZ /= length;
    }

    // Every mip level is drawn from the directions of its own texels.
    std::vector<uint8_t> CubeMap(uint32_t aSize, const CubeShader& aShader)
    {
        std::vector<std::vector<Vela::Content::Image>> faces(6);
        for (int face = 0; face < 6; ++face)
        {
            for (uint32_t size = aSize;; size /= 2)
            {
                Vela::Content::Image level(size, size);
                for (uint32_t y = 0; y < size; ++y)
                {
                    for (uint32_t x = 0; x < size; ++x)
                    {
                        float dx, dy, dz;
                        FaceDirection(face, 2.0f * (x + 0.5f) / size - 1.0f, 2.0f * (y + 0.5f) / size - 1.0f, dx, dy, dz);
                        level.Set(x, y, aShader(dx, dy, dz));
                    }
                }
                faces[size_t(face)].push_back(level);
                if (size == 1)
                    break;
            }
        }
        return Vela::Content::EncodeDds(faces, Vela::Content::DdsFormat::Rgba8Srgb);
    }

    std::vector<uint8_t> Flat(Vela::Content::DdsFormat aFormat, const Pixel& aPixel)
    {
        return Vela::Content::EncodeDds({ Vela::Content::MipChain(Vela::Content::Image(4, 4, aPixel)) }, aFormat);
    }

    uint8_t Mix(uint8_t aFrom, uint8_t aTo, float aT)
    {
        return uint8_t(std::lround(aFrom + (aTo - aFrom) * std::clamp(aT, 0.0f, 1.0f)));
    }

    // A bright horizon fading to a blue sky above and a dark ground below.
    Pixel Horizon(float, float aY, float)
    {
        constexpr Pixel HORIZON = { 228, 222, 208, 255 };
        constexpr Pixel SKY = { 92, 148, 212, 255 };
        constexpr Pixel GROUND = { 70, 62, 54, 255 };
        const Pixel& target = aY >= 0 ? SKY : GROUND;
        const float t = std::pow(std::fabs(aY), 0.6f);
        return { Mix(HORIZON[0], target[0], t), Mix(HORIZON[1], target[1], t), Mix(HORIZON[2], target[2], t), 255 };
    }
}

int main(int aCount, char** someArguments)
{
    if (aCount != 2)
    {
        printf("usage: %s <engine asset folder>\n", someArguments[0]);
        return 1;
    }
    const std::filesystem::path folder = std::filesystem::path(someArguments[1]) / "Textures";
    using Vela::Content::DdsFormat;
    using Vela::Content::WriteFileBytes;
    bool ok = true;
    ok &= WriteFileBytes(folder / "T_Default_c.dds", Flat(DdsFormat::Rgba8Srgb, { 255, 255, 255, 255 }));
    ok &= WriteFileBytes(folder / "T_Default_n.dds", Flat(DdsFormat::Rgba8, { 128, 128, 255, 255 }));
    // Occlusion 1, roughness 0.8, metalness 0.
    ok &= WriteFileBytes(folder / "T_Default_m.dds", Flat(DdsFormat::Rgba8, { 255, 204, 0, 255 }));
    ok &= WriteFileBytes(folder / "T_Default_fx.dds", Flat(DdsFormat::Rgba8, { 0, 0, 0, 255 }));
    ok &= WriteFileBytes(folder / "whiteCubeMap.dds", CubeMap(32, [](float, float, float) { return Pixel{ 255, 255, 255, 255 }; }));
    ok &= WriteFileBytes(folder / "horizonCubeMap.dds", CubeMap(32, Horizon));
    return ok ? 0 : 1;
}
