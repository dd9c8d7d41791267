#pragma once
// The engine started headless on the generated content pack (the build's game asset root), with
// the model factory on the engine's services, and a helper that saves screenshots for people to look at.
#include "../../Engine/mire/graphics/RendererTestSupport.h"

#include "mire/model/ModelFactory.h"
#include "mire/model/ModelFactoryServices.h"
#include "Writers/FileOutput.h"
#include "Writers/PngWriter.h"

namespace VelaTest
{
    class ContentTest : public RendererTest
    {
    protected:
        void SetUp() override
        {
            RendererTest::SetUp();
            Vela::Settings::SetAssetRootsForTesting(std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine", PackRoot(), VELA_COOKED_DIR);
            Vela::ModelFactory::SetServices(Vela::GetEngineModelFactoryServices());
        }

        void TearDown() override
        {
            Vela::ModelFactory::DestroyInstance();
            RendererTest::TearDown();
        }

        static std::filesystem::path PackRoot() { return std::filesystem::path(VELA_RUNTIME_DIR) / "assets/game"; }

        // The back buffer (BGRA, as read back) saved as an RGBA PNG under <bin>/screenshots.
        void SaveScreenshot(const std::string& aName, const std::vector<uint8_t>& someBgra)
        {
            Vela::Content::Image image(RenderWidth(), RenderHeight());
            for (uint32_t y = 0; y < RenderHeight(); ++y)
                for (uint32_t x = 0; x < RenderWidth(); ++x)
                {
                    const size_t index = (size_t(y) * RenderWidth() + x) * 4;
                    image.Set(x, y, { someBgra[index + 2], someBgra[index + 1], someBgra[index], 255 });
                }
            EXPECT_TRUE(Vela::Content::WriteFileBytes(std::filesystem::path(VELA_RUNTIME_DIR) / "screenshots" / aName, Vela::Content::EncodePng(image)));
        }

        Rgba Pixel(const std::vector<uint8_t>& someBgra, uint32_t aX, uint32_t aY) const
        {
            const size_t index = (size_t(aY) * RenderWidth() + aX) * 4;
            return { someBgra[index + 2], someBgra[index + 1], someBgra[index], someBgra[index + 3] };
        }
    };
}
