#version 450
#extension GL_GOOGLE_include_directive : require
// Colour texture times the per-vertex (per-sprite) tint.
layout(location = 0) in vec2 inTexCoord;
layout(location = 1) in vec4 inColor;
layout(location = 0) out vec4 outColor;

layout(binding = 1) uniform sampler2D colorTexture;

void main()
{
    outColor = texture(colorTexture, inTexCoord) * inColor;
}
