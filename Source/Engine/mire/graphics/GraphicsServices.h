#pragma once
// Where the renderer's classes find the shared graphics objects: the device and context of the
// device object, and the one texture manager and graphics engine that are alive.
#include "Platform/graphics/Gfx.h"

namespace Vela
{
    class GraphicsEngine;
    class GraphicsStateStack;
    class TextureManager;

    namespace GraphicsServices
    {
        Gfx::Device* GetDevice();
        Gfx::DeviceContext* GetContext();

        // The manager and engine register themselves while they live (null otherwise).
        TextureManager* GetTextureManager();
        void SetTextureManager(TextureManager* aManager);
        GraphicsEngine* GetGraphicsEngine();
        void SetGraphicsEngine(GraphicsEngine* anEngine);
        GraphicsStateStack* GetStateStack();

        // The engine's render size and clock; without a running engine, the back buffer's size and 0.
        float GetRenderWidth();
        float GetRenderHeight();
        float GetTotalTime();
        float GetDeltaTime();
        // The back buffer's size (0 x 0 without one).
        void GetBackBufferSize(float& aWidth, float& aHeight);
        // Binds the back buffer with its depth buffer as the render target. False, binding nothing,
        // while a failed resize has left no back buffer.
        bool SetBackBufferAsActiveTarget();
    }
}
