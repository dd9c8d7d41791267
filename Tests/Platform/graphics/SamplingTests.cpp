// Textures as shaders see them: filters, address modes, block compression, mip levels, sRGB views, cube maps
// and dynamic textures.
#include "GfxTestSupport.h"

namespace VelaTest
{
    namespace
    {
        using Rgba = std::array<uint8_t, 4>;

        class SamplingTest : public GfxTest
        {
        protected:
            void SetUp() override
            {
                GfxTest::SetUp();
                MakeTarget();
                myVertexShader = LoadVertexShader("textured_VS");
                myPixelShader = LoadPixelShader("textured_PS");
                myLayout = MakeLayout({{"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PER_VERTEX_DATA, 0},
                                       {"TEXCOORD", 0, Format::R32G32_FLOAT, 0, APPEND_ALIGNED_ELEMENT, InputClassification::PER_VERTEX_DATA, 0}},
                                      "textured_VS");
            }

            Ref<Texture2D> MakeTexture(Format aFormat, uint32_t aWidth, uint32_t aHeight, const void* someBytes, uint32_t aRowPitch,
                                       uint32_t aMipLevels = 1)
            {
                Texture2DDesc desc;
                desc.width = aWidth;
                desc.height = aHeight;
                desc.mipLevels = aMipLevels;
                desc.format = aFormat;
                desc.bindFlags = BIND_SHADER_RESOURCE;
                desc.usage = Usage::IMMUTABLE;
                SubresourceData data{someBytes, aRowPitch, 0};
                Ref<Texture2D> texture;
                EXPECT_EQ(myDevice->CreateTexture2D(&desc, &data, texture.ReleaseAndGetAddressOf()), RESULT_OK);
                return texture;
            }

            Ref<ShaderResourceView> MakeView(Texture2D* aTexture, Format aFormat = Format::UNKNOWN)
            {
                ShaderResourceViewDesc desc;
                desc.format = aFormat;
                Ref<ShaderResourceView> view;
                EXPECT_EQ(myDevice->CreateShaderResourceView(aTexture, aFormat == Format::UNKNOWN ? nullptr : &desc, view.ReleaseAndGetAddressOf()),
                          RESULT_OK);
                return view;
            }

            Ref<SamplerState> MakeSampler(Filter aFilter, TextureAddressMode aMode)
            {
                SamplerDesc desc;
                desc.filter = aFilter;
                desc.addressU = desc.addressV = desc.addressW = aMode;
                desc.maxAnisotropy = 16;
                desc.comparisonFunc = ComparisonFunc::ALWAYS;
                Ref<SamplerState> sampler;
                EXPECT_EQ(myDevice->CreateSamplerState(&desc, sampler.ReleaseAndGetAddressOf()), RESULT_OK);
                return sampler;
            }

            // The whole target shows texture coordinates from (aMin, aMin) at the top left to (aMax, aMax).
            void DrawTextured(ShaderResourceView* aView, SamplerState* aSampler, float aMin = 0.0f, float aMax = 1.0f)
            {
                const std::vector<TexturedVertex> vertices = {
                    {{-1.0f, 1.0f, 0.5f, 1.0f}, {aMin, aMin}}, {{1.0f, 1.0f, 0.5f, 1.0f}, {aMax, aMin}},
                    {{-1.0f, -1.0f, 0.5f, 1.0f}, {aMin, aMax}}, {{1.0f, 1.0f, 0.5f, 1.0f}, {aMax, aMin}},
                    {{1.0f, -1.0f, 0.5f, 1.0f}, {aMax, aMax}}, {{-1.0f, -1.0f, 0.5f, 1.0f}, {aMin, aMax}},
                };
                Ref<Buffer> buffer = MakeBuffer(vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(TexturedVertex)), BIND_VERTEX_BUFFER);
                const uint32_t stride = sizeof(TexturedVertex);
                const uint32_t offset = 0;
                myContext->IASetInputLayout(myLayout.Get());
                myContext->IASetVertexBuffers(0, 1, buffer.GetArray(), &stride, &offset);
                myContext->IASetPrimitiveTopology(PrimitiveTopology::TRIANGLELIST);
                myContext->VSSetShader(myVertexShader.Get());
                myContext->PSSetShader(myPixelShader.Get());
                ShaderResourceView* views[1] = {aView};
                myContext->PSSetShaderResources(1, 1, views);
                SamplerState* samplers[1] = {aSampler};
                myContext->PSSetSamplers(0, 1, samplers);
                myContext->Draw(6, 0);
            }

            Ref<VertexShader> myVertexShader;
            Ref<PixelShader> myPixelShader;
            Ref<InputLayout> myLayout;
        };

        const Rgba BLACK = {0, 0, 0, 255};
        const Rgba WHITE = {255, 255, 255, 255};
    }

