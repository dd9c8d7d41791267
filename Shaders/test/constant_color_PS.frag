#version 450
// The colour of the custom-parameter block (b3) times the object block's first row (b4).
layout(std140, binding = 3) uniform Custom
{
    vec4 color;
};
layout(std140, binding = 4) uniform Object
{
    vec4 scale;
};
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;

void main()
{
    outColor = color * scale;
}
