#pragma once
// A whole game for the menu tests: the engine headless at the UI canvas size with the program's window
// callback, the input manager, the game on a temporary asset root with test art for the menus, and
// frames driven with a fixed step. Input arrives as window-system events.
#include "Support/GameTestHarness.h"

#include "Spine/Game.h"
#include "Spine/GameGlobals.h"
#include "Spine/ProgramEntry.h"

#include "mire/core/Engine.h"
#include "mire/input/InputManager.h"
#include "mire/math/Vector.h"
#include "mire/settings/Settings.h"

#include <SDL2/SDL.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace MenuTest
{
    constexpr float FRAME_TIME = VelaTest::PROGRAM_STEP;
    constexpr uint32_t SCREEN_WIDTH = 1600;
    constexpr uint32_t SCREEN_HEIGHT = 900;

    // Solid images with a dark border under the menus' texture paths, so widgets get sizes and
    // screenshots show where everything lies. Sounds the tests listen for are short silent WAVs.
    void WriteMenuArt(const std::filesystem::path& aRoot);
    void WriteSilentWav(const std::filesystem::path& aRoot, const std::string& aRelativePath);

    class MenuGame
    {
    public:
        // aPrepareRoot may add files to the asset root before the game loads anything.
        explicit MenuGame(const std::function<void(const std::filesystem::path&)>& aPrepareRoot = {});
        ~MenuGame();
        MenuGame(const MenuGame&) = delete;
        MenuGame& operator=(const MenuGame&) = delete;

        bool IsStarted() const { return myGame != nullptr; }
        Game& TheGame() { return *myGame; }
        StateStack& Stack() { return myGame->GetStateStack(); }
        const std::filesystem::path& Root() const { return myRoot.Path(); }
        std::vector<int> StackIds() { return Stack().GetStates(); }
        template <typename T>
        T& Screen(StateId anId) { return *static_cast<T*>(Stack().GetState(anId)); }

        // One whole frame as the program runs it.
        void Frame();
        // Only the game's update: for long timelines that need neither drawing nor input.
        void Update() { myGame->Update(FRAME_TIME); }
        // A key (SDL key code) pressed and released, with the frames the game needs to see it.
        void Press(SDL_Keycode aKey);
        void MoveMouse(int aX, int aY);
        // A left click at a canvas point (the window is the canvas's size, y down).
        void ClickCanvas(float aX, float aY);
        // A left click at a point of the window's client area, whatever its size.
        void ClickWindow(int aX, int aY);
        // Clears the stack and shows the title book.
        void ShowMainMenu();
        // Starts level_0 and runs updates until its reveal fade has gone.
        void StartFirstLevel();
        // Writes the back buffer of the next frame as a PNG file under the build tree; the path is returned.
        std::filesystem::path Screenshot(const std::string& aName);

    private:
        void PushEvent(SDL_Event& anEvent);

        VelaTest::TempDirectory myRoot;
        Vela::EngineConfiguration myPreviousConfiguration;
        std::unique_ptr<Vela::InputManager> myInputManager;
        std::unique_ptr<Game> myGame;
    };
}
