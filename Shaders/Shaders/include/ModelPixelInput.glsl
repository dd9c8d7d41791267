layout(location = 0) in vec3 inWorldPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec3 inTangent;
layout(location = 3) in vec3 inBinormal;
layout(location = 4) in vec2 inTexCoord;
layout(location = 5) in vec4 inColor;

layout(location = 0) out vec4 outColor;

layout(binding = 0) uniform samplerCube environmentMap;
layout(binding = 1) uniform sampler2D colorTexture;
layout(binding = 2) uniform sampler2D normalTexture;
layout(binding = 3) uniform sampler2D materialTexture; // r occlusion, g roughness, b metalness
layout(binding = 4) uniform sampler2D effectsTexture;  // r emissive strength

// World-space normal from the tangent-space normal map.
vec3 SurfaceNormal()
{
    vec3 tangentNormal = texture(normalTexture, inTexCoord).xyz * 2.0 - 1.0;
    vec3 normal = normalize(inNormal);
    vec3 tangent = normalize(inTangent - normal * dot(inTangent, normal));
    vec3 binormal = normalize(inBinormal);
    vec3 mapped = tangent * tangentNormal.x + binormal * tangentNormal.y + normal * tangentNormal.z;
    return length(mapped) > 0.0001 ? normalize(mapped) : normal;
}

// The main light travels along the light matrix's third row (GLSL indexes [column][row]).
vec3 DirectionToMainLight()
{
    vec3 travel = vec3(lights.lightMatrix[0][2], lights.lightMatrix[1][2], lights.lightMatrix[2][2]);
    return length(travel) > 0.0001 ? -normalize(travel) : vec3(0.0, 0.0, -1.0);
}

vec3 CameraPosition()
{
    return vec3(camera.cameraToWorld[0][3], camera.cameraToWorld[1][3], camera.cameraToWorld[2][3]);
}

float PointLightFalloff(int aIndex, out vec3 aDirection)
{
    vec3 offset = lights.pointLights[aIndex].position.xyz - inWorldPosition;
    float distance = length(offset);
    float range = max(lights.pointLights[aIndex].rangeAndParameter.x, 0.0001);
    aDirection = distance > 0.0001 ? offset / distance : vec3(0.0, 0.0, -1.0);
    float fade = clamp(1.0 - distance / range, 0.0, 1.0);
    return fade * fade;
}

float EnvironmentMipCount()
{
    return float(textureQueryLevels(environmentMap));
}
