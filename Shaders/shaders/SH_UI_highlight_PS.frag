#version 450
#extension GL_GOOGLE_include_directive : require
// Menu buttons: the colour texture times the sprite tint, brightened by the highlight colour that the
// menu hands over as the custom parameters (all zero when the button is not selected).
#include "../Shaders/include/ConstantBlocks.glsl"

layout(location = 0) in vec2 inTexCoord;
layout(location = 1) in vec4 inColor;
layout(location = 0) out vec4 outColor;

layout(binding = 1) uniform sampler2D colorTexture;

void main()
{
    vec4 base = texture(colorTexture, inTexCoord) * inColor;
    // Only the button's own pixels light up, so transparent margins stay transparent.
    vec3 highlight = custom.customParameters.rgb * base.a;
    outColor = vec4(min(base.rgb + highlight, vec3(1.0)), base.a);
}
