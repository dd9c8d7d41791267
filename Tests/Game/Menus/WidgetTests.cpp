// Menu widgets against hand-computed canvas positions: window-to-canvas mapping, hit edges, hidden
// and callback-less buttons, slider drags, steps and refresh, and registry key handling.
#include "Support/GameTestSupport.h"

#include "Menus/UIElementRegistry.h"
#include "Sound/SoundManager.h"

#include "mire/core/WindowsWindow.h"
#include "Platform/window/NativeWindow.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
    class WidgetTest : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            ourGameRoot = std::make_unique<VelaTest::TempDirectory>();
            ourEngine = std::make_unique<VelaTest::HeadlessGameEngine>(ourGameRoot->Path());
        }
        static void TearDownTestSuite()
        {
            ourEngine.reset();
            ourGameRoot.reset();
        }

        void SetUp() override
        {
            ASSERT_TRUE(ourEngine->IsStarted());
            SetWindowSize(800, 450);
        }

        static Vela::Platform::WindowHandle Window() { return Vela::Engine::GetInstance()->myWindow->GetHandle(); }

        // The window's client area, which the mouse is measured in.
        static void SetWindowSize(int aWidth, int aHeight)
        {
            Window()->minimized = false;
            SDL_SetWindowSize(Window()->sdlWindow, aWidth, aHeight);
        }

        // A 100 x 100 button centred on the canvas: it spans 750..850 by 400..500.
        UIButton& AddCentreButton(const char* aKey, std::function<void()> aCallback)
        {
            myRegistry.AddButton(aKey, { 800.0f, 450.0f }, "sprites/UI/missing.png", std::move(aCallback), { 100.0f, 100.0f }, { 1.0f, 1.0f });
            return myRegistry.GetButton(aKey);
        }

        // A 600 x 100 bar centred on the canvas (500..1100 by 400..500) whose fill starts at
        // x = 800 - 240 = 560 and is 200 wide at value 1.
        UISlider& AddCentreSlider(std::vector<float>& someValues)
        {
            myRegistry.AddSlider("slider", { 800.0f, 450.0f }, "sprites/UI/missing_bar.png", "sprites/UI/missing_fill.png",
                                 UISliderKind_Master, [&someValues](float aValue) { someValues.push_back(aValue); },
                                 { 600.0f, 100.0f }, { 1.0f, 1.0f });
            UISlider& slider = myRegistry.GetSlider("slider");
            slider.myFill.myInstance.mySize = { 200.0f, 20.0f };
            return slider;
        }

        static std::unique_ptr<VelaTest::TempDirectory> ourGameRoot;
        static std::unique_ptr<VelaTest::HeadlessGameEngine> ourEngine;
        UIElementRegistry myRegistry;
    };

    std::unique_ptr<VelaTest::TempDirectory> WidgetTest::ourGameRoot;
    std::unique_ptr<VelaTest::HeadlessGameEngine> WidgetTest::ourEngine;

    // Window pixels of a canvas point for the 800 x 450 window (half scale, y flipped).
    Vela::Vector2<float> WindowPoint(float aCanvasX, float aCanvasY)
    {
        return { aCanvasX / 2.0f, (900.0f - aCanvasY) / 2.0f };
    }
}

