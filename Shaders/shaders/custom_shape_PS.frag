#version 450
#extension GL_GOOGLE_include_directive : require
layout(location = 0) in vec4 inColor;
layout(location = 1) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;

void main()
{
    outColor = inColor;
}