    TEST_F(SamplingTest, PointSamplingPicksTexelsWhereLinearBlendsThem)
    {
        const Rgba texels[2] = {BLACK, WHITE};
        Ref<Texture2D> texture = MakeTexture(Format::R8G8B8A8_UNORM, 2, 1, texels, 8);
        Ref<ShaderResourceView> view = MakeView(texture.Get());
        Ref<SamplerState> point = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);
        Ref<SamplerState> linear = MakeSampler(Filter::MIN_MAG_MIP_LINEAR, TextureAddressMode::CLAMP);
        DrawTextured(view.Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(24, 10), 0, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(40, 10), 255, 255, 255, 255);
        // x = 24 is texture coordinate 0.383: a quarter of the way from the first texel's centre to the second's.
        DrawTextured(view.Get(), linear.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(24, 10), 68, 68, 68, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(40, 10), 195, 195, 195, 255);
    }

    TEST_F(SamplingTest, AddressModesClampWrapAndMirror)
    {
        const Rgba texels[2] = {BLACK, WHITE};
        Ref<Texture2D> texture = MakeTexture(Format::R8G8B8A8_UNORM, 2, 1, texels, 8);
        Ref<ShaderResourceView> view = MakeView(texture.Get());
        // Across the target the coordinates run from -1 to 2: x = 5 is u -0.74, x = 58 is u 1.74.
        struct Case
        {
            TextureAddressMode mode;
            int left;
            int right;
        };
        for (const Case& c : {Case{TextureAddressMode::CLAMP, 0, 255}, Case{TextureAddressMode::WRAP, 0, 255},
                              Case{TextureAddressMode::MIRROR, 255, 0}})
        {
            Ref<SamplerState> sampler = MakeSampler(Filter::MIN_MAG_MIP_POINT, c.mode);
            DrawTextured(view.Get(), sampler.Get(), -1.0f, 2.0f);
            EXPECT_PIXEL_NEAR(TargetPixel(5, 5), c.left, c.left, c.left, 255) << "mode " << static_cast<int>(c.mode);
            EXPECT_PIXEL_NEAR(TargetPixel(58, 5), c.right, c.right, c.right, 255) << "mode " << static_cast<int>(c.mode);
        }
        // Wrap and clamp differ just past the right edge: u 1.26 wraps to the first texel, clamps to the last.
        Ref<SamplerState> wrap = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::WRAP);
        DrawTextured(view.Get(), wrap.Get(), -1.0f, 2.0f);
        EXPECT_PIXEL_NEAR(TargetPixel(48, 5), 0, 0, 0, 255);
        Ref<SamplerState> clamp = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);
        DrawTextured(view.Get(), clamp.Get(), -1.0f, 2.0f);
        EXPECT_PIXEL_NEAR(TargetPixel(48, 5), 255, 255, 255, 255);
    }

    TEST_F(SamplingTest, BlockCompressedTexturesSampleTheirColours)
    {
        // Two BC1 blocks side by side: the first all colour 0 (pure red), the second all colour 1 (pure blue).
        const uint8_t blocks[16] = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0xF8, 0x1F, 0x00, 0x55, 0x55, 0x55, 0x55};
        Ref<Texture2D> texture = MakeTexture(Format::BC1_UNORM, 8, 4, blocks, 16);
        Ref<ShaderResourceView> view = MakeView(texture.Get());
        Ref<SamplerState> point = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);
        DrawTextured(view.Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(10, 30), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(50, 30), 0, 0, 255, 255);

        // The sRGB form of the same blocks decodes to linear on sampling.
        Ref<Texture2D> srgb = MakeTexture(Format::BC1_UNORM_SRGB, 8, 4, blocks, 16);
        EXPECT_EQ(IsBlockCompressed(Format::BC7_UNORM_SRGB), true);
        DrawTextured(MakeView(srgb.Get()).Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(10, 30), 255, 0, 0, 255);
    }

    TEST_F(SamplingTest, MipLevelsUploadInOrderAndASingleLevelNeverReadsBlack)
    {
        // Level 0 red (4 x 4), level 1 green (2 x 2), level 2 blue (1 x 1).
        std::vector<Rgba> red(16, Rgba{255, 0, 0, 255});
        std::vector<Rgba> green(4, Rgba{0, 255, 0, 255});
        std::vector<Rgba> blue(1, Rgba{0, 0, 255, 255});
        Texture2DDesc desc;
        desc.width = 4;
        desc.height = 4;
        desc.mipLevels = 0;   // the full chain
        desc.format = Format::R8G8B8A8_UNORM;
        desc.bindFlags = BIND_SHADER_RESOURCE;
        desc.usage = Usage::IMMUTABLE;
        const SubresourceData levels[3] = {{red.data(), 16, 0}, {green.data(), 8, 0}, {blue.data(), 4, 0}};
        Ref<Texture2D> texture;
        ASSERT_EQ(myDevice->CreateTexture2D(&desc, levels, texture.ReleaseAndGetAddressOf()), RESULT_OK);
        texture->GetDesc(&desc);
        EXPECT_EQ(desc.mipLevels, 3u);
        Ref<ShaderResourceView> view = MakeView(texture.Get());
        Ref<SamplerState> trilinear = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::WRAP);

        // Drawn 4 x 4 texels into 1 x 1 pixel: the smallest level.
        Viewport tiny{0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
        myContext->RSSetViewports(1, &tiny);
        DrawTextured(view.Get(), trilinear.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(0, 0), 0, 0, 255, 255);
        // A view of level 1 alone.
        ShaderResourceViewDesc oneLevel;
        oneLevel.format = Format::R8G8B8A8_UNORM;
        oneLevel.mostDetailedMip = 1;
        oneLevel.mipLevels = 1;
        Ref<ShaderResourceView> levelOne;
        ASSERT_EQ(myDevice->CreateShaderResourceView(texture.Get(), &oneLevel, levelOne.ReleaseAndGetAddressOf()), RESULT_OK);
        DrawTextured(levelOne.Get(), trilinear.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(0, 0), 0, 255, 0, 255);

        // A texture made with one level, minified with a mip filter, still shows its colour.
        std::vector<Rgba> white(64 * 64, WHITE);
        Ref<Texture2D> single = MakeTexture(Format::R8G8B8A8_UNORM, 64, 64, white.data(), 256);
        Ref<SamplerState> mipLinear = MakeSampler(Filter::MIN_MAG_MIP_LINEAR, TextureAddressMode::WRAP);
        DrawTextured(MakeView(single.Get()).Get(), mipLinear.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(0, 0), 255, 255, 255, 255);
    }

    TEST_F(SamplingTest, SrgbViewsOfPlainStorageDecodeOnRead)
    {
        const Rgba texel = {128, 128, 128, 128};
        Ref<Texture2D> texture = MakeTexture(Format::R8G8B8A8_TYPELESS, 1, 1, &texel, 4);
        Ref<SamplerState> point = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);
        DrawTextured(MakeView(texture.Get(), Format::R8G8B8A8_UNORM).Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(3, 3), 128, 128, 128, 128);
        // Read as sRGB: colour 128 is linear 0.216 (55 in the plain target); alpha stays.
        DrawTextured(MakeView(texture.Get(), Format::R8G8B8A8_UNORM_SRGB).Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(3, 3), 55, 55, 55, 128);

        // Blue-first storage reads as colours in the right places; X formats read alpha 1.
        const uint8_t bgrx[4] = {255, 0, 0, 0};
        Ref<Texture2D> blue = MakeTexture(Format::B8G8R8X8_UNORM, 1, 1, bgrx, 4);
        DrawTextured(MakeView(blue.Get()).Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(3, 3), 0, 0, 255, 255);
    }

    TEST_F(SamplingTest, CubeMapFacesKeepTheirOrder)
    {
        // Faces +X, -X, +Y, -Y, +Z, -Z, one texel each.
        const Rgba faces[6] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
        Texture2DDesc desc;
        desc.width = 1;
        desc.height = 1;
        desc.arraySize = 6;
        desc.format = Format::R8G8B8A8_UNORM;
        desc.bindFlags = BIND_SHADER_RESOURCE;
        desc.miscFlags = MISC_TEXTURECUBE;
        desc.usage = Usage::IMMUTABLE;
        SubresourceData data[6];
        for (int i = 0; i < 6; ++i)
            data[i] = {&faces[i], 4, 0};
        Ref<Texture2D> cube;
        ASSERT_EQ(myDevice->CreateTexture2D(&desc, data, cube.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<ShaderResourceView> view;
        ASSERT_EQ(myDevice->CreateShaderResourceView(cube.Get(), nullptr, view.ReleaseAndGetAddressOf()), RESULT_OK);
        ShaderResourceViewDesc viewDesc;
        view->GetDesc(&viewDesc);
        EXPECT_EQ(viewDesc.viewDimension, ViewDimension::TEXTURECUBE);

        Ref<PixelShader> cubeShader = LoadPixelShader("cube_PS");
        Ref<Buffer> direction = MakeBuffer(nullptr, 16, BIND_CONSTANT_BUFFER, Usage::DYNAMIC);
        Ref<SamplerState> point = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);
        const std::array<std::array<float, 4>, 3> directions = {{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}}};
        const std::array<int, 3> expectedFace = {0, 3, 5};
        for (size_t i = 0; i < directions.size(); ++i)
        {
            MappedSubresource mapped;
            ASSERT_EQ(myContext->Map(direction.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_OK);
            std::memcpy(mapped.data, directions[i].data(), 16);
            myContext->Unmap(direction.Get(), 0);
            DrawTextured(nullptr, point.Get());
            myContext->PSSetShader(cubeShader.Get());
            myContext->PSSetConstantBuffers(3, 1, direction.GetArray());
            myContext->PSSetShaderResources(0, 1, view.GetArray());
            myContext->Draw(6, 0);
            const Rgba& face = faces[expectedFace[i]];
            EXPECT_PIXEL_NEAR(TargetPixel(8, 8), face[0], face[1], face[2], face[3]) << "direction " << i;
        }
    }

    TEST_F(SamplingTest, DynamicTexturesMapWithARowPitchAndReplaceTheirContents)
    {
        Texture2DDesc desc;
        desc.width = 4;
        desc.height = 2;
        desc.format = Format::R8G8B8A8_UNORM_SRGB;
        desc.bindFlags = BIND_SHADER_RESOURCE;
        desc.usage = Usage::DYNAMIC;
        desc.cpuAccessFlags = CPU_ACCESS_WRITE;
        Ref<Texture2D> texture;
        ASSERT_EQ(myDevice->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<ShaderResourceView> view = MakeView(texture.Get(), Format::R8G8B8A8_UNORM);
        Ref<SamplerState> point = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);

        for (const uint8_t shade : {uint8_t(40), uint8_t(200)})
        {
            MappedSubresource mapped;
            ASSERT_EQ(myContext->Map(texture.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_OK);
            ASSERT_GE(mapped.rowPitch, 16u);
            // Top row red, bottom row this frame's shade of grey.
            for (uint32_t x = 0; x < 4; ++x)
            {
                uint8_t* top = static_cast<uint8_t*>(mapped.data) + x * 4;
                uint8_t* bottom = static_cast<uint8_t*>(mapped.data) + mapped.rowPitch + x * 4;
                top[0] = 255, top[1] = 0, top[2] = 0, top[3] = 255;
                bottom[0] = bottom[1] = bottom[2] = shade, bottom[3] = 255;
            }
            myContext->Unmap(texture.Get(), 0);
            DrawTextured(view.Get(), point.Get());
            EXPECT_PIXEL_NEAR(TargetPixel(30, 10), 255, 0, 0, 255);
            EXPECT_PIXEL_NEAR(TargetPixel(30, 50), shade, shade, shade, 255);
        }
        // Only write-discard maps a dynamic texture.
        MappedSubresource mapped;
        EXPECT_EQ(myContext->Map(texture.Get(), 0, MapType::READ, 0, &mapped), RESULT_INVALID_CALL);
        EXPECT_EQ(myContext->Map(texture.Get(), 1, MapType::WRITE_DISCARD, 0, &mapped), RESULT_INVALID_CALL);
    }

    TEST_F(SamplingTest, RenderedTexturesSampleTheRightWayUp)
    {
        // Render red into the top half of a texture made as the full-screen effects make theirs (the swap chain's
        // format, unordered access asked for), then draw that texture: red stays on top.
        Texture2DDesc desc;
        desc.width = 16;
        desc.height = 16;
        desc.format = Format::B8G8R8A8_UNORM;
        desc.bindFlags = BIND_RENDER_TARGET | BIND_SHADER_RESOURCE | BIND_UNORDERED_ACCESS;
        Ref<Texture2D> texture;
        ASSERT_EQ(myDevice->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<RenderTargetView> target;
        ASSERT_EQ(myDevice->CreateRenderTargetView(texture.Get(), nullptr, target.ReleaseAndGetAddressOf()), RESULT_OK);
        const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        myContext->ClearRenderTargetView(target.Get(), black);
        myContext->OMSetRenderTargets(1, target.GetArray(), nullptr);
        Viewport viewport{0.0f, 0.0f, 16.0f, 16.0f, 0.0f, 1.0f};
        myContext->RSSetViewports(1, &viewport);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, 0.0f, 0.5f, {1.0f, 0.0f, 0.0f, 1.0f}));
        EXPECT_PIXEL_NEAR(PixelAt(texture.Get(), 8, 2), 0, 0, 255, 255);   // blue-first bytes
        EXPECT_PIXEL_NEAR(PixelAt(texture.Get(), 8, 13), 0, 0, 0, 255);

        myContext->OMSetRenderTargets(1, myTargetView.GetArray(), nullptr);
        Viewport full{0.0f, 0.0f, static_cast<float>(SIZE), static_cast<float>(SIZE), 0.0f, 1.0f};
        myContext->RSSetViewports(1, &full);
        Ref<SamplerState> point = MakeSampler(Filter::MIN_MAG_MIP_POINT, TextureAddressMode::CLAMP);
        DrawTextured(MakeView(texture.Get()).Get(), point.Get());
        EXPECT_PIXEL_NEAR(TargetPixel(30, 5), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(30, 58), 0, 0, 0, 255);
    }
}
