#include "mire/drawers/CustomShapeDrawer.h"

#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"

namespace Vela
{
    namespace
    {
        // A multiple of 3 and of 6: whole triangles and whole quads.
        constexpr uint32_t MAX_VERTEX_COUNT = 69984;
    }

    bool CustomShapeDrawer::Init()
    {
        myMaxVertexCount = MAX_VERTEX_COUNT;
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return false;

        myConstantBuffer = CreateDynamicConstantBuffer(*device, CONSTANT_BUFFER_SIZE);
        if (!myConstantBuffer)
            return false;

        CreateShaders("shaders/custom_shape_VS", "shaders/custom_shape_PS");

        myVertexBuffer = CreateDynamicVertexBuffer(*device, MAX_VERTEX_COUNT * VERTEX_STRIDE);
        return true;
    }

    bool CustomShapeDrawer::CreateInputLayout(const std::string& aVertexShaderBytecode)
    {
        const Gfx::InputElementDesc layout[] = {
            { "POSITION", 0, Gfx::Format::R32G32B32_FLOAT, 0, 0, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
            { "TEXCOORD", 0, Gfx::Format::R32G32B32A32_FLOAT, 0, 12, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
            { "TEXCOORD", 1, Gfx::Format::R32G32_FLOAT, 0, 28, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
        };
        Gfx::Device* device = GraphicsServices::GetDevice();
        return device && Gfx::Succeeded(device->CreateInputLayout(layout, 3, aVertexShaderBytecode.data(), aVertexShaderBytecode.size(),
                                                                  myInputLayout.ReleaseAndGetAddressOf()));
    }
}
