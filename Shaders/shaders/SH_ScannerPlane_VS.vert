#version 450
#extension GL_GOOGLE_include_directive : require
// The Eyecorn's scanner beam. Its transform flattens one axis to zero, which is the plane's own normal
// axis, so every direction is normalised only when something of it is left.
#include "../Shaders/include/ConstantBlocks.glsl"
#include "../Shaders/include/ModelVertexInput.glsl"

vec3 SafeNormalize(vec3 aDirection, vec3 aFallback)
{
    float size = length(aDirection);
    return size > 0.000001 ? aDirection / size : aFallback;
}

void main()
{
    vec4 world = vec4(inPosition.xyz, 1.0) * object.objectToWorld;
    mat3 toWorld = mat3(object.objectToWorld);
    outWorldPosition = world.xyz;
    // Facing the camera, which looks along +z.
    outNormal = SafeNormalize(inNormal * toWorld, vec3(0.0, 0.0, -1.0));
    outTangent = SafeNormalize(inTangent * toWorld, vec3(1.0, 0.0, 0.0));
    outBinormal = SafeNormalize(inBinormal * toWorld, vec3(0.0, 1.0, 0.0));
    outTexCoord = inTexCoord0;
    outColor = inColor0;
    gl_Position = world * camera.worldToCamera * camera.projection;
}
