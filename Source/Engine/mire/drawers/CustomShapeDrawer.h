#pragma once
#include "mire/graphics/Shader.h"

namespace Vela
{
    // Buffers and shaders for triangle shapes: position, colour and UV per vertex.
    class CustomShapeDrawer : public Shader
    {
    public:
        static constexpr uint32_t VERTEX_STRIDE = 36;
        static constexpr uint32_t CONSTANT_BUFFER_SIZE = 64;

        CustomShapeDrawer() = default;
        CustomShapeDrawer(const CustomShapeDrawer&) = delete;
        CustomShapeDrawer& operator=(const CustomShapeDrawer&) = delete;

        bool Init() override;
        uint32_t GetMaxVertexCount() const { return myMaxVertexCount; }

    protected:
        bool CreateInputLayout(const std::string& aVertexShaderBytecode) override;

    private:
        Gfx::Ref<Gfx::Buffer> myVertexBuffer;
        Gfx::Ref<Gfx::Buffer> myConstantBuffer;
        uint32_t myMaxVertexCount = 0;
    };
}
