#pragma once
// Short sprite animations played from a texture sheet laid out as a grid of frames. Every object that
// shows them keeps its own list, spawns into it, advances it once per frame and draws it.
#include "mire/drawers/SpriteDrawer.h"
#include "mire/math/Vector.h"

#include <cstdint>
#include <vector>

namespace Vela
{
    class Texture;
}

struct FlipbookInstance
{
    Vela::SpriteSharedData sharedData;
    Vela::SpriteInstance sprite;
    const Vela::Texture* texture = nullptr;
    int32_t columns = 1;
    int32_t rows = 1;
    int32_t loops = 0; // 0 or less: forever
    int32_t loopCount = 0;
    int32_t frameCount = 1;
    int32_t frame = 0;
    float frameTimer = 0.0f;
    float framesPerSecond = 1.0f;
    Vela::Vector2<float> velocity; // units per second
    bool alive = false;
};

// What a flipbook plays: its sheet, grid, frames, rate and loops. The presets are in FlipbookPresets.h.
struct FlipbookDescription
{
    const char* texturePath = nullptr;
    int32_t columns = 1;
    int32_t rows = 1;
    int32_t frameCount = 1;
    float framesPerSecond = 1.0f;
    int32_t loops = 1; // 0 or less: forever
};

class FlipbookEffects
{
public:
    // A size of (0, 0) draws at the sheet's pixel size. A grid or rate that is not positive is refused.
    void Spawn(Vela::Vector2<float> aPosition, Vela::Vector2<float> aSize, const char* aTexturePath, int32_t aColumns, int32_t aRows,
               int32_t aFrameCount, float aFramesPerSecond, int32_t aLoops, Vela::Vector2<float> aVelocity);
    void Spawn(const FlipbookDescription& aDescription, Vela::Vector2<float> aPosition, Vela::Vector2<float> aSize,
               Vela::Vector2<float> aVelocity = { 0.0f, 0.0f });
    // Drops the instances that ended last time, then advances at most one frame per instance.
    void Update(float aDeltaTime);
    // Each instance alpha-blended in its own batch, also one that ended in the last update.
    void Render(Vela::SpriteDrawer& aSpriteDrawer) const;

    const std::vector<FlipbookInstance>& GetInstances() const { return someInstances; }
    size_t Count() const { return someInstances.size(); }
    bool IsEmpty() const { return someInstances.empty(); }
    void Clear() { someInstances.clear(); }

private:
    std::vector<FlipbookInstance> someInstances;
};
