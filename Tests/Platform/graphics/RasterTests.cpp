// Where triangles land, which faces survive, depth tests, blending and lines.
#include "GfxTestSupport.h"

namespace VelaTest
{
    namespace
    {
        constexpr std::array<float, 4> RED = {1.0f, 0.0f, 0.0f, 1.0f};
        constexpr std::array<float, 4> GREEN = {0.0f, 1.0f, 0.0f, 1.0f};
        constexpr std::array<float, 4> BLUE = {0.0f, 0.0f, 1.0f, 1.0f};

        Ref<RasterizerState> MakeRasterizer(Device& aDevice, CullMode aCull, bool aFrontCounterClockwise = false)
        {
            RasterizerDesc desc;
            desc.cullMode = aCull;
            desc.frontCounterClockwise = aFrontCounterClockwise;
            Ref<RasterizerState> state;
            EXPECT_EQ(aDevice.CreateRasterizerState(&desc, state.ReleaseAndGetAddressOf()), RESULT_OK);
            return state;
        }
    }

    using RasterTest = GfxTest;

    TEST_F(RasterTest, TrianglesLandWithTheOriginTopLeftAndClockwiseFacesKept)
    {
        MakeTarget();
        // Default rasterizer: back faces culled, clockwise front faces.
        // Clockwise on screen, covering the top-left corner: drawn there and nowhere near the bottom.
        DrawColored(Triangle(-1.0f, 1.0f, 0.0f, 1.0f, -1.0f, 0.0f, 0.5f, RED));
        EXPECT_PIXEL_NEAR(TargetPixel(2, 2), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(2, 61), 0, 0, 0, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(61, 2), 0, 0, 0, 0);

        // The same corner of the bottom right, counter-clockwise: culled.
        DrawColored(Triangle(1.0f, -1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 0.5f, GREEN));
        EXPECT_PIXEL_NEAR(TargetPixel(61, 61), 0, 0, 0, 0);

        // With culling off the counter-clockwise one shows.
        Ref<RasterizerState> noCulling = MakeRasterizer(*myDevice, CullMode::NONE);
        myContext->RSSetState(noCulling.Get());
        DrawColored(Triangle(1.0f, -1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 0.5f, GREEN));
        EXPECT_PIXEL_NEAR(TargetPixel(61, 61), 0, 255, 0, 255);

        // Front faces declared counter-clockwise and back faces culled: now the clockwise one goes.
        Ref<RasterizerState> counterClockwise = MakeRasterizer(*myDevice, CullMode::BACK, true);
        myContext->RSSetState(counterClockwise.Get());
        DrawColored(Triangle(1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.5f, BLUE));     // top right, counter-clockwise
        DrawColored(Triangle(-1.0f, -1.0f, -1.0f, 0.0f, 0.0f, -1.0f, 0.5f, BLUE)); // bottom left, clockwise
        EXPECT_PIXEL_NEAR(TargetPixel(61, 2), 0, 0, 255, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(2, 61), 0, 0, 0, 0);
    }

