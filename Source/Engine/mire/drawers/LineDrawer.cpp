#include "mire/drawers/LineDrawer.h"

#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/math/Matrix4x4.h"

#include <cstring>

namespace Vela
{
    bool LineDrawer::Init()
    {
        CreateShaders("shaders/lineshader_VS", "shaders/lineshader_PS");
        if (Gfx::Device* device = GraphicsServices::GetDevice())
            myVertexBuffer = CreateDynamicVertexBuffer(*device, MAX_VERTICES * VERTEX_STRIDE);
        return true;
    }

    bool LineDrawer::CreateInputLayout(const std::string& aVertexShaderBytecode)
    {
        const Gfx::InputElementDesc layout[] = {
            { "POSITION", 0, Gfx::Format::R32G32B32_FLOAT, 0, 0, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
            { "TEXCOORD", 0, Gfx::Format::R32G32B32A32_FLOAT, 0, 12, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
        };
        Gfx::Device* device = GraphicsServices::GetDevice();
        return device && Gfx::Succeeded(device->CreateInputLayout(layout, 2, aVertexShaderBytecode.data(), aVertexShaderBytecode.size(),
                                                                  myInputLayout.ReleaseAndGetAddressOf()));
    }

    void LineDrawer::Draw(const LinePrimitive& aLine)
    {
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        // Without our shaders, or without fresh vertices, the draw would show whatever was bound before.
        if (!context || !myVertexBuffer || !PrepareRender())
            return;
        context->IASetPrimitiveTopology(Gfx::PrimitiveTopology::LINELIST);

        Gfx::MappedSubresource mapped;
        if (Gfx::Failed(context->Map(myVertexBuffer.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
            return;
        const GraphicsStateStack* stateStack = GraphicsServices::GetStateStack();
        const Matrix4x4<float> transform = stateStack ? stateStack->GetTransform() : Matrix4x4<float>();
        uint8_t* vertices = static_cast<uint8_t*>(mapped.data);
        const Vector3<float> points[2] = { aLine.fromPosition, aLine.toPosition };
        for (int i = 0; i < 2; ++i)
        {
            const Vector4<float> placed = Vector4<float>(points[i].x, points[i].y, points[i].z, 1.0f) * transform;
            const float vertex[9] = { placed.x, placed.y, placed.z, aLine.color.r, aLine.color.g, aLine.color.b, aLine.color.a, 0.0f, 0.0f };
            std::memcpy(vertices + i * VERTEX_STRIDE, vertex, VERTEX_STRIDE);
        }
        context->Unmap(myVertexBuffer.Get(), 0);

        Gfx::Buffer* const buffer = myVertexBuffer.Get();
        const uint32_t stride = VERTEX_STRIDE;
        const uint32_t offset = 0;
        context->IASetVertexBuffers(0, 1, &buffer, &stride, &offset);
        ++DX11::DrawCallCount;
        context->Draw(2, 0);
    }
}
