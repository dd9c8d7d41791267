#version 450
#extension GL_GOOGLE_include_directive : require
// Shows the source in square blocks of pixelSize screen pixels, each the colour of its centre.
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D source;

layout(std140, binding = 13) uniform PixelateBuffer
{
    float pixelSize;
    uint renderWidth;
    uint renderHeight;
    uint unused;
} pixelate;

void main()
{
    vec2 renderSize = max(vec2(float(pixelate.renderWidth), float(pixelate.renderHeight)), vec2(1.0));
    float size = max(pixelate.pixelSize, 1.0);
    vec2 pixel = inTexCoord * renderSize;
    vec2 blockCentre = (floor(pixel / size) + 0.5) * size;
    outColor = texture(source, blockCentre / renderSize);
}
