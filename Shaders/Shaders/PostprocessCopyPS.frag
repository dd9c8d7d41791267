#version 450
#extension GL_GOOGLE_include_directive : require
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D source;

void main()
{
    outColor = texture(source, inTexCoord);
}
