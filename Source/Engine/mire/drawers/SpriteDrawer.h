#pragma once
#include "mire/drawers/SpriteShader.h"
#include "mire/math/Color.h"
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

#include "Platform/graphics/Gfx.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Vela
{
    class Texture;
    class SpriteDrawer;

    // What game code hands to the sprite drawer.
    struct SpriteInstance
    {
        Vector2<float> myPosition;
        Vector2<float> myPivot;
        Vector2<float> mySize;
        Vector2<float> myScale = { 1.0f, 1.0f };
        Vector2<float> myUVOffset;
        Vector2<float> myUVScale = { 1.0f, 1.0f };
        Color myColor = { 1.0f, 1.0f, 1.0f, 1.0f }; // sRGB tint
        Vector4<float> myRectangle = { 0.0f, 0.0f, 1.0f, 1.0f }; // texture sub-rectangle x0, y0, x1, y1
        float myRotation = 0.0f; // radians, counter-clockwise with y up
        bool myIsHidden = false;
    };

    // One per batch; null textures take the defaults, a null shader the drawer's own.
    struct SpriteSharedData
    {
        const Texture* myColorTexture = nullptr;
        const Texture* myNormalTexture = nullptr;
        const Texture* myMaterialTexture = nullptr;
        const Texture* myEffectsTexture = nullptr;
        SpriteShader* myCustomShader = nullptr;
    };

    // The per-instance record the sprite shader reads.
    struct SpriteGpuInstance
    {
        float myWorld[16];
        float myColor[4];        // linear
        float myUV[4];           // offset x, y, scale x, y
        float myRectangle[4];    // x, w, z, y
    };
    static_assert(sizeof(SpriteGpuInstance) == 112);

    // Builds the record for one visible sprite under a state transform.
    SpriteGpuInstance MakeSpriteGpuInstance(const SpriteInstance& anInstance, const Matrix4x4<float>& aStateTransform);

    // An open batch. Drawing writes straight into the mapped instance buffer and flushes every
    // BATCH_SIZE sprites; the batch ends (and flushes the rest) when the scope is destroyed.
    class SpriteBatchScope
    {
    public:
        SpriteBatchScope(SpriteBatchScope&& anOther) noexcept;
        SpriteBatchScope& operator=(SpriteBatchScope&& anOther) noexcept;
        SpriteBatchScope(const SpriteBatchScope&) = delete;
        SpriteBatchScope& operator=(const SpriteBatchScope&) = delete;
        ~SpriteBatchScope();

        void Draw(const SpriteInstance& anInstance);
        void Draw(const SpriteInstance* someInstances, uint64_t aCount);

    private:
        friend class SpriteDrawer;
        explicit SpriteBatchScope(SpriteDrawer* aDrawer);

        void Map();
        void Flush();
        void End();

        SpriteDrawer* mySpriteDrawer = nullptr;
        SpriteGpuInstance* myMappedInstances = nullptr;
        uint64_t myInstanceCount = 0;
    };

    class SpriteDrawer
    {
    public:
        static constexpr uint64_t BATCH_SIZE = 1024;

        struct QuadVertex
        {
            float myPosition[4];
            uint32_t myCorner[4];
        };
        static_assert(sizeof(QuadVertex) == 32);

        SpriteDrawer();
        ~SpriteDrawer();
        SpriteDrawer(const SpriteDrawer&) = delete;
        SpriteDrawer& operator=(const SpriteDrawer&) = delete;

        void Init();
        bool IsLoaded() const { return myIsLoaded; }
        bool IsInBatch() const { return myIsInBatch; }

        // Only one batch may be open at a time.
        SpriteBatchScope BeginBatch(const SpriteSharedData& aSharedData);

        SpriteShader* GetDefaultShader() const { return myDefaultShader.get(); }

    private:
        friend class SpriteBatchScope;

        Gfx::Ref<Gfx::Buffer> myQuadVertexBuffer;
        Gfx::Ref<Gfx::Buffer> myInstanceBuffer;
        std::array<QuadVertex, 6> myQuadVertices{};
        std::unique_ptr<SpriteShader> myDefaultShader;
        bool myIsLoaded = false;
        bool myIsInBatch = false;
    };
}
