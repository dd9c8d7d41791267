// Starts the engine from the settings file beside the executable and draws a turning cube and a
// sprite (units are centimetres: the cube is one metre wide) every frame until the window is closed or Escape is pressed ("--frames N" stops after N
// frames). Shows that window, device, renderer, models and the frame loop work together.
#include "mire/core/Engine.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/Camera.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/RenderTarget.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/math/MathFunctions.h"
#include "mire/model/ModelFactory.h"
#include "mire/model/ModelInstance.h"
#include "mire/settings/Settings.h"
#include "mire/texture/TextureManager.h"
#include "Platform/window/MessageQueue.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
    constexpr Vela::Platform::WParam ESCAPE_KEY = 0x1B;

    long FrameLimit(int aArgumentCount, char** someArguments)
    {
        for (int i = 1; i + 1 < aArgumentCount; ++i)
        {
            if (std::strcmp(someArguments[i], "--frames") == 0)
            {
                return std::strtol(someArguments[i + 1], nullptr, 10);
            }
        }
        return -1;
    }

    void DrawFrame(Vela::Engine& aEngine, Vela::ModelInstance& aCube, const Vela::Texture* aSpriteTexture)
    {
        Vela::GraphicsEngine& graphics = *aEngine.myGraphicsEngine;
        Vela::GraphicsStateStack& states = *graphics.GetGraphicsStateStack();
        const float width = static_cast<float>(aEngine.myConfiguration.myRenderWidth);
        const float height = static_cast<float>(aEngine.myConfiguration.myRenderHeight);

        Vela::Camera camera;
        camera.SetPerspectiveProjection(75.0f, { width, height }, 10.0f, 5000.0f);
        Vela::Matrix4x4<float> turn;
        Vela::RotationFromEulerDegrees(turn, { aEngine.myTotalTime * 20.0f, aEngine.myTotalTime * 45.0f, 0.0f });
        aCube.SetTransform(turn * Vela::Matrix4x4<float>::CreateTranslation({ 0.0f, 0.0f, 300.0f }));
        // The frame starts without depth; the 3D pass binds the depth buffer, the screen pass does not.
        Vela::DX11::BackBuffer->SetAsActiveTarget(Vela::DX11::BackBufferDepth);
        states.Push();
        states.SetCamera(camera);
        graphics.GetModelDrawer()->Draw(aCube);
        states.Pop();
        Vela::DX11::BackBuffer->SetAsActiveTarget(nullptr);

        Vela::Camera screen;
        screen.SetOrthographicProjection(0.0f, width, 0.0f, height, 0.0f, 1.0f);
        Vela::SpriteInstance sprite;
        sprite.myPosition = { 100.0f, 100.0f };
        sprite.mySize = { 64.0f, 64.0f };
        sprite.myPivot = { 0.5f, 0.5f };
        Vela::SpriteSharedData shared;
        shared.myColorTexture = aSpriteTexture;
        states.Push();
        states.SetCamera(screen);
        {
            Vela::SpriteBatchScope batch = graphics.GetSpriteDrawer()->BeginBatch(shared);
            batch.Draw(sprite);
        }
        states.Pop();
    }
}

int main(int aArgumentCount, char** someArguments)
{
    try
    {
        if (!Vela::LoadSettings("Game"))
        {
            std::printf("No settings file beside the executable; starting with the defaults\n");
        }
    }
    catch (const nlohmann::json::exception& error)
    {
        std::printf("settings/Game.json: %s\n", error.what());
        return 1;
    }

    Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
    configuration.myWindowMessageCallback = [](Vela::Platform::WindowHandle, Vela::Platform::MessageId aMessage, Vela::Platform::WParam aWParam,
                                               Vela::Platform::LParam) -> Vela::Platform::LResult {
        if (aMessage == Vela::Platform::MESSAGE_KEYDOWN && aWParam == ESCAPE_KEY)
        {
            Vela::Platform::PostQuitMessage(0);
        }
        return 0;
    };
    if (!Vela::Engine::Start())
    {
        std::printf("The engine could not start\n");
        return 1;
    }

    Vela::Engine& engine = *Vela::Engine::GetInstance();
    Vela::ModelInstance cube = Vela::ModelFactory::GetInstance().GetModelInstance("Cube");
    const Vela::Texture* spriteTexture = engine.myTextureManager->GetTexture("Textures/T_Default_c.dds", Vela::TextureSrgbMode::ForceSrgb);

    const long frameLimit = FrameLimit(aArgumentCount, someArguments);
    long frames = 0;
    while (engine.BeginFrame())
    {
        DrawFrame(engine, cube, spriteTexture);
        engine.EndFrame();
        if (frameLimit >= 0 && ++frames >= frameLimit)
        {
            Vela::Platform::PostQuitMessage(0);
        }
    }
    std::printf("Ran %ld frames\n", frames);
    Vela::Engine::Shutdown();
    return 0;
}