    TEST_F(RasterTest, ViewportsStartAtTheTopLeft)
    {
        MakeTarget();
        Viewport viewport{8.0f, 4.0f, 16.0f, 16.0f, 0.0f, 1.0f};
        myContext->RSSetViewports(1, &viewport);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, RED));
        EXPECT_PIXEL_NEAR(TargetPixel(8, 4), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(23, 19), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(7, 4), 0, 0, 0, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(8, 3), 0, 0, 0, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(24, 20), 0, 0, 0, 0);
    }

    TEST_F(RasterTest, DepthLessRefusesEqualDepthWhereLessEqualPasses)
    {
        MakeDepth();
        MakeTarget();
        DepthStencilDesc desc;
        desc.depthFunc = ComparisonFunc::LESS;
        Ref<DepthStencilState> less;
        ASSERT_EQ(myDevice->CreateDepthStencilState(&desc, less.ReleaseAndGetAddressOf()), RESULT_OK);
        desc.depthFunc = ComparisonFunc::LESS_EQUAL;
        Ref<DepthStencilState> lessEqual;
        ASSERT_EQ(myDevice->CreateDepthStencilState(&desc, lessEqual.ReleaseAndGetAddressOf()), RESULT_OK);

        myContext->OMSetDepthStencilState(less.Get(), 0);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, RED));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 255, 0, 0, 255);
        // Same depth: LESS keeps red; nearer passes.
        DrawColored(Quad(-1.0f, 1.0f, 0.0f, -1.0f, 0.5f, GREEN));
        EXPECT_PIXEL_NEAR(TargetPixel(10, 32), 255, 0, 0, 255);
        DrawColored(Quad(0.0f, 1.0f, 1.0f, -1.0f, 0.25f, BLUE));
        EXPECT_PIXEL_NEAR(TargetPixel(50, 32), 0, 0, 255, 255);
        // LESS_EQUAL lets the equal depth through, but still not a farther one.
        myContext->OMSetDepthStencilState(lessEqual.Get(), 0);
        DrawColored(Quad(-1.0f, 1.0f, 0.0f, -1.0f, 0.5f, GREEN));
        EXPECT_PIXEL_NEAR(TargetPixel(10, 32), 0, 255, 0, 255);
        DrawColored(Quad(0.0f, 1.0f, 1.0f, -1.0f, 0.75f, RED));
        EXPECT_PIXEL_NEAR(TargetPixel(50, 32), 0, 0, 255, 255);

        // Without a depth view bound nothing is tested.
        myContext->OMSetRenderTargets(1, myTargetView.GetArray(), nullptr);
        DrawColored(Quad(0.0f, 1.0f, 1.0f, -1.0f, 0.75f, RED));
        EXPECT_PIXEL_NEAR(TargetPixel(50, 32), 255, 0, 0, 255);
    }

    TEST_F(RasterTest, DepthWritesOffLeaveTheBufferAndDepthRangeMapsZeroToOne)
    {
        MakeDepth();
        MakeTarget();
        DepthStencilDesc desc;
        desc.depthWriteMask = DepthWriteMask::ZERO;
        Ref<DepthStencilState> noWrites;
        ASSERT_EQ(myDevice->CreateDepthStencilState(&desc, noWrites.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetDepthStencilState(noWrites.Get(), 0);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.2f, RED));
        // Default state (writes on, LESS): a farther quad still passes, since nothing was written.
        myContext->OMSetDepthStencilState(nullptr, 0);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.6f, GREEN));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 0, 255, 0, 255);

        // Depth z = 0.6 lands as 0.6 in the depth texture (no -1..1 remapping).
        Ref<Resource> resource;
        myDepthView->GetResource(resource.ReleaseAndGetAddressOf());
        const std::vector<uint8_t> depth = ReadTexture(static_cast<Texture2D*>(resource.Get()));
        ASSERT_EQ(depth.size(), SIZE * SIZE * 4u);
        float value = 0.0f;
        std::memcpy(&value, depth.data() + (32 * SIZE + 32) * 4, sizeof(value));
        EXPECT_NEAR(value, 0.6f, 1e-4f);
    }

    TEST_F(RasterTest, AlphaBlendingMixesSourceOverDestination)
    {
        MakeTarget();
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, BLUE));
        BlendDesc desc;
        desc.renderTarget[0].blendEnable = true;
        desc.renderTarget[0].srcBlend = Blend::SRC_ALPHA;
        desc.renderTarget[0].destBlend = Blend::INV_SRC_ALPHA;
        desc.renderTarget[0].blendOp = BlendOp::ADD;
        desc.renderTarget[0].srcBlendAlpha = Blend::ONE;
        desc.renderTarget[0].destBlendAlpha = Blend::ONE;
        desc.renderTarget[0].blendOpAlpha = BlendOp::MAX;
        Ref<BlendState> alpha;
        ASSERT_EQ(myDevice->CreateBlendState(&desc, alpha.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetBlendState(alpha.Get(), nullptr, 0xFFFFFFFFu);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {1.0f, 0.0f, 0.0f, 0.25f}));
        // 0.25 red over blue; alpha is the larger of the two.
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 64, 0, 191, 255);

        // A write mask keeps the masked channels; disabling blending with a null state overwrites.
        desc.renderTarget[0].blendEnable = false;
        desc.renderTarget[0].renderTargetWriteMask = COLOR_WRITE_ENABLE_GREEN;
        Ref<BlendState> greenOnly;
        ASSERT_EQ(myDevice->CreateBlendState(&desc, greenOnly.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetBlendState(greenOnly.Get(), nullptr, 0xFFFFFFFFu);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {1.0f, 1.0f, 1.0f, 0.0f}));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 64, 255, 191, 255);
        myContext->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFFu);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {0.0f, 0.0f, 0.0f, 0.5f}));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 0, 0, 0, 128);
    }

    TEST_F(RasterTest, BlendingThroughAnSrgbViewHappensInLinearSpace)
    {
        MakeTarget(Format::R8G8B8A8_UNORM, Format::R8G8B8A8_UNORM_SRGB);
        BlendDesc desc;
        desc.renderTarget[0].blendEnable = true;
        desc.renderTarget[0].srcBlend = Blend::ONE;
        desc.renderTarget[0].destBlend = Blend::ONE;
        Ref<BlendState> additive;
        ASSERT_EQ(myDevice->CreateBlendState(&desc, additive.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetBlendState(additive.Get(), nullptr, 0xFFFFFFFFu);
        // Twice linear 0.1 is linear 0.2, stored sRGB-encoded (about 124), not twice the encoded 0.1 (about 178).
        // Alpha is not encoded: ONE x 0.5 + ZERO x destination.
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {0.1f, 0.1f, 0.1f, 0.5f}));
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {0.1f, 0.1f, 0.1f, 0.5f}));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 124, 124, 124, 128);
    }

    TEST_F(RasterTest, LineListsDrawOnePixelWideLines)
    {
        MakeTarget();
        // A horizontal line through the middle of row 16 (pixel centres are at .5).
        const float y = 1.0f - (16.5f / SIZE) * 2.0f;
        std::vector<ColoredVertex> line = {{{-1.0f, y, 0.5f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f}}, {{1.0f, y, 0.5f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f}}};
        DrawColored(line, PrimitiveTopology::LINELIST);
        EXPECT_PIXEL_NEAR(TargetPixel(20, 16), 255, 255, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(20, 14), 0, 0, 0, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(20, 18), 0, 0, 0, 0);
    }

    TEST_F(RasterTest, WireframeDrawsEdgesOnly)
    {
        MakeTarget();
        RasterizerDesc desc;
        desc.fillMode = FillMode::WIREFRAME;
        desc.cullMode = CullMode::NONE;
        Ref<RasterizerState> wireframe;
        ASSERT_EQ(myDevice->CreateRasterizerState(&desc, wireframe.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->RSSetState(wireframe.Get());
        DrawColored(Quad(-0.5f, 0.5f, 0.5f, -0.5f, 0.5f, RED));
        EXPECT_PIXEL_NEAR(TargetPixel(2, 2), 0, 0, 0, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(40, 24), 0, 0, 0, 0);   // inside, off the diagonal
    }
}
