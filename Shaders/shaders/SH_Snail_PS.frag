#version 450
#extension GL_GOOGLE_include_directive : require
// The snail-shell box: the default model look, turning to dark, grey stone as the box grows heavy.
// The heaviness (0 light .. 1 heavy) arrives as the first custom parameter (b3.x).
#include "../Shaders/include/ConstantBlocks.glsl"
#include "../Shaders/include/ModelPixelInput.glsl"

const vec3 STONE_TINT = vec3(0.32, 0.33, 0.36);

void main()
{
    float heaviness = clamp(custom.customParameters.x, 0.0, 1.0);
    vec4 albedo = texture(colorTexture, inTexCoord);
    float grey = dot(albedo.rgb, vec3(0.299, 0.587, 0.114));
    albedo.rgb = mix(albedo.rgb, STONE_TINT * (0.5 + grey), heaviness);

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
    // A heavy shell loses its soft inner glow.
    vec3 emissive = albedo.rgb * texture(effectsTexture, inTexCoord).r * (1.0 - heaviness);
    outColor = vec4(albedo.rgb * (light + ambient) + emissive, albedo.a);
}
