#version 450
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec2 inTexCoord;
layout(location = 0) out vec2 outTexCoord;

void main()
{
    gl_Position = inPosition;
    outTexCoord = inTexCoord;
}
