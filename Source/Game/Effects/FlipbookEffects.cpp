#include "Effects/FlipbookEffects.h"

#include "mire/core/Engine.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/texture/Texture.h"
#include "mire/texture/TextureManager.h"

#include <cstdio>

namespace
{
    constexpr int32_t BLEND_OFF = 0;
    constexpr int32_t BLEND_ALPHA = 1;

    Vela::Texture* LoadSheet(const char* aPath)
    {
        Vela::Engine* engine = Vela::Engine::GetInstance();
        if (!engine || !engine->myTextureManager || !aPath)
            return nullptr;
        return engine->myTextureManager->GetTexture(aPath, Vela::TextureSrgbMode::ForceSrgb, false);
    }

    void UpdateFrameWindow(FlipbookInstance& anInstance)
    {
        const float columns = static_cast<float>(anInstance.columns);
        const float rows = static_cast<float>(anInstance.rows);
        anInstance.sprite.myUVOffset = { static_cast<float>(anInstance.frame % anInstance.columns) / columns,
                                         static_cast<float>(anInstance.frame / anInstance.columns) / rows };
        anInstance.sprite.myUVScale = { 1.0f / columns, 1.0f / rows };
    }
}

void FlipbookEffects::Spawn(Vela::Vector2<float> aPosition, Vela::Vector2<float> aSize, const char* aTexturePath, int32_t aColumns,
                            int32_t aRows, int32_t aFrameCount, float aFramesPerSecond, int32_t aLoops, Vela::Vector2<float> aVelocity)
{
    if (aColumns <= 0 || aRows <= 0 || !(aFramesPerSecond > 0.0f))
    {
        printf("Flipbook refused: %s needs a grid of at least 1 x 1 and a positive rate (got %d x %d at %g)\n",
               aTexturePath ? aTexturePath : "", aColumns, aRows, aFramesPerSecond);
        return;
    }

    FlipbookInstance& instance = someInstances.emplace_back();
    instance.sprite.myPivot = { 0.5f, 0.5f };
    instance.texture = LoadSheet(aTexturePath);
    instance.sharedData.myColorTexture = instance.texture;
    instance.columns = aColumns;
    instance.rows = aRows;
    instance.frameCount = aFrameCount;
    instance.framesPerSecond = aFramesPerSecond;
    instance.loops = aLoops;
    instance.velocity = aVelocity;

    if (instance.texture)
        instance.sprite.mySize = { static_cast<float>(instance.texture->GetWidth()), static_cast<float>(instance.texture->GetHeight()) };
    if (aSize.x != 0.0f || aSize.y != 0.0f)
        instance.sprite.mySize = aSize;

    instance.sprite.myUVOffset = { 0.0f, 0.0f };
    instance.sprite.myUVScale = { 1.0f / static_cast<float>(aColumns), 1.0f / static_cast<float>(aRows) };
    instance.sprite.myPosition = aPosition;
    instance.alive = true;
}

void FlipbookEffects::Spawn(const FlipbookDescription& aDescription, Vela::Vector2<float> aPosition, Vela::Vector2<float> aSize,
                            Vela::Vector2<float> aVelocity)
{
    Spawn(aPosition, aSize, aDescription.texturePath, aDescription.columns, aDescription.rows, aDescription.frameCount,
          aDescription.framesPerSecond, aDescription.loops, aVelocity);
}

void FlipbookEffects::Update(float aDeltaTime)
{
    std::erase_if(someInstances, [](const FlipbookInstance& anInstance) { return !anInstance.alive; });

    for (FlipbookInstance& instance : someInstances)
    {
        instance.frameTimer += aDeltaTime;
        if (instance.frameTimer >= 1.0f / instance.framesPerSecond)
        {
            instance.frame += 1;
            instance.frameTimer = 0.0f;
            if (instance.frame >= instance.frameCount)
            {
                instance.frame = 0;
                if (instance.loops > 0)
                {
                    instance.loopCount += 1;
                    if (instance.loopCount >= instance.loops)
                    {
                        instance.alive = false;
                        continue;
                    }
                }
            }
        }
        instance.sprite.myPosition += instance.velocity * aDeltaTime;
        UpdateFrameWindow(instance);
    }
}

void FlipbookEffects::Render(Vela::SpriteDrawer& aSpriteDrawer) const
{
    Vela::Engine* engine = Vela::Engine::GetInstance();
    Vela::GraphicsStateStack* stateStack = engine && engine->myGraphicsEngine ? engine->myGraphicsEngine->GetGraphicsStateStack() : nullptr;
    if (!stateStack)
        return;
    for (const FlipbookInstance& instance : someInstances)
    {
        stateStack->Push();
        stateStack->SetBlendState(BLEND_ALPHA);
        {
            Vela::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(instance.sharedData);
            batch.Draw(instance.sprite);
        }
        stateStack->SetBlendState(BLEND_OFF);
        stateStack->Pop();
    }
}
