// Writes the engine's default textures as DDS files into the folder given on the command line:
//   Textures/T_Default_c.dds, _n, _m, _fx (4 x 4 with mips), Textures/whiteCubeMap.dds and
//   Textures/horizonCubeMap.dds (32 x 32 cube maps with full mip chains).
// The output depends only on this file, so every build makes the same bytes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace
{
    constexpr uint32_t FORMAT_RGBA8_UNORM = 28;
    constexpr uint32_t FORMAT_RGBA8_SRGB = 29;

    using Pixel = std::array<uint8_t, 4>;
    // Direction (x, y, z) of the texel centre -> colour.
    using CubeShader = std::function<Pixel(float, float, float)>;

    void Put32(std::vector<uint8_t>& someBytes, uint32_t aValue)
    {
        for (int i = 0; i < 4; ++i)
            someBytes.push_back(uint8_t(aValue >> (8 * i)));
    }

    // DDS header with the DX10 extension: one 2D texture or one cube map.
    std::vector<uint8_t> Header(uint32_t aSize, uint32_t aMipCount, uint32_t aFormat, bool aCube)
    {
        std::vector<uint8_t> bytes = { 'D', 'D', 'S', ' ' };
        Put32(bytes, 124);
        Put32(bytes, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000); // caps, height, width, pixel format, mip count
        Put32(bytes, aSize);
        Put32(bytes, aSize);
        Put32(bytes, aSize * 4); // pitch
        Put32(bytes, 0);
        Put32(bytes, aMipCount);
        for (int i = 0; i < 11; ++i)
            Put32(bytes, 0);
        Put32(bytes, 32);    // pixel format size
        Put32(bytes, 0x4);   // four-cc
        bytes.insert(bytes.end(), { 'D', 'X', '1', '0' });
        for (int i = 0; i < 5; ++i)
            Put32(bytes, 0);
        Put32(bytes, 0x1000 | 0x400000 | (aCube ? 0x8 : 0)); // texture, mipmap, complex
        Put32(bytes, aCube ? 0xFE00 : 0);                    // cube map with all faces
        Put32(bytes, 0);
        Put32(bytes, 0);
        Put32(bytes, 0);
        Put32(bytes, aFormat);
        Put32(bytes, 3); // 2D
        Put32(bytes, aCube ? 0x4 : 0);
        Put32(bytes, 1);
        Put32(bytes, 0);
        return bytes;
    }

    uint32_t MipCount(uint32_t aSize)
    {
        uint32_t count = 1;
        while (aSize > 1)
        {
            aSize /= 2;
            ++count;
        }
        return count;
    }

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

    std::vector<uint8_t> CubeMap(uint32_t aSize, const CubeShader& aShader)
    {
        const uint32_t mips = MipCount(aSize);
        std::vector<uint8_t> bytes = Header(aSize, mips, FORMAT_RGBA8_SRGB, true);
        for (int face = 0; face < 6; ++face)
        {
            for (uint32_t mip = 0, size = aSize; mip < mips; ++mip, size = std::max(1u, size / 2))
            {
                for (uint32_t y = 0; y < size; ++y)
                {
                    for (uint32_t x = 0; x < size; ++x)
                    {
                        float dx, dy, dz;
                        FaceDirection(face, 2.0f * (x + 0.5f) / size - 1.0f, 2.0f * (y + 0.5f) / size - 1.0f, dx, dy, dz);
                        const Pixel pixel = aShader(dx, dy, dz);
                        bytes.insert(bytes.end(), pixel.begin(), pixel.end());
                    }
                }
            }
        }
        return bytes;
    }

    std::vector<uint8_t> Flat(uint32_t aSize, uint32_t aFormat, const Pixel& aPixel)
    {
        const uint32_t mips = MipCount(aSize);
        std::vector<uint8_t> bytes = Header(aSize, mips, aFormat, false);
        for (uint32_t mip = 0, size = aSize; mip < mips; ++mip, size = std::max(1u, size / 2))
            for (uint32_t i = 0; i < size * size; ++i)
                bytes.insert(bytes.end(), aPixel.begin(), aPixel.end());
        return bytes;
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

    bool Write(const std::filesystem::path& aPath, const std::vector<uint8_t>& someBytes)
    {
        std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(someBytes.data()), std::streamsize(someBytes.size()));
        if (!file)
        {
            printf("cannot write %s\n", aPath.string().c_str());
            return false;
        }
        return true;
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
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    bool ok = true;
    ok &= Write(folder / "T_Default_c.dds", Flat(4, FORMAT_RGBA8_SRGB, { 255, 255, 255, 255 }));
    ok &= Write(folder / "T_Default_n.dds", Flat(4, FORMAT_RGBA8_UNORM, { 128, 128, 255, 255 }));
    // Occlusion 1, roughness 0.8, metalness 0.
    ok &= Write(folder / "T_Default_m.dds", Flat(4, FORMAT_RGBA8_UNORM, { 255, 204, 0, 255 }));
    ok &= Write(folder / "T_Default_fx.dds", Flat(4, FORMAT_RGBA8_UNORM, { 0, 0, 0, 255 }));
    ok &= Write(folder / "whiteCubeMap.dds", CubeMap(32, [](float, float, float) { return Pixel{ 255, 255, 255, 255 }; }));
    ok &= Write(folder / "horizonCubeMap.dds", CubeMap(32, Horizon));
    return ok ? 0 : 1;
}