TEST_F(WidgetTest, WindowPositionsMapOntoTheCanvasAndButtonEdgesMiss)
{
    const Vela::Vector2<float> centre = MapWindowToCanvas({ 400.0f, 225.0f });
    EXPECT_FLOAT_EQ(centre.x, 800.0f);
    EXPECT_FLOAT_EQ(centre.y, 450.0f);
    const Vela::Vector2<float> corner = MapWindowToCanvas({ 0.0f, 450.0f });
    EXPECT_FLOAT_EQ(corner.x, 0.0f);
    EXPECT_FLOAT_EQ(corner.y, 0.0f);

    int clicks = 0;
    UIButton& button = AddCentreButton("centre", [&clicks] { ++clicks; });
    EXPECT_EQ(myRegistry.GetHovered({ 400.0f, 225.0f }), &button);
    myRegistry.OnClick({ 400.0f, 225.0f });
    EXPECT_EQ(clicks, 1);

    for (const Vela::Vector2<float> edge : { WindowPoint(750.0f, 450.0f), WindowPoint(850.0f, 450.0f), WindowPoint(800.0f, 400.0f),
                                             WindowPoint(800.0f, 500.0f) })
    {
        EXPECT_EQ(myRegistry.GetHovered(edge), nullptr) << edge.x << ", " << edge.y;
        myRegistry.OnClick(edge);
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(myRegistry.GetHovered(WindowPoint(751.0f, 401.0f)), &button);
}

TEST_F(WidgetTest, HiddenButtonsButtonsWithoutCallbackAndAMinimisedWindowIgnoreTheMouse)
{
    int clicks = 0;
    UIButton& hidden = AddCentreButton("hidden", [&clicks] { ++clicks; });
    hidden.myInstance.myIsHidden = true;
    AddCentreButton("silent", nullptr);
    EXPECT_EQ(myRegistry.GetHovered({ 400.0f, 225.0f }), nullptr);
    myRegistry.OnClick({ 400.0f, 225.0f });
    EXPECT_EQ(clicks, 0);

    // A minimised window has no client area.
    hidden.myInstance.myIsHidden = false;
    Window()->minimized = true;
    EXPECT_EQ(myRegistry.GetHovered({ 0.0f, 0.0f }), nullptr);
    myRegistry.OnClick({ 0.0f, 0.0f });
    EXPECT_EQ(clicks, 0);
    Window()->minimized = false;
}

TEST_F(WidgetTest, SliderDragsClampAndCallBackOncePerChange)
{
    std::vector<float> values;
    UISlider& slider = AddCentreSlider(values);
    EXPECT_FLOAT_EQ(slider.myFill.myInstance.myPosition.x, 560.0f);

    myRegistry.OnClick(WindowPoint(660.0f, 450.0f)); // (660 - 560) / 200
    myRegistry.OnClick(WindowPoint(1090.0f, 450.0f)); // past the fill's end
    myRegistry.OnClick(WindowPoint(1095.0f, 450.0f)); // still 1: no call
    myRegistry.OnClick(WindowPoint(510.0f, 450.0f)); // left of the fill's start
    myRegistry.OnClick(WindowPoint(660.0f, 520.0f)); // above the bar: ignored
    ASSERT_EQ(values.size(), 3u);
    EXPECT_FLOAT_EQ(values[0], 0.5f);
    EXPECT_FLOAT_EQ(values[1], 1.0f);
    EXPECT_FLOAT_EQ(values[2], 0.0f);
    EXPECT_FLOAT_EQ(slider.myFill.myInstance.myScale.x, 0.0f);

    slider.myInstance.myIsHidden = true;
    myRegistry.OnClick(WindowPoint(660.0f, 450.0f));
    EXPECT_EQ(values.size(), 3u);

    // A fill without width has no position to take.
    slider.myInstance.myIsHidden = false;
    slider.myFill.myInstance.mySize.x = 0.0f;
    myRegistry.OnClick(WindowPoint(660.0f, 450.0f));
    EXPECT_EQ(values.size(), 3u);
    EXPECT_FLOAT_EQ(slider.myValue, 0.0f);
}

TEST_F(WidgetTest, SliderStepsClampAndRefreshFollowsTheVolumeButKeepsTheValue)
{
    std::vector<float> values;
    UISlider& slider = AddCentreSlider(values);
    slider.SetValue(0.95f);
    slider.Step(0.1f);
    slider.Step(0.1f);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_FLOAT_EQ(values[1], 1.0f);

    SoundManager& sound = SoundManager::GetInstance();
    const float previous = sound.GetMasterVolume();
    sound.SetMasterVolume(0.25f);
    slider.myFullScale = { 0.7f, 0.7f };
    myRegistry.RefreshSliders();
    sound.SetMasterVolume(previous);
    EXPECT_FLOAT_EQ(slider.myFill.myInstance.myScale.x, 0.25f * 0.7f);
    EXPECT_FLOAT_EQ(slider.myValue, 1.0f);
}

TEST_F(WidgetTest, RegistryKeepsTheFirstWidgetOfAKeyAndRefusesUnknownKeys)
{
    int first = 0;
    AddCentreButton("twice", [&first] { ++first; });
    myRegistry.AddButtonScaled("twice", { 0.0f, 0.0f }, "sprites/UI/missing.png", nullptr);
    EXPECT_FLOAT_EQ(myRegistry.GetButton("twice").myInstance.myPosition.x, 800.0f);
    try
    {
        myRegistry.GetSlider("twice");
        FAIL() << "no slider of that key";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ(error.what(), "invalid unordered_map<K, T> key");
    }
}
