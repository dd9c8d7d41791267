#pragma once
#include "mire/graphics/Shader.h"
#include "mire/math/Color.h"
#include "mire/math/Vector.h"

namespace Vela
{
    struct LinePrimitive
    {
        Color color;
        Vector3<float> fromPosition;
        Vector3<float> toPosition;
    };

    // One coloured line per draw call (debug drawing).
    class LineDrawer : public Shader
    {
    public:
        static constexpr uint32_t MAX_VERTICES = 2000;
        static constexpr uint32_t VERTEX_STRIDE = 36; // position, colour, 8 bytes not read

        LineDrawer() = default;
        LineDrawer(const LineDrawer&) = delete;
        LineDrawer& operator=(const LineDrawer&) = delete;

        bool Init() override;
        void Draw(const LinePrimitive& aLine);

    protected:
        bool CreateInputLayout(const std::string& aVertexShaderBytecode) override;

    private:
        Gfx::Ref<Gfx::Buffer> myVertexBuffer;
    };
}
