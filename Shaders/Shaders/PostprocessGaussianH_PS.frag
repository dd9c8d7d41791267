#version 450
#extension GL_GOOGLE_include_directive : require
// One horizontal pass of a separable nine-tap Gaussian blur.
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D source;

const float WEIGHTS[5] = float[](0.227027, 0.1945946, 0.1216216, 0.054054, 0.016216);

void main()
{
    vec2 step = vec2(1.0, 0.0) / vec2(textureSize(source, 0));
    vec4 sum = texture(source, inTexCoord) * WEIGHTS[0];
    for (int i = 1; i < 5; ++i)
    {
        sum += texture(source, inTexCoord + step * float(i)) * WEIGHTS[i];
        sum += texture(source, inTexCoord - step * float(i)) * WEIGHTS[i];
    }
    outColor = sum;
}
