#include "Support/GameTestSupport.h"

#include "Levels/LevelLoader.h"
#include "Spine/Game.h"
#include "Spine/GameGlobals.h"

#include "mire/graphics/DX11.h"
#include "mire/input/InputManager.h"

#include "Platform/window/MessageQueue.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace VelaTest
{
    HeadlessGame::HeadlessGame(const std::filesystem::path& aGameRoot)
        : myEngine(aGameRoot)
    {
        Vela::Platform::ClearMessageQueue();
        if (!myEngine.IsStarted())
        {
            return;
        }
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        myInputManager = std::make_unique<Vela::InputManager>(*engine.GetHwnd());
        GameGlobals::inputManager = myInputManager.get();
        // Fixture roots hold only the levels and objects a test is about.
        LevelLoader::SetMainLevelCheckForTesting(false);
        myGame = std::make_unique<Game>(myInputManager.get());
        myGame->Init();
    }

    HeadlessGame::~HeadlessGame()
    {
        myGame.reset();
        GameGlobals::inputManager = nullptr;
        myInputManager.reset();
        Vela::Platform::ClearMessageQueue();
        LevelLoader::SetMainLevelCheckForTesting(true);
    }

    bool HeadlessGame::RunFrame(float aDeltaTime)
    {
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        if (!engine.BeginFrame())
        {
            return false;
        }
        myGame->Update(aDeltaTime);
        myGame->Render();
        myInputManager->Update();
        engine.EndFrame();
        return true;
    }

    LevelWorkerGate::LevelWorkerGate()
    {
        LevelLoader::SetPublishGateForTesting([shared = myShared] {
            std::unique_lock lock(shared->mutex);
            shared->waiting = true;
            shared->opened.wait(lock, [&] { return shared->open; });
            shared->waiting = false;
        });
    }

    LevelWorkerGate::~LevelWorkerGate()
    {
        Release();
        LevelLoader::SetPublishGateForTesting(nullptr);
    }

    void LevelWorkerGate::Release()
    {
        {
            std::lock_guard lock(myShared->mutex);
            myShared->open = true;
        }
        myShared->opened.notify_all();
    }

    bool LevelWorkerGate::IsWorkerWaiting() const
    {
        std::lock_guard lock(myShared->mutex);
        return myShared->waiting;
    }

    std::vector<uint8_t> ReadBackBufferRgba(uint32_t& aWidthOut, uint32_t& aHeightOut)
    {
        Vela::Gfx::Ref<Vela::Gfx::Texture2D> backBuffer;
        std::vector<uint8_t> pixels;
        aWidthOut = 0;
        aHeightOut = 0;
        if (!Vela::Gfx::Succeeded(Vela::DX11::SwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf())) ||
            !Vela::Gfx::Succeeded(Vela::Gfx::ReadBackTexture(Vela::DX11::Device, Vela::DX11::Context, backBuffer.Get(), 0, pixels)))
        {
            return {};
        }
        Vela::Gfx::Texture2DDesc description{};
        backBuffer->GetDesc(&description);
        aWidthOut = description.width;
        aHeightOut = description.height;
        // The back buffer stores BGRA.
        for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        {
            std::swap(pixels[i], pixels[i + 2]);
        }
        return pixels;
    }

    bool WritePng(const std::filesystem::path& aPath, const std::vector<uint8_t>& someRgba, uint32_t aWidth, uint32_t aHeight)
    {
        if (someRgba.size() < size_t(aWidth) * aHeight * 4)
        {
            return false;
        }
        return stbi_write_png(aPath.string().c_str(), int(aWidth), int(aHeight), 4, someRgba.data(), int(aWidth * 4)) != 0;
    }
}
