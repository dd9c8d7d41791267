#version 450
// Samples t1 through s0, as the engine's material shaders do.
layout(binding = 1) uniform sampler2D colorTexture;
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;

void main()
{
    outColor = texture(colorTexture, inTexCoord);
}
