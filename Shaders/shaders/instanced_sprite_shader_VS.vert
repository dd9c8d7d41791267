#version 450
#extension GL_GOOGLE_include_directive : require
// One instance per sprite of a six-vertex quad covering local x 0..1, y 0..-1 (top-left at the origin).
#include "../Shaders/include/ConstantBlocks.glsl"

layout(location = 0) in vec4 inPosition;
layout(location = 1) in uvec4 inCorner;
layout(location = 2) in vec4 inWorldRow0;
layout(location = 3) in vec4 inWorldRow1;
layout(location = 4) in vec4 inWorldRow2;
layout(location = 5) in vec4 inWorldRow3;
layout(location = 6) in vec4 inColor;          // linear tint
layout(location = 7) in vec4 inUvOffsetScale;  // offset xy, scale zw
layout(location = 8) in vec4 inRectangle;      // arrives as x0, y1, x1, y0

layout(location = 0) out vec2 outTexCoord;
layout(location = 1) out vec4 outColor;

void main()
{
    // Rows as written by the drawer: p' = p * world.
    mat4 world = transpose(mat4(inWorldRow0, inWorldRow1, inWorldRow2, inWorldRow3));
    vec4 worldPosition = vec4(inPosition.xy, 0.0, 1.0) * world;
    gl_Position = worldPosition * camera.worldToCamera * camera.projection;

    vec2 quadUv = vec2(inPosition.x, -inPosition.y);
    vec2 uv = inUvOffsetScale.xy + quadUv * inUvOffsetScale.zw;
    vec2 rectangleMin = vec2(inRectangle.x, inRectangle.w);
    vec2 rectangleMax = vec2(inRectangle.z, inRectangle.y);
    outTexCoord = mix(rectangleMin, rectangleMax, uv);
    outColor = inColor;
}
