#version 450
#extension GL_GOOGLE_include_directive : require
// Plain diffuse lighting: the main light, the point lights and the environment's ambient.
#include "include/ConstantBlocks.glsl"
#include "include/ModelPixelInput.glsl"

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
    vec3 ambient = textureLod(environmentMap, normal, EnvironmentMipCount() - 1.0).rgb * 0.3 * occlusion;
    vec3 emissive = albedo.rgb * texture(effectsTexture, inTexCoord).r;
    outColor = vec4(albedo.rgb * (light + ambient) + emissive, albedo.a);
}
