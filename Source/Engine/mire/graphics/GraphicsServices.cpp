#include "mire/graphics/GraphicsServices.h"

#include "mire/core/Engine.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/GraphicsEngine.h"

#include <atomic>

namespace Vela::GraphicsServices
{
    namespace
    {
        std::atomic<TextureManager*> ourTextureManager = nullptr;
        std::atomic<GraphicsEngine*> ourGraphicsEngine = nullptr;
    }

    Gfx::Device* GetDevice() { return DX11::Device; }
    Gfx::DeviceContext* GetContext() { return DX11::Context; }

    TextureManager* GetTextureManager() { return ourTextureManager.load(); }
    void SetTextureManager(TextureManager* aManager) { ourTextureManager.store(aManager); }
    GraphicsEngine* GetGraphicsEngine() { return ourGraphicsEngine.load(); }
    void SetGraphicsEngine(GraphicsEngine* anEngine) { ourGraphicsEngine.store(anEngine); }

    GraphicsStateStack* GetStateStack()
    {
        GraphicsEngine* engine = ourGraphicsEngine.load();
        return engine ? engine->GetGraphicsStateStack() : nullptr;
    }

    void GetBackBufferSize(float& aWidth, float& aHeight)
    {
        aWidth = 0.0f;
        aHeight = 0.0f;
        if (DX11::BackBuffer)
        {
            const auto [width, height] = DX11::BackBuffer->GetSize();
            aWidth = float(width);
            aHeight = float(height);
        }
    }

    bool SetBackBufferAsActiveTarget()
    {
        if (!DX11::BackBuffer)
        {
            return false;
        }
        DX11::BackBuffer->SetAsActiveTarget(DX11::BackBufferDepth);
        return true;
    }

    float GetRenderWidth()
    {
        if (const Engine* engine = Engine::GetInstance())
            return float(engine->myConfiguration.myRenderWidth);
        float width, height;
        GetBackBufferSize(width, height);
        return width;
    }

    float GetRenderHeight()
    {
        if (const Engine* engine = Engine::GetInstance())
            return float(engine->myConfiguration.myRenderHeight);
        float width, height;
        GetBackBufferSize(width, height);
        return height > 0.0f ? height : 1080.0f;
    }

    float GetTotalTime()
    {
        const Engine* engine = Engine::GetInstance();
        return engine ? engine->myTotalTime : 0.0f;
    }

    float GetDeltaTime()
    {
        const Engine* engine = Engine::GetInstance();
        return engine ? engine->myDeltaTime : 0.0f;
    }
}
