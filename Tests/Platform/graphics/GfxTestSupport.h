#pragma once
// A hidden window with a device, and small helpers to draw and read pixels back, for the graphics layer's tests.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Platform/graphics/Gfx.h"

namespace VelaTest
{
    using namespace Vela::Gfx;

    using Pixel = std::array<int, 4>;

    struct ColoredVertex
    {
        float position[4];
        float color[4];
    };

    struct TexturedVertex
    {
        float position[4];
        float texCoord[2];
    };

    inline std::vector<uint8_t> ReadShader(const std::string& aName)
    {
        std::ifstream file(std::string(VELA_COOKED_DIR) + "/test/" + aName + ".cso", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    class GfxTest : public ::testing::Test
    {
    protected:
        static constexpr uint32_t SIZE = 64;

        // Video stays up for the whole run, with the GL library loaded once: unloading the driver between windows
        // would cost time and hide the driver's own allocations from the leak checker's suppressions.
        static void SetUpTestSuite()
        {
            ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
            static const bool loaded = SDL_GL_LoadLibrary(nullptr) == 0;
            ASSERT_TRUE(loaded) << SDL_GetError();
        }

        void SetUp() override
        {
            myWindow.sdlWindow = SDL_CreateWindow("graphics test", 0, 0, SIZE, SIZE, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            ASSERT_NE(myWindow.sdlWindow, nullptr) << SDL_GetError();
            SwapChainDesc desc;
            desc.outputWindow = &myWindow;
            ASSERT_EQ(CreateDeviceAndSwapChain(nullptr, 0, &desc, mySwapChain.ReleaseAndGetAddressOf(), myDevice.ReleaseAndGetAddressOf(),
                                               myContext.ReleaseAndGetAddressOf()),
                      RESULT_OK);
        }

        void TearDown() override
        {
            myContext.Reset();
            mySwapChain.Reset();
            myDevice.Reset();
            if (myWindow.sdlWindow)
                SDL_DestroyWindow(myWindow.sdlWindow);
        }

        Ref<VertexShader> LoadVertexShader(const std::string& aName)
        {
            const std::vector<uint8_t> bytes = ReadShader(aName);
            Ref<VertexShader> shader;
            EXPECT_EQ(myDevice->CreateVertexShader(bytes.data(), bytes.size(), shader.ReleaseAndGetAddressOf()), RESULT_OK) << aName;
            return shader;
        }

        Ref<PixelShader> LoadPixelShader(const std::string& aName)
        {
            const std::vector<uint8_t> bytes = ReadShader(aName);
            Ref<PixelShader> shader;
            EXPECT_EQ(myDevice->CreatePixelShader(bytes.data(), bytes.size(), shader.ReleaseAndGetAddressOf()), RESULT_OK) << aName;
            return shader;
        }

        Ref<InputLayout> MakeLayout(const std::vector<InputElementDesc>& someElements, const std::string& aVertexShader)
        {
            const std::vector<uint8_t> bytes = ReadShader(aVertexShader);
            Ref<InputLayout> layout;
            EXPECT_EQ(myDevice->CreateInputLayout(someElements.data(), static_cast<uint32_t>(someElements.size()), bytes.data(), bytes.size(),
                                                  layout.ReleaseAndGetAddressOf()),
                      RESULT_OK);
            return layout;
        }

        Ref<Buffer> MakeBuffer(const void* someData, uint32_t aSize, uint32_t aBindFlags, Usage aUsage = Usage::IMMUTABLE)
        {
            BufferDesc desc;
            desc.byteWidth = aSize;
            desc.usage = aUsage;
            desc.bindFlags = aBindFlags;
            desc.cpuAccessFlags = aUsage == Usage::DYNAMIC ? CPU_ACCESS_WRITE : 0;
            SubresourceData data{someData, 0, 0};
            Ref<Buffer> buffer;
            EXPECT_EQ(myDevice->CreateBuffer(&desc, someData ? &data : nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_OK);
            return buffer;
        }

        // An 8-bit colour target drawn to through a view of aViewFormat, bound with a full viewport.
        void MakeTarget(Format aStorage = Format::R8G8B8A8_UNORM, Format aView = Format::R8G8B8A8_UNORM, uint32_t aWidth = SIZE,
                        uint32_t aHeight = SIZE)
        {
            Texture2DDesc desc;
            desc.width = aWidth;
            desc.height = aHeight;
            desc.format = aStorage;
            desc.bindFlags = BIND_RENDER_TARGET | BIND_SHADER_RESOURCE;
            ASSERT_EQ(myDevice->CreateTexture2D(&desc, nullptr, myTarget.ReleaseAndGetAddressOf()), RESULT_OK);
            RenderTargetViewDesc viewDesc;
            viewDesc.format = aView;
            ASSERT_EQ(myDevice->CreateRenderTargetView(myTarget.Get(), &viewDesc, myTargetView.ReleaseAndGetAddressOf()), RESULT_OK);
            const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            myContext->ClearRenderTargetView(myTargetView.Get(), black);
            myContext->OMSetRenderTargets(1, myTargetView.GetArray(), myDepthView.Get());
            Viewport viewport{0.0f, 0.0f, static_cast<float>(aWidth), static_cast<float>(aHeight), 0.0f, 1.0f};
            myContext->RSSetViewports(1, &viewport);
        }

        void MakeDepth(uint32_t aWidth = SIZE, uint32_t aHeight = SIZE)
        {
            Texture2DDesc desc;
            desc.width = aWidth;
            desc.height = aHeight;
            desc.format = Format::R32_TYPELESS;
            desc.bindFlags = BIND_DEPTH_STENCIL | BIND_SHADER_RESOURCE;
            Ref<Texture2D> texture;
            ASSERT_EQ(myDevice->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_OK);
            DepthStencilViewDesc viewDesc;
            viewDesc.format = Format::D32_FLOAT;
            ASSERT_EQ(myDevice->CreateDepthStencilView(texture.Get(), &viewDesc, myDepthView.ReleaseAndGetAddressOf()), RESULT_OK);
            myContext->ClearDepthStencilView(myDepthView.Get(), CLEAR_DEPTH | CLEAR_STENCIL, 1.0f, 0);
        }

        std::vector<uint8_t> ReadTexture(Texture2D* aTexture, uint32_t aSubresource = 0)
        {
            std::vector<uint8_t> pixels;
            EXPECT_EQ(ReadBackTexture(myDevice.Get(), myContext.Get(), aTexture, aSubresource, pixels), RESULT_OK);
            return pixels;
        }

        // One pixel of a 4-byte-per-pixel texture, row 0 at the top.
        Pixel PixelAt(Texture2D* aTexture, uint32_t anX, uint32_t aY)
        {
            Texture2DDesc desc;
            aTexture->GetDesc(&desc);
            const std::vector<uint8_t> pixels = ReadTexture(aTexture);
            const size_t offset = (static_cast<size_t>(aY) * desc.width + anX) * 4;
            if (pixels.size() < offset + 4)
                return {-1, -1, -1, -1};
            return {pixels[offset], pixels[offset + 1], pixels[offset + 2], pixels[offset + 3]};
        }

        Pixel TargetPixel(uint32_t anX, uint32_t aY) { return PixelAt(myTarget.Get(), anX, aY); }

        // Draws colored vertices as a triangle list with the colored shaders.
        void DrawColored(const std::vector<ColoredVertex>& someVertices, PrimitiveTopology aTopology = PrimitiveTopology::TRIANGLELIST)
        {
            if (!myColoredLayout)
            {
                myColoredVertexShader = LoadVertexShader("colored_VS");
                myColoredPixelShader = LoadPixelShader("colored_PS");
                myColoredLayout = MakeLayout({{"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PER_VERTEX_DATA, 0},
                                              {"COLOR", 0, Format::R32G32B32A32_FLOAT, 0, 16, InputClassification::PER_VERTEX_DATA, 0}},
                                             "colored_VS");
            }
            myContext->IASetInputLayout(myColoredLayout.Get());
            myContext->IASetPrimitiveTopology(aTopology);
            myContext->VSSetShader(myColoredVertexShader.Get());
            myContext->PSSetShader(myColoredPixelShader.Get());
            if (someVertices.empty())
                return;
            Ref<Buffer> vertices = MakeBuffer(someVertices.data(), static_cast<uint32_t>(someVertices.size() * sizeof(ColoredVertex)),
                                              BIND_VERTEX_BUFFER);
            const uint32_t stride = sizeof(ColoredVertex);
            const uint32_t offset = 0;
            myContext->IASetVertexBuffers(0, 1, vertices.GetArray(), &stride, &offset);
            myContext->Draw(static_cast<uint32_t>(someVertices.size()), 0);
        }

        Vela::Platform::NativeWindow myWindow;
        Ref<Device> myDevice;
        Ref<DeviceContext> myContext;
        Ref<SwapChain> mySwapChain;
        Ref<Texture2D> myTarget;
        Ref<RenderTargetView> myTargetView;
        Ref<DepthStencilView> myDepthView;
        Ref<VertexShader> myColoredVertexShader;
        Ref<PixelShader> myColoredPixelShader;
        Ref<InputLayout> myColoredLayout;
    };

    // A solid triangle with corners in clip space at z, listed in the order given.
    inline std::vector<ColoredVertex> Triangle(float aX0, float aY0, float aX1, float aY1, float aX2, float aY2, float aZ,
                                               std::array<float, 4> aColor)
    {
        const auto vertex = [&](float anX, float aY) {
            return ColoredVertex{{anX, aY, aZ, 1.0f}, {aColor[0], aColor[1], aColor[2], aColor[3]}};
        };
        return {vertex(aX0, aY0), vertex(aX1, aY1), vertex(aX2, aY2)};
    }

    // Two triangles, clockwise on screen, covering a clip-space rectangle.
    inline std::vector<ColoredVertex> Quad(float aLeft, float aTop, float aRight, float aBottom, float aZ, std::array<float, 4> aColor)
    {
        std::vector<ColoredVertex> first = Triangle(aLeft, aTop, aRight, aTop, aLeft, aBottom, aZ, aColor);
        const std::vector<ColoredVertex> second = Triangle(aRight, aTop, aRight, aBottom, aLeft, aBottom, aZ, aColor);
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }

    inline ::testing::AssertionResult PixelNear(const Pixel& aPixel, const Pixel& anExpected, int aTolerance = 2)
    {
        for (size_t i = 0; i < 4; ++i)
        {
            if (std::abs(aPixel[i] - anExpected[i]) > aTolerance)
                return ::testing::AssertionFailure() << "got (" << aPixel[0] << ", " << aPixel[1] << ", " << aPixel[2] << ", " << aPixel[3]
                                                     << ") wanted (" << anExpected[0] << ", " << anExpected[1] << ", " << anExpected[2]
                                                     << ", " << anExpected[3] << ")";
        }
        return ::testing::AssertionSuccess();
    }
}

#define EXPECT_PIXEL_NEAR(aPixel, ...) EXPECT_TRUE(::VelaTest::PixelNear((aPixel), ::VelaTest::Pixel{__VA_ARGS__}))
