#version 450
#extension GL_GOOGLE_include_directive : require
// Filmic (ACES fitted) tone map of linear HDR colour to 0..1.
layout(location = 0) in vec2 inTexCoord;
layout(location = 0) out vec4 outColor;
layout(binding = 0) uniform sampler2D source;

vec3 Tonemap(vec3 aColor)
{
    const float a = 2.51, b = 0.03, c = 2.43, d = 0.59, e = 0.14;
    return clamp((aColor * (a * aColor + b)) / (aColor * (c * aColor + d) + e), 0.0, 1.0);
}

void main()
{
    vec4 color = texture(source, inTexCoord);
    outColor = vec4(Tonemap(max(color.rgb, vec3(0.0))), color.a);
}
