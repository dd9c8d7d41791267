#version 450
#extension GL_GOOGLE_include_directive : require
// The default model look: colour texture times vertex colour, lit by the main light, the point
// lights and a soft ambient from the environment map.
#include "../Shaders/include/ConstantBlocks.glsl"
#include "../Shaders/include/ModelPixelInput.glsl"

void main()
{
    vec4 albedo = texture(colorTexture, inTexCoord);
    vec3 normal = SurfaceNormal();
    float occlusion = texture(materialTexture, inTexCoord).r;

    vec3 light = lights.mainLightColor.rgb * max(dot(normal, DirectionToMainLight()), 0.0);
    for (int i = 0; i < min(lights.pointLightCount, 8); ++i)
    {
        vec3 direction;
        float falloff = PointLightFalloff(i, direction);
        light += lights.pointLights[i].color.rgb * falloff * max(dot(normal, direction), 0.0);
    }
    vec3 ambient = textureLod(environmentMap, normal, EnvironmentMipCount() - 1.0).rgb * 0.25 * occlusion;
    vec3 emissive = albedo.rgb * texture(effectsTexture, inTexCoord).r;
    outColor = vec4(albedo.rgb * (light + ambient) + emissive, albedo.a);
}
