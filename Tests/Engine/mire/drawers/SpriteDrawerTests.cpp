// Sprites through the engine's sprite drawer on the headless device, checked pixel by pixel.
#include "../graphics/RendererTestSupport.h"

#include "../loaders/DdsBuilder.h"

#include "mire/drawers/SpriteDrawer.h"
#include "mire/texture/Texture.h"

#include "Support/AssertionCapture.h"

#include <vector>

using VelaTest::RENDER_HEIGHT;
using VelaTest::RENDER_WIDTH;

namespace
{
    class SpriteDrawerTest : public VelaTest::RendererTest
    {
    protected:
        Vela::SpriteDrawer& Sprites() { return *Graphics().GetSpriteDrawer(); }

        static Vela::SpriteInstance Square(float aX, float aY, float aSize)
        {
            Vela::SpriteInstance sprite;
            sprite.myPosition = { aX, aY };
            sprite.myPivot = { 0.0f, 0.0f };
            sprite.mySize = { aSize, aSize };
            return sprite;
        }

        static bool IsWhite(const VelaTest::Rgba& aPixel) { return aPixel[0] > 250 && aPixel[1] > 250 && aPixel[2] > 250; }
        static bool IsBlack(const VelaTest::Rgba& aPixel) { return aPixel[0] < 5 && aPixel[1] < 5 && aPixel[2] < 5; }
    };
}

TEST_F(SpriteDrawerTest, SpriteUnderTheDefaultCameraCoversExactlyItsPixels)
{
    BeginFrame();
    {
        auto batch = Sprites().BeginBatch({});
        batch.Draw(Square(20.0f, 30.0f, 10.0f));
    }
    const auto pixels = ReadBackBuffer();
    // Pivot (0, 0) hangs the quad down and right from (20, 30) with y up: x 20..29, y 20..29,
    // which are rows RENDER_HEIGHT - 30 .. RENDER_HEIGHT - 21 counted from the top.
    int white = 0;
    for (uint32_t row = 0; row < RENDER_HEIGHT; ++row)
    {
        for (uint32_t column = 0; column < RENDER_WIDTH; ++column)
        {
            const bool inside = column >= 20 && column < 30 && row >= RENDER_HEIGHT - 30 && row < RENDER_HEIGHT - 20;
            const auto pixel = PixelAt(pixels, column, row);
            if (inside)
                EXPECT_TRUE(IsWhite(pixel)) << "column " << column << " row " << row;
            else if (!IsBlack(pixel))
                ADD_FAILURE() << "stray pixel at column " << column << " row " << row;
            white += inside;
        }
    }
    EXPECT_EQ(white, 100);
}

TEST_F(SpriteDrawerTest, TintTextureRectangleAndHiddenFlagReachThePixels)
{
    BeginFrame();
    {
        auto batch = Sprites().BeginBatch({});
        auto tinted = Square(100.0f, 100.0f, 8.0f);
        tinted.myColor = { 1.0f, 0.0f, 0.0f, 1.0f };
        batch.Draw(tinted);
        auto hidden = Square(200.0f, 100.0f, 8.0f);
        hidden.myIsHidden = true;
        batch.Draw(hidden);
    }
    const auto pixels = ReadBackBuffer();
    const auto red = PixelAt(pixels, 104, RENDER_HEIGHT - 96);
    EXPECT_GT(red[0], 250);
    EXPECT_LT(red[1], 5);
    EXPECT_TRUE(IsBlack(PixelAt(pixels, 204, RENDER_HEIGHT - 96)));
}

TEST_F(SpriteDrawerTest, TwentyFiveHundredSpritesFlushInThreeDraws)
{
    std::vector<Vela::SpriteInstance> sprites;
    for (int i = 0; i < 2500; ++i)
        sprites.push_back(Square(float(i % 100) * 2.0f + 10.0f, float(i / 100) * 2.0f + 20.0f, 1.0f));

    BeginFrame();
    const uint32_t drawsBefore = Vela::DX11::DrawCallCount;
    const uint64_t gpuDrawsBefore = Context().GetStatistics().drawCalls;
    {
        auto batch = Sprites().BeginBatch({});
        batch.Draw(sprites.data(), sprites.size());
        EXPECT_EQ(Vela::DX11::DrawCallCount - drawsBefore, 2u) << "two full batches of 1024 flushed while drawing";
    }
    EXPECT_EQ(Vela::DX11::DrawCallCount - drawsBefore, 3u);
    EXPECT_EQ(Context().GetStatistics().drawCalls - gpuDrawsBefore, 3u);

    // Every sprite, including the 452 of the last flush, reached the screen.
    const auto pixels = ReadBackBuffer();
    int white = 0;
    for (uint32_t row = 0; row < RENDER_HEIGHT; ++row)
        for (uint32_t column = 0; column < RENDER_WIDTH; ++column)
            white += IsWhite(PixelAt(pixels, column, row));
    EXPECT_EQ(white, 2500);
}

