#include "MenuTestGame.h"

#include "Levels/LevelLoader.h"

#include "../../Engine/mire/loaders/DdsBuilder.h"
#include "Support/GameTestSupport.h"

#include "mire/core/WindowsWindow.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "mire/graphics/DX11.h"
#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace MenuTest
{
    namespace
    {
        struct Art
        {
            const char* path;
            int width;
            int height;
            uint8_t red, green, blue;
        };

        // Sizes chosen so that every page reads at a glance; colours tell the widgets apart.
        constexpr Art MENU_ART[] = {
            { "sprites/UI/T_UI_Book_Background.DDS", 64, 36, 60, 40, 30 },
            { "sprites/UI/T_UI_Book_Pages.DDS", 1400, 820, 230, 215, 180 },
            { "sprites/UI/T_UI_Book_Front.DDS", 700, 820, 120, 30, 30 },
            { "sprites/UI/T_UI_Book_Back.DDS", 700, 820, 90, 25, 25 },
            { "sprites/UI/T_UI_Book_Page_Level_Select.DDS", 1400, 820, 200, 225, 190 },
            { "sprites/UI/T_UI_Book_Pages_Intro.DDS", 1400, 820, 235, 225, 200 },
            { "sprites/UI/T_UI_Book_Pages_Outro.DDS", 1400, 820, 215, 200, 235 },
            { "sprites/UI/T_UI_Menu_NewGame.DDS", 320, 100, 40, 110, 60 },
            { "sprites/UI/T_UI_Menu_LevelSelect.DDS", 320, 100, 40, 80, 140 },
            { "sprites/UI/T_UI_Menu_options.DDS", 320, 100, 110, 80, 40 },
            { "sprites/UI/T_UI_Menu_Credits.DDS", 320, 100, 100, 40, 120 },
            { "sprites/UI/T_UI_Menu_Quit.DDS", 320, 100, 130, 40, 40 },
            { "sprites/UI/T_UI_LevelSelect_Level1.DDS", 160, 110, 50, 150, 50 },
            { "sprites/UI/T_UI_LevelSelect_Level2.DDS", 160, 110, 50, 150, 120 },
            { "sprites/UI/T_UI_LevelSelect_Level3.DDS", 160, 110, 50, 120, 150 },
            { "sprites/UI/T_UI_LevelSelect_Level4.DDS", 160, 110, 80, 60, 150 },
            { "sprites/UI/T_UI_LevelSelect_Level5.DDS", 160, 110, 150, 60, 120 },
            { "sprites/UI/T_UI_Menu_Fullscreen.DDS", 300, 80, 60, 60, 60 },
            { "sprites/UI/T_UI_Menu_SFX_Audio.DDS", 360, 70, 70, 90, 110 },
            { "sprites/UI/T_UI_Menu_Main_Volume.DDS", 360, 70, 70, 90, 110 },
            { "sprites/UI/T_UI_Menu_Music.DDS", 360, 70, 70, 90, 110 },
            { "sprites/UI/T_UI_Sundbar.png", 480, 30, 240, 170, 40 },
            { "sprites/UI/T_UI_Fullscreen_Toogle.DDS", 60, 60, 250, 250, 250 },
            { "sprites/UI/T_UI_Fullscreen_Toogle_Button.DDS", 40, 40, 30, 30, 30 },
            { "sprites/UI/T_UI_Menu_Back.DDS", 240, 90, 120, 90, 60 },
            { "sprites/UI/T_UI_Menu_BackgroundBox.DDS", 1000, 1000, 50, 60, 80 },
            { "sprites/UI/T_UI_Resume.DDS", 360, 120, 40, 110, 60 },
            { "sprites/UI/T_UI_Main_Menu.DDS", 360, 120, 40, 80, 140 },
            { "sprites/UI/T_UI_Options.DDS", 360, 120, 110, 80, 40 },
            { "sprites/UI/T_UI_Exit.DDS", 360, 120, 130, 40, 40 },
            { "sprites/UI/T_UI_Back.DDS", 360, 120, 120, 90, 60 },
            { "sprites/UI/T_UI_Fullscreen.DDS", 300, 100, 60, 60, 60 },
            { "sprites/UI/T_UI_Main_Volume.png", 500, 90, 70, 90, 110 },
            { "sprites/UI/T_UI_Music.png", 500, 90, 70, 90, 110 },
            { "sprites/UI/T_UI_SFX_Audio.png", 500, 90, 70, 90, 110 },
            { "Sprites/UI/T_UI_Options_BackgroundBox.png", 800, 600, 50, 60, 80 },
            { "sprites/UI/LOGO_background.png", 1600, 900, 20, 20, 30 },
            { "sprites/UI/LOGO_VELA.png", 600, 300, 220, 120, 40 },
            { "sprites/UI/LOGO_GLOMP.png", 900, 600, 60, 180, 90 },
            { "sprites/UI/LOGO_invert.png", 1600, 1200, 90, 120, 220 },
        };

        std::vector<uint8_t> BorderedPixels(const Art& anArt)
        {
            std::vector<uint8_t> pixels(size_t(anArt.width) * size_t(anArt.height) * 4);
            const int border = std::max(2, std::min(anArt.width, anArt.height) / 12);
            for (int y = 0; y < anArt.height; ++y)
            {
                for (int x = 0; x < anArt.width; ++x)
                {
                    const bool edge = x < border || y < border || x >= anArt.width - border || y >= anArt.height - border;
                    uint8_t* pixel = &pixels[(size_t(y) * size_t(anArt.width) + size_t(x)) * 4];
                    pixel[0] = edge ? anArt.red / 3 : anArt.red;
                    pixel[1] = edge ? anArt.green / 3 : anArt.green;
                    pixel[2] = edge ? anArt.blue / 3 : anArt.blue;
                    pixel[3] = 255;
                }
            }
            return pixels;
        }

        void WriteArt(const std::filesystem::path& aRoot, const Art& anArt)
        {
            const std::filesystem::path path = aRoot / anArt.path;
            std::filesystem::create_directories(path.parent_path());
            const std::vector<uint8_t> pixels = BorderedPixels(anArt);
            if (path.extension() == ".png")
            {
                VelaTest::WritePng(path, pixels, uint32_t(anArt.width), uint32_t(anArt.height));
                return;
            }
            VelaTest::DdsDescription description;
            description.width = uint32_t(anArt.width);
            description.height = uint32_t(anArt.height);
            description.dxgiFormat = 29; // R8G8B8A8_UNORM_SRGB
            std::vector<uint8_t> bytes = VelaTest::MakeDdsHeader(description);
            bytes.insert(bytes.end(), pixels.begin(), pixels.end());
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }

        void Put(std::ofstream& aFile, uint32_t aValue, int aBytes)
        {
            for (int i = 0; i < aBytes; ++i)
                aFile.put(char((aValue >> (8 * i)) & 0xFF));
        }
    }

    void WriteMenuArt(const std::filesystem::path& aRoot)
    {
        for (const Art& art : MENU_ART)
            WriteArt(aRoot, art);
    }

    void WriteSilentWav(const std::filesystem::path& aRoot, const std::string& aRelativePath)
    {
        constexpr uint32_t SAMPLE_RATE = 44100;
        constexpr uint32_t SAMPLES = SAMPLE_RATE / 10;
        const std::filesystem::path path = aRoot / aRelativePath;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        file.write("RIFF", 4);
        Put(file, 36 + SAMPLES * 2, 4);
        file.write("WAVEfmt ", 8);
        Put(file, 16, 4);
        Put(file, 1, 2); // PCM
        Put(file, 1, 2); // mono
        Put(file, SAMPLE_RATE, 4);
        Put(file, SAMPLE_RATE * 2, 4);
        Put(file, 2, 2);
        Put(file, 16, 2);
        file.write("data", 4);
        Put(file, SAMPLES * 2, 4);
        for (uint32_t i = 0; i < SAMPLES; ++i)
            Put(file, 0, 2);
    }

    MenuGame::MenuGame(const std::function<void(const std::filesystem::path&)>& aPrepareRoot)
        : myPreviousConfiguration(Vela::Settings::GetEngineConfiguration())
    {
        WriteMenuArt(myRoot.Path());
        if (aPrepareRoot)
            aPrepareRoot(myRoot.Path());

        Vela::DX11::ReleaseShaderCaches();
        Vela::Platform::ClearMessageQueue();
        Vela::Settings::SetAssetRootsForTesting(std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine", myRoot.Path(), VELA_COOKED_DIR);
        Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
        configuration = Vela::EngineConfiguration();
        configuration.myWindowWidth = SCREEN_WIDTH;
        configuration.myWindowHeight = SCREEN_HEIGHT;
        configuration.myRenderWidth = SCREEN_WIDTH;
        configuration.myRenderHeight = SCREEN_HEIGHT;
        configuration.myDebugFeatures = 0;
        configuration.myClearColor = { 0.0f, 0.0f, 0.0f, 1.0f };
        configuration.myWindowMessageCallback = &OnWindowMessage;
        if (!Vela::Engine::Start())
            return;
        myInputManager = std::make_unique<Vela::InputManager>(*Vela::Engine::GetInstance()->GetHwnd());
        GameGlobals::inputManager = myInputManager.get();
        // The menu tests' root has no levels to play.
        LevelLoader::SetMainLevelCheckForTesting(false);
        myGame = std::make_unique<Game>(myInputManager.get());
        myGame->Init();
        // The program starts fullscreen; the tests keep the window at the canvas size so that window
        // pixels are canvas units.
        Vela::Engine::GetInstance()->myWindow->SetFullscreen(false);
        GameGlobals::isFullscreen = false;
        Frame();
    }

    MenuGame::~MenuGame()
    {
        myGame.reset();
        GameGlobals::inputManager = nullptr;
        myInputManager.reset();
        Vela::Engine::Shutdown();
        Vela::DX11::ReleaseShaderCaches();
        Vela::Platform::ClearMessageQueue();
        Vela::Settings::GetEngineConfiguration() = myPreviousConfiguration;
        Vela::Settings::SetAssetRootsForTesting({}, {}, {});
        GameGlobals::isFullscreen = true;
        LevelLoader::SetMainLevelCheckForTesting(true);
    }

    void MenuGame::Frame()
    {
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        ASSERT_TRUE(engine.BeginFrame());
        myGame->Update(FRAME_TIME);
        myGame->Render();
        myInputManager->Update();
        engine.EndFrame();
    }

    void MenuGame::PushEvent(SDL_Event& anEvent)
    {
        ASSERT_EQ(SDL_PushEvent(&anEvent), 1);
    }

    void MenuGame::Press(SDL_Keycode aKey)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = (*Vela::Engine::GetInstance()->GetHwnd())->sdlWindowId;
        event.key.keysym.sym = aKey;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(aKey);
        PushEvent(event);
        Frame(); // seen by the end-of-frame snapshot
        Frame(); // dispatched as pressed
        event.type = SDL_KEYUP;
        PushEvent(event);
        Frame();
    }

    void MenuGame::MoveMouse(int aX, int aY)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = (*Vela::Engine::GetInstance()->GetHwnd())->sdlWindowId;
        event.motion.x = aX;
        event.motion.y = aY;
        PushEvent(event);
        Frame();
    }

    void MenuGame::ClickCanvas(float aX, float aY)
    {
        ClickWindow(int(aX), int(float(SCREEN_HEIGHT) - aY));
    }

    void MenuGame::ClickWindow(int aX, int aY)
    {
        const int x = aX;
        const int y = aY;
        MoveMouse(x, y);
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.windowID = (*Vela::Engine::GetInstance()->GetHwnd())->sdlWindowId;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = SDL_PRESSED;
        event.button.x = x;
        event.button.y = y;
        PushEvent(event);
        Frame();
        Frame();
        event.type = SDL_MOUSEBUTTONUP;
        event.button.state = SDL_RELEASED;
        PushEvent(event);
        Frame();
    }

    void MenuGame::ShowMainMenu()
    {
        Stack().Clear();
        Stack().Push(StateId::MainMenu);
        Frame();
    }

    void MenuGame::StartFirstLevel()
    {
        const std::vector<int> playing{ int(StateId::Game) };
        Stack().StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
        for (int frame = 0; frame < 600 && StackIds() != playing; ++frame)
            Update();
        ASSERT_EQ(StackIds(), playing);
    }

    std::filesystem::path MenuGame::Screenshot(const std::string& aName)
    {
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        EXPECT_TRUE(engine.BeginFrame());
        myGame->Update(FRAME_TIME);
        myGame->Render();
        uint32_t width = 0;
        uint32_t height = 0;
        const std::vector<uint8_t> pixels = VelaTest::ReadBackBufferRgba(width, height);
        myInputManager->Update();
        engine.EndFrame();

        const std::filesystem::path directory = std::filesystem::path(VELA_RUNTIME_DIR) / "screenshots" / "menus";
        std::filesystem::create_directories(directory);
        const std::filesystem::path path = directory / (aName + ".png");
        return VelaTest::WritePng(path, pixels, width, height) ? path : std::filesystem::path();
    }
}
