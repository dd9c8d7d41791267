// Flipbook frames, lifetimes and refusals, and one effect drawn on the headless device.
#include "../../Engine/mire/graphics/RendererTestSupport.h"
#include "../../Engine/mire/loaders/DdsBuilder.h"

#include "Effects/FlipbookEffects.h"

#include "Support/GameTestSupport.h"

#include "mire/graphics/GraphicsEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
    void SpawnSheet(FlipbookEffects& someEffects, int32_t aFrameCount, float aFramesPerSecond, int32_t aLoops)
    {
        someEffects.Spawn({ 0.0f, 0.0f }, { 10.0f, 10.0f }, "none.dds", 8, 8, aFrameCount, aFramesPerSecond, aLoops, { 30.0f, 0.0f });
    }
}

TEST(FlipbookTest, FramesStepThroughTheGridAndEndAfterTheLastLoop)
{
    FlipbookEffects effects;
    SpawnSheet(effects, 64, 30.0f, 1);
    for (int step = 0; step < 9; ++step)
        effects.Update(1.0f / 30.0f);
    const FlipbookInstance& instance = effects.GetInstances()[0];
    EXPECT_EQ(instance.frame, 9);
    EXPECT_FLOAT_EQ(instance.sprite.myUVOffset.x, 1.0f / 8.0f);
    EXPECT_FLOAT_EQ(instance.sprite.myUVOffset.y, 1.0f / 8.0f);
    EXPECT_FLOAT_EQ(instance.sprite.myUVScale.x, 1.0f / 8.0f);
    EXPECT_NEAR(instance.sprite.myPosition.x, 9.0f, 1e-4f) << "30 units per second for 9 frames";

    effects.Update(0.5f);
    EXPECT_EQ(effects.GetInstances()[0].frame, 10) << "one frame per update at most";

    for (int step = 10; step < 63; ++step)
        effects.Update(1.0f / 30.0f);
    EXPECT_TRUE(effects.GetInstances()[0].alive);
    effects.Update(1.0f / 30.0f); // past the 64th frame
    ASSERT_EQ(effects.Count(), 1u) << "kept (and drawn) until the next update";
    EXPECT_FALSE(effects.GetInstances()[0].alive);
    effects.Update(1.0f / 30.0f);
    EXPECT_TRUE(effects.IsEmpty());

    SpawnSheet(effects, 4, 30.0f, 0);
    for (int step = 0; step < 40; ++step)
        effects.Update(1.0f / 30.0f);
    EXPECT_EQ(effects.Count(), 1u) << "loops 0 plays forever";
}

TEST(FlipbookTest, ABadGridOrRateIsRefused)
{
    FlipbookEffects effects;
    testing::internal::CaptureStdout();
    effects.Spawn({ 0.0f, 0.0f }, { 1.0f, 1.0f }, "dust.dds", 0, 4, 16, 16.0f, 1, { 0.0f, 0.0f });
    effects.Spawn({ 0.0f, 0.0f }, { 1.0f, 1.0f }, "dust.dds", 4, -1, 16, 16.0f, 1, { 0.0f, 0.0f });
    effects.Spawn({ 0.0f, 0.0f }, { 1.0f, 1.0f }, "dust.dds", 4, 4, 16, 0.0f, 1, { 0.0f, 0.0f });
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(effects.IsEmpty());
    EXPECT_NE(trace.find("Flipbook refused: dust.dds"), std::string::npos);
}

namespace
{
    class FlipbookRenderTest : public VelaTest::RendererTest
    {
    protected:
        // A 2 x 2 sheet of 8 x 8 cells: red, green on the top row; blue, white below.
        void WriteSheet()
        {
            VelaTest::DdsDescription description;
            description.width = 16;
            description.height = 16;
            description.dxgiFormat = 28;
            std::vector<uint8_t> file = VelaTest::MakeDdsHeader(description);
            for (int row = 0; row < 16; ++row)
            {
                for (int column = 0; column < 16; ++column)
                {
                    const bool right = column >= 8;
                    const bool bottom = row >= 8;
                    const uint8_t red = (!bottom && !right) || (bottom && right) ? 255 : 0;
                    const uint8_t green = right ? 255 : 0;
                    const uint8_t blue = bottom ? 255 : 0;
                    file.insert(file.end(), { red, green, blue, 255 });
                }
            }
            myGameRoot.Write("sheet.dds", std::string(file.begin(), file.end()));
        }
    };
}

TEST_F(FlipbookRenderTest, TheCurrentFrameIsDrawnWhereTheEffectWasSpawned)
{
    WriteSheet();
    FlipbookEffects effects;
    effects.Spawn({ 100.0f, 90.0f }, { 40.0f, 40.0f }, "sheet.dds", 2, 2, 4, 10.0f, 0, { 0.0f, 0.0f });
    effects.Spawn({ 200.0f, 90.0f }, { 0.0f, 0.0f }, "sheet.dds", 2, 2, 4, 10.0f, 0, { 0.0f, 0.0f });
    effects.Update(0.1f); // frame 1: the top-right cell

    BeginFrame();
    effects.Render(*Graphics().GetSpriteDrawer());
    const auto pixels = ReadBackBuffer();
    if (const char* directory = std::getenv("VELA_SCREENSHOT_DIR"))
    {
        std::vector<uint8_t> rgba(pixels.size());
        for (uint32_t row = 0; row < VelaTest::RENDER_HEIGHT; ++row)
            for (uint32_t column = 0; column < VelaTest::RENDER_WIDTH; ++column)
            {
                const VelaTest::Rgba pixel = PixelAt(pixels, column, row);
                for (int channel = 0; channel < 4; ++channel)
                    rgba[(size_t(row) * VelaTest::RENDER_WIDTH + column) * 4 + size_t(channel)] = uint8_t(pixel[size_t(channel)]);
            }
        VelaTest::WritePng(std::filesystem::path(directory) / "flipbook.png", rgba, VelaTest::RENDER_WIDTH, VelaTest::RENDER_HEIGHT);
    }

    // y up: the 40 x 40 effect centred on (100, 90) covers columns 80..119 and rows 70..109 from the top.
    const VelaTest::Rgba centre = PixelAt(pixels, 100, VelaTest::RENDER_HEIGHT - 90);
    EXPECT_LT(centre[0], 5);
    EXPECT_GT(centre[1], 250);
    EXPECT_LT(centre[2], 5);
    EXPECT_GT(PixelAt(pixels, 84, VelaTest::RENDER_HEIGHT - 106)[1], 250);
    EXPECT_LT(PixelAt(pixels, 76, VelaTest::RENDER_HEIGHT - 90)[1], 5) << "nothing outside the effect";
    EXPECT_LT(PixelAt(pixels, 124, VelaTest::RENDER_HEIGHT - 90)[1], 5);
    // Size (0, 0): the sheet's 16 x 16 pixels around (200, 90).
    EXPECT_GT(PixelAt(pixels, 200, VelaTest::RENDER_HEIGHT - 90)[1], 250);
    EXPECT_LT(PixelAt(pixels, 210, VelaTest::RENDER_HEIGHT - 90)[1], 5);
}
