#version 450
// Looks the cube map in t0 up along a direction given by the custom parameters (b3).
layout(binding = 0) uniform samplerCube environment;
layout(std140, binding = 3) uniform Custom
{
    vec4 direction;
};
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;

void main()
{
    outColor = texture(environment, direction.xyz);
}
