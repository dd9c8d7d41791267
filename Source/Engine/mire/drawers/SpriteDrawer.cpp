#include "mire/drawers/SpriteDrawer.h"

#include "mire/core/Assert.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/math/Matrix4x4.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace Vela
{
    SpriteGpuInstance MakeSpriteGpuInstance(const SpriteInstance& anInstance, const Matrix4x4<float>& aStateTransform)
    {
        const Vector2<float> size = anInstance.mySize * anInstance.myScale;
        const float cosine = std::cos(anInstance.myRotation);
        const float sine = std::sin(anInstance.myRotation);
        const float row0x = size.x * cosine;
        const float row0y = size.x * sine;
        const float row1x = -size.y * sine;
        const float row1y = size.y * cosine;
        // The quad's pivot point is local (pivot.x, -pivot.y): put it on the position.
        const float row3x = anInstance.myPosition.x - anInstance.myPivot.x * row0x + anInstance.myPivot.y * row1x;
        const float row3y = anInstance.myPosition.y - anInstance.myPivot.x * row0y + anInstance.myPivot.y * row1y;
        const Matrix4x4<float> sprite({ row0x, row0y, 0, 0, row1x, row1y, 0, 0, 0, 0, 1, 0, row3x, row3y, 0, 1 });
        const Matrix4x4<float> world = sprite * aStateTransform;

        SpriteGpuInstance record;
        std::memcpy(record.myWorld, world.GetData(), sizeof(record.myWorld));
        const Color linear = anInstance.myColor.AsLinear();
        record.myColor[0] = linear.r;
        record.myColor[1] = linear.g;
        record.myColor[2] = linear.b;
        record.myColor[3] = linear.a;
        record.myUV[0] = anInstance.myUVOffset.x;
        record.myUV[1] = anInstance.myUVOffset.y;
        record.myUV[2] = anInstance.myUVScale.x;
        record.myUV[3] = anInstance.myUVScale.y;
        record.myRectangle[0] = anInstance.myRectangle.x;
        record.myRectangle[1] = anInstance.myRectangle.w;
        record.myRectangle[2] = anInstance.myRectangle.z;
        record.myRectangle[3] = anInstance.myRectangle.y;
        return record;
    }

    // ---- Batch scope

    SpriteBatchScope::SpriteBatchScope(SpriteDrawer* aDrawer) : mySpriteDrawer(aDrawer) {}

    SpriteBatchScope::SpriteBatchScope(SpriteBatchScope&& anOther) noexcept
        : mySpriteDrawer(std::exchange(anOther.mySpriteDrawer, nullptr)),
          myMappedInstances(std::exchange(anOther.myMappedInstances, nullptr)),
          myInstanceCount(std::exchange(anOther.myInstanceCount, 0))
    {
    }

    SpriteBatchScope& SpriteBatchScope::operator=(SpriteBatchScope&& anOther) noexcept
    {
        if (this != &anOther)
        {
            End();
            mySpriteDrawer = std::exchange(anOther.mySpriteDrawer, nullptr);
            myMappedInstances = std::exchange(anOther.myMappedInstances, nullptr);
            myInstanceCount = std::exchange(anOther.myInstanceCount, 0);
        }
        return *this;
    }

    SpriteBatchScope::~SpriteBatchScope() { End(); }

    void SpriteBatchScope::Map()
    {
        VELA_ASSERT(mySpriteDrawer);
        VELA_ASSERT(myInstanceCount == 0);
        myMappedInstances = nullptr;
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!mySpriteDrawer || !context)
            return;
        Gfx::MappedSubresource mapped;
        if (Gfx::Succeeded(context->Map(mySpriteDrawer->myInstanceBuffer.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
            myMappedInstances = static_cast<SpriteGpuInstance*>(mapped.data);
    }

    void SpriteBatchScope::Flush()
    {
        VELA_ASSERT(mySpriteDrawer);
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!mySpriteDrawer || !context)
            return;
        // Without a mapping nothing fresh was written: drawing would show stale instances.
        if (myMappedInstances)
        {
            context->Unmap(mySpriteDrawer->myInstanceBuffer.Get(), 0);
            ++DX11::DrawCallCount;
            context->DrawInstanced(6, uint32_t(myInstanceCount), 0, 0);
        }
        myMappedInstances = nullptr;
        myInstanceCount = 0;
    }

    void SpriteBatchScope::End()
    {
        if (!mySpriteDrawer)
            return;
        Flush();
        VELA_ASSERT(mySpriteDrawer->myIsInBatch);
        mySpriteDrawer->myIsInBatch = false;
        mySpriteDrawer = nullptr;
    }

    void SpriteBatchScope::Draw(const SpriteInstance& anInstance) { Draw(&anInstance, 1); }

    void SpriteBatchScope::Draw(const SpriteInstance* someInstances, uint64_t aCount)
    {
        VELA_ASSERT(myInstanceCount < SpriteDrawer::BATCH_SIZE);
        // A batch that was refused or whose buffer could not be mapped skips its sprites.
        if (!mySpriteDrawer || !someInstances)
            return;
        const GraphicsStateStack* stateStack = GraphicsServices::GetStateStack();
        const Matrix4x4<float> transform = stateStack ? stateStack->GetTransform() : Matrix4x4<float>();
        for (uint64_t i = 0; i < aCount; ++i)
        {
            const SpriteInstance& instance = someInstances[i];
            if (instance.myIsHidden)
                continue;
            if (!myMappedInstances)
                return;
            myMappedInstances[myInstanceCount] = MakeSpriteGpuInstance(instance, transform);
            ++myInstanceCount;
            if (myInstanceCount == SpriteDrawer::BATCH_SIZE)
            {
                Flush();
                Map();
            }
        }
    }

    // ---- Drawer

    SpriteDrawer::SpriteDrawer() = default;

    SpriteDrawer::~SpriteDrawer()
    {
        myDefaultShader.reset();
        myInstanceBuffer.Reset();
        myQuadVertexBuffer.Reset();
    }

    void SpriteDrawer::Init()
    {
        myIsLoaded = false;
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return;

        myInstanceBuffer = CreateDynamicVertexBuffer(*device, uint32_t(BATCH_SIZE * sizeof(SpriteGpuInstance)));
        if (!myInstanceBuffer)
            return;

        myDefaultShader = std::make_unique<SpriteShader>();
        if (!myDefaultShader->Init("shaders/instanced_sprite_shader_VS", "shaders/model_shader_vertex_color_textured_PS"))
            return;

        // Local x 0..1, y 0..-1: the top-left corner is the origin and y runs down.
        myQuadVertices = { {
            { { 0.0f, -1.0f, 0.0f, 1.0f }, { 0, 0, 0, 0 } },
            { { 0.0f, 0.0f, 0.0f, 1.0f }, { 1, 0, 0, 0 } },
            { { 1.0f, -1.0f, 0.0f, 1.0f }, { 2, 0, 0, 0 } },
            { { 1.0f, 0.0f, 0.0f, 1.0f }, { 3, 0, 0, 0 } },
            { { 1.0f, -1.0f, 0.0f, 1.0f }, { 4, 0, 0, 0 } },
            { { 0.0f, 0.0f, 0.0f, 1.0f }, { 5, 0, 0, 0 } },
        } };
        myQuadVertexBuffer = CreateDynamicVertexBuffer(*device, uint32_t(sizeof(myQuadVertices)), myQuadVertices.data());
        myIsLoaded = bool(myQuadVertexBuffer);
    }

    SpriteBatchScope SpriteDrawer::BeginBatch(const SpriteSharedData& aSharedData)
    {
        VELA_ASSERT(myIsLoaded);
        VELA_ASSERT(!myIsInBatch);
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        // A second batch, or one on a drawer that failed to load, would write through a stale or
        // missing mapping: hand back a scope that draws nothing.
        if (!myIsLoaded || myIsInBatch || !context)
            return SpriteBatchScope(nullptr);
        myIsInBatch = true;

        SpriteShader* shader = aSharedData.myCustomShader ? aSharedData.myCustomShader : myDefaultShader.get();
        shader->PrepareBatch(aSharedData);

        Gfx::Buffer* const buffers[2] = { myQuadVertexBuffer.Get(), myInstanceBuffer.Get() };
        const uint32_t strides[2] = { uint32_t(sizeof(QuadVertex)), uint32_t(sizeof(SpriteGpuInstance)) };
        const uint32_t offsets[2] = { 0, 0 };
        context->IASetVertexBuffers(0, 2, buffers, strides, offsets);

        SpriteBatchScope scope(this);
        scope.Map();
        return scope;
    }
}
