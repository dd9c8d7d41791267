#include "Support/GameTestHarness.h"

#include "Player/Player.h"
#include "Screens/StateStack.h"

#include "mire/input/InputManager.h"
#include "Platform/window/WindowTypes.h"

namespace VelaTest
{
    void PressKey(Vela::InputManager& anInput, uint8_t aKey) { anInput.UpdateEvents(Vela::Platform::MESSAGE_KEYDOWN, aKey, 0); }
    void ReleaseKey(Vela::InputManager& anInput, uint8_t aKey) { anInput.UpdateEvents(Vela::Platform::MESSAGE_KEYUP, aKey, 0); }

    void HeadlessGameTest::MakeGame(const std::vector<FixtureObject>& someLevel0, const std::vector<FixtureObject>& someLevel1,
                                    const std::function<void(const std::filesystem::path&)>& aBeforeStart)
    {
        PlaceFixtureModel(myRoot.Path());
        std::filesystem::copy_file(FixturePath("fbx/max_transformed_skin_7500_binary.fbx"), myRoot.Path() / SKINNED_MODEL,
                                   std::filesystem::copy_options::overwrite_existing);
        WriteEveryKindDefinitions(myRoot.Path());
        WriteFixtureLevel(myRoot.Path(), FIXTURE_LEVEL_0, someLevel0);
        WriteFixtureLevel(myRoot.Path(), FIXTURE_LEVEL_1, someLevel1);
        if (aBeforeStart)
            aBeforeStart(myRoot.Path());
        myGame = std::make_unique<HeadlessGame>(myRoot.Path());
        ASSERT_TRUE(myGame->IsStarted());
    }

    void HeadlessGameTest::Tap(uint8_t aKey)
    {
        Press(aKey);
        Frames(2);
        Release(aKey);
        Frames(1);
    }

    void HeadlessGameTest::Frames(int aCount, float aDeltaTime)
    {
        for (int frame = 0; frame < aCount; ++frame)
            myGame->RunFrame(aDeltaTime);
    }

    bool HeadlessGameTest::RunUntil(const std::function<bool()>& aCondition, int aLimit, float aDeltaTime)
    {
        for (int frame = 0; frame < aLimit; ++frame)
        {
            if (aCondition())
                return true;
            myGame->RunFrame(aDeltaTime);
        }
        return aCondition();
    }

    bool HeadlessGameTest::SaveScreenshot(const std::string& aRelativePath)
    {
        uint32_t width = 0;
        uint32_t height = 0;
        const std::vector<uint8_t> pixels = ReadBackBufferRgba(width, height);
        const std::filesystem::path path = std::filesystem::path(VELA_RUNTIME_DIR) / "screenshots" / aRelativePath;
        std::filesystem::create_directories(path.parent_path());
        return WritePng(path, pixels, width, height);
    }
}
