#version 450
#extension GL_GOOGLE_include_directive : require
// Metal/roughness shading (GGX, Smith, Schlick) under the main light and the point lights, with
// image-based ambient from the environment cube map.
#include "include/ConstantBlocks.glsl"
#include "include/ModelPixelInput.glsl"

const float PI = 3.14159265;

float Distribution(float aNdotH, float aRoughness)
{
    float alpha = aRoughness * aRoughness;
    float alphaSqr = alpha * alpha;
    float denominator = aNdotH * aNdotH * (alphaSqr - 1.0) + 1.0;
    return alphaSqr / max(PI * denominator * denominator, 0.0001);
}

float Visibility(float aNdotV, float aNdotL, float aRoughness)
{
    float k = (aRoughness + 1.0) * (aRoughness + 1.0) / 8.0;
    float view = aNdotV / (aNdotV * (1.0 - k) + k);
    float light = aNdotL / (aNdotL * (1.0 - k) + k);
    return view * light;
}

vec3 Fresnel(float aCosine, vec3 aF0)
{
    return aF0 + (1.0 - aF0) * pow(1.0 - clamp(aCosine, 0.0, 1.0), 5.0);
}

vec3 Shade(vec3 aNormal, vec3 aToView, vec3 aToLight, vec3 aRadiance, vec3 aAlbedo, float aRoughness, float aMetalness)
{
    vec3 halfway = normalize(aToView + aToLight);
    float NdotL = max(dot(aNormal, aToLight), 0.0);
    float NdotV = max(dot(aNormal, aToView), 0.0001);
    float NdotH = max(dot(aNormal, halfway), 0.0);
    vec3 f0 = mix(vec3(0.04), aAlbedo, aMetalness);
    vec3 fresnel = Fresnel(dot(halfway, aToView), f0);
    vec3 specular = Distribution(NdotH, aRoughness) * Visibility(NdotV, NdotL, aRoughness) * fresnel / max(4.0 * NdotV * NdotL, 0.0001);
    vec3 diffuse = (1.0 - fresnel) * (1.0 - aMetalness) * aAlbedo / PI;
    return (diffuse + specular) * aRadiance * NdotL;
}

void main()
{
    vec4 albedo = texture(colorTexture, inTexCoord);
    vec3 material = texture(materialTexture, inTexCoord).rgb;
    float occlusion = material.r;
    float roughness = clamp(material.g, 0.05, 1.0);
    float metalness = clamp(material.b, 0.0, 1.0);
    vec3 normal = SurfaceNormal();
    vec3 toView = normalize(CameraPosition() - inWorldPosition);

    vec3 color = Shade(normal, toView, DirectionToMainLight(), lights.mainLightColor.rgb * PI, albedo.rgb, roughness, metalness);
    for (int i = 0; i < min(lights.pointLightCount, 8); ++i)
    {
        vec3 direction;
        float falloff = PointLightFalloff(i, direction);
        color += Shade(normal, toView, direction, lights.pointLights[i].color.rgb * falloff * PI, albedo.rgb, roughness, metalness);
    }

    float mips = EnvironmentMipCount();
    vec3 f0 = mix(vec3(0.04), albedo.rgb, metalness);
    vec3 fresnel = Fresnel(dot(normal, toView), f0);
    vec3 diffuseLight = textureLod(environmentMap, normal, mips - 1.0).rgb;
    vec3 reflected = reflect(-toView, normal);
    vec3 specularLight = textureLod(environmentMap, reflected, roughness * (mips - 1.0)).rgb;
    vec3 ambient = ((1.0 - fresnel) * (1.0 - metalness) * albedo.rgb * diffuseLight + fresnel * specularLight) * 0.25 * occlusion;

    vec3 emissive = albedo.rgb * texture(effectsTexture, inTexCoord).r;
    outColor = vec4(color + ambient + emissive, albedo.a);
}