TEST_F(SpriteDrawerTest, EmptyBatchStillIssuesOneDraw)
{
    BeginFrame();
    const uint32_t before = Vela::DX11::DrawCallCount;
    {
        auto batch = Sprites().BeginBatch({});
        auto hidden = Square(0, 0, 5);
        hidden.myIsHidden = true;
        batch.Draw(hidden);
    }
    EXPECT_EQ(Vela::DX11::DrawCallCount - before, 1u);
}

TEST_F(SpriteDrawerTest, SecondBatchWhileOneIsOpenIsRefusedAndDrawsNothing)
{
    VelaTest::AssertionCapture capture;
    BeginFrame();
    const uint32_t before = Vela::DX11::DrawCallCount;
    {
        auto first = Sprites().BeginBatch({});
        {
            auto second = Sprites().BeginBatch({});
            EXPECT_TRUE(capture.Contains("!myIsInBatch"));
            second.Draw(Square(50, 50, 4));
        }
        EXPECT_TRUE(Sprites().IsInBatch()) << "ending the refused batch must not close the open one";
        first.Draw(Square(10, 10, 4));
        // A moved scope carries the batch; the moved-from one ends nothing.
        auto moved = std::move(first);
        moved.Draw(Square(20, 10, 4));
    }
    EXPECT_FALSE(Sprites().IsInBatch());
    EXPECT_EQ(Vela::DX11::DrawCallCount - before, 1u);
    const auto pixels = ReadBackBuffer();
    EXPECT_TRUE(IsBlack(PixelAt(pixels, 52, RENDER_HEIGHT - 48)));
    EXPECT_TRUE(IsWhite(PixelAt(pixels, 11, RENDER_HEIGHT - 9)));
    EXPECT_TRUE(IsWhite(PixelAt(pixels, 21, RENDER_HEIGHT - 9)));
}

TEST_F(SpriteDrawerTest, StateTransformMovesSprites)
{
    BeginFrame();
    States().Push();
    // The transform has no setter of its own; the camera moves the view instead.
    Vela::Camera camera;
    camera.SetOrthographicProjection(0, float(RENDER_WIDTH), 0, float(RENDER_HEIGHT), -1, 1);
    camera.SetTransform(Vela::Matrix4x4<float>::CreateTranslation({ -100.0f, 0.0f, 0.0f }));
    States().SetCamera(camera);
    {
        auto batch = Sprites().BeginBatch({});
        batch.Draw(Square(20.0f, 30.0f, 4.0f));
    }
    States().Pop();
    const auto pixels = ReadBackBuffer();
    EXPECT_TRUE(IsWhite(PixelAt(pixels, 121, RENDER_HEIGHT - 29)));
    EXPECT_TRUE(IsBlack(PixelAt(pixels, 21, RENDER_HEIGHT - 29)));
}

TEST_F(SpriteDrawerTest, RectangleAndUvScaleChooseThePartOfTheTextureShown)
{
    // 8x1 texture: left half red, right half green. Checked away from the halves' edges, where
    // the default bilinear filtering mixes them.
    VelaTest::DdsDescription description;
    description.width = 8;
    description.height = 1;
    description.dxgiFormat = 28;
    std::vector<uint8_t> file = VelaTest::MakeDdsHeader(description);
    for (int i = 0; i < 8; ++i)
        file.insert(file.end(), { uint8_t(i < 4 ? 255 : 0), uint8_t(i < 4 ? 0 : 255), 0, 255 });
    myGameRoot.Write("Textures/halves.dds", std::string(file.begin(), file.end()));
    Vela::SpriteSharedData shared;
    shared.myColorTexture = Textures().GetTexture("Textures/halves.dds");
    ASSERT_FALSE(shared.myColorTexture->IsPlaceholder());

    BeginFrame();
    {
        auto batch = Sprites().BeginBatch(shared);
        batch.Draw(Square(10.0f, 50.0f, 20.0f)); // whole texture
        auto rightHalf = Square(50.0f, 50.0f, 20.0f);
        rightHalf.myRectangle = { 0.5f, 0.0f, 1.0f, 1.0f };
        batch.Draw(rightHalf);
        auto shifted = Square(90.0f, 50.0f, 20.0f);
        shifted.myUVOffset = { 0.5f, 0.0f };
        shifted.myUVScale = { 0.5f, 1.0f };
        batch.Draw(shifted);
    }
    const auto pixels = ReadBackBuffer();
    const uint32_t row = RENDER_HEIGHT - 40;
    EXPECT_GT(PixelAt(pixels, 13, row)[0], 250);
    EXPECT_GT(PixelAt(pixels, 27, row)[1], 250);
    for (uint32_t column : { 56u, 64u, 96u, 104u })
    {
        EXPECT_GT(PixelAt(pixels, column, row)[1], 250) << column;
        EXPECT_LT(PixelAt(pixels, column, row)[0], 5) << column;
    }
}
