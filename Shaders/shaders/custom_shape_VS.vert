#version 450
#extension GL_GOOGLE_include_directive : require
// Triangle shapes in world space; the shape's own transform comes in b4.
#include "../Shaders/include/ConstantBlocks.glsl"

layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec4 inColor;
layout(location = 2) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;
layout(location = 1) out vec2 outTexCoord;

void main()
{
    gl_Position = vec4(inPosition, 1.0) * object.objectToWorld * camera.worldToCamera * camera.projection;
    outColor = inColor;
    outTexCoord = inTexCoord;
}
