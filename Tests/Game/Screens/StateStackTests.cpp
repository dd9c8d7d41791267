// The screen stack inside a running game: which actions Escape offers, which events reach a screen, the
// fade's easing and finish, and the cursor over menus and play.
#include "Screens/GameState.h"
#include "Screens/TransitionState.h"
#include "Spine/Game.h"

#include "Support/GameTestHarness.h"

#include "mire/input/InputManager.h"

#include "Platform/window/VirtualKeys.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

using namespace VelaTest;

namespace
{
    class Recorder : public Observers::InputObserver
    {
    public:
        bool OnInput(InputAction anAction, const InputEvent&) override
        {
            someActions.push_back(anAction);
            return false;
        }
        std::vector<InputAction> someActions;
    };

    class StateStackTest : public testing::Test
    {
    protected:
        // A key that goes down during one frame; the game sees it pressed in the next.
        void PressKey(uint8_t aVirtualKey)
        {
            Vela::InputManager& input = myGame.GetInputManager();
            VelaTest::PressKey(input, aVirtualKey);
            ASSERT_TRUE(myGame.RunFrame());
            ASSERT_TRUE(myGame.RunFrame());
            VelaTest::ReleaseKey(input, aVirtualKey);
            input.Update();
        }

        StateStack& Stack() { return myGame.GetGame().GetStateStack(); }
        static bool CursorShown() { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

        TempDirectory myRoot;
        HeadlessGame myGame{ myRoot.Path() };
    };
}

TEST_F(StateStackTest, EscapeOffersPauseCloseMenuAndBackUntilAScreenTakesOne)
{
    ASSERT_TRUE(myGame.IsStarted());
    // At start the logo is covered by the level's reveal fade, which consumes nothing.
    ASSERT_EQ(Stack().TopId(), int(StateId::Transition));
    Recorder recorder;
    for (int action = 0; action < INPUT_ACTION_COUNT; ++action)
    {
        myGame.GetGame().GetInputMapper().AddObserver(&recorder, InputAction(action));
    }
    PressKey(Vela::Platform::VIRTUAL_KEY_ESCAPE);
    EXPECT_EQ(recorder.someActions, (std::vector<InputAction>{ InputAction::Pause, InputAction::CloseMenu, InputAction::Back }));

    // The play screen takes Pause and opens the pause menu; the dispatch ends there.
    recorder.someActions.clear();
    Stack().Clear();
    Stack().Push(StateId::Game);
    PressKey(Vela::Platform::VIRTUAL_KEY_ESCAPE);
    EXPECT_TRUE(recorder.someActions.empty());
    EXPECT_EQ(Stack().GetStates(), (std::vector<int>{ int(StateId::Game), int(StateId::InGameMenu) }));
}

TEST_F(StateStackTest, OnlyEventsPressedThisFrameReachTheTopScreen)
{
    ASSERT_TRUE(myGame.IsStarted());
    Stack().Clear();
    Stack().Push(StateId::Game);
    InputEvent held;
    held.kind = 2;
    EXPECT_FALSE(Stack().OnInput(InputAction::Pause, held));
    EXPECT_EQ(Stack().TopId(), int(StateId::Game));
    EXPECT_TRUE(Stack().OnInput(InputAction::Pause, InputEvent{}));
    EXPECT_EQ(Stack().TopId(), int(StateId::InGameMenu));

    Stack().Clear();
    EXPECT_FALSE(Stack().OnInput(InputAction::Pause, InputEvent{}));
    EXPECT_TRUE(Stack().Update(UpdateContext{})) << "an empty stack ends the game";
}

TEST_F(StateStackTest, FadeEasesExponentiallyAndFinishesAtItsThresholds)
{
    ASSERT_TRUE(myGame.IsStarted());
    TransitionState& fade = static_cast<TransitionState&>(*Stack().GetState(StateId::Transition));
    UpdateContext context;
    context.deltaTime = 1.0f / 60.0f;

    // Reveal at 1.5: alpha 0.975^n, which first reaches 0.15 at n = 75 (ln 0.15 / ln 0.975 = 74.9).
    fade.SetReveal();
    fade.SetSpeed(1.5f);
    fade.StartFade();
    fade.Update(context);
    EXPECT_NEAR(fade.GetAlpha(), 0.975f, 1e-6f);
    int frames = 1;
    while (!fade.IsFinished() && frames < 1000)
    {
        fade.Update(context);
        ++frames;
    }
    EXPECT_EQ(frames, 75);
    EXPECT_GT(fade.GetAlpha(), 0.14f);

    // Cover at 1.5: 1 - 0.975^n reaches 0.95 at n = 119 (ln 0.05 / ln 0.975 = 118.3).
    fade.SetCover();
    fade.StartFade();
    EXPECT_EQ(fade.GetAlpha(), 0.0f);
    frames = 0;
    while (!fade.IsFinished() && frames < 1000)
    {
        fade.Update(context);
        ++frames;
    }
    EXPECT_EQ(frames, 119);

    fade.ClearFlags();
    EXPECT_TRUE(fade.IsFinished());
}

TEST_F(StateStackTest, CoverAndRevealStartTheFadeWithTheirColourAndSpeed)
{
    ASSERT_TRUE(myGame.IsStarted());
    TransitionState& fade = static_cast<TransitionState&>(*Stack().GetState(StateId::Transition));
    UpdateContext context;
    context.deltaTime = 1.0f / 60.0f;

    // Cover at 6: from clear, one frame adds (1 - 0) x 6 / 60 = 0.1.
    fade.Cover({ 0.2f, 0.4f, 0.6f }, 6.0f);
    EXPECT_TRUE(fade.IsCovering());
    EXPECT_FALSE(fade.IsRevealing());
    EXPECT_EQ(fade.GetAlpha(), 0.0f);
    fade.Update(context);
    EXPECT_NEAR(fade.GetAlpha(), 0.1f, 1e-6f);

    // Reveal at 1.5: from opaque, one frame takes 1 x 1.5 / 60 = 0.025; the cover's colour stays.
    fade.Reveal(1.5f);
    EXPECT_TRUE(fade.IsRevealing());
    EXPECT_FALSE(fade.IsCovering());
    EXPECT_EQ(fade.GetAlpha(), 1.0f);
    fade.Update(context);
    EXPECT_NEAR(fade.GetAlpha(), 0.975f, 1e-6f);
    EXPECT_FLOAT_EQ(fade.GetSprite().myColor.r, 0.2f);
    EXPECT_FLOAT_EQ(fade.GetSprite().myColor.g, 0.4f);
    EXPECT_FLOAT_EQ(fade.GetSprite().myColor.b, 0.6f);
    fade.ClearFlags();
}

TEST_F(StateStackTest, CursorShowsOverMenusAndHidesInPlay)
{
    ASSERT_TRUE(myGame.IsStarted());
    EXPECT_FALSE(CursorShown()) << "fade over the logo";
    Stack().Clear();
    Stack().Push(StateId::MainMenu);
    EXPECT_TRUE(CursorShown());
    Stack().Clear();
    EXPECT_TRUE(CursorShown()) << "clearing leaves the cursor to the next push";
    Stack().Push(StateId::Game);
    EXPECT_FALSE(CursorShown());
    Stack().Push(StateId::InGameMenu);
    EXPECT_TRUE(CursorShown());
    Stack().Push(StateId::Options);
    EXPECT_TRUE(CursorShown());
    Stack().Pop();
    Stack().Pop();
    EXPECT_FALSE(CursorShown());
    Stack().Pop();
    EXPECT_TRUE(CursorShown()) << "an empty stack shows the cursor";
    Stack().Pop();
    EXPECT_TRUE(Stack().GetStates().empty());
}
