// The 180-byte model vertex, one location per input-layout element in layout order.
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec4 inColor0;
layout(location = 2) in vec4 inColor1;
layout(location = 3) in vec4 inColor2;
layout(location = 4) in vec4 inColor3;
layout(location = 5) in vec2 inTexCoord0;
layout(location = 6) in vec2 inTexCoord1;
layout(location = 7) in vec2 inTexCoord2;
layout(location = 8) in vec2 inTexCoord3;
layout(location = 9) in vec3 inNormal;
layout(location = 10) in vec3 inTangent;
layout(location = 11) in vec3 inBinormal;
layout(location = 12) in vec4 inBones;
layout(location = 13) in vec4 inWeights;

layout(location = 0) out vec3 outWorldPosition;
layout(location = 1) out vec3 outNormal;
layout(location = 2) out vec3 outTangent;
layout(location = 3) out vec3 outBinormal;
layout(location = 4) out vec2 outTexCoord;
layout(location = 5) out vec4 outColor;

// Writes every output for a vertex already placed in object space by the caller's skinning.
void EmitModelVertex(vec4 aObjectPosition, vec3 aNormal, vec3 aTangent, vec3 aBinormal)
{
    vec4 world = aObjectPosition * object.objectToWorld;
    mat3 toWorld = mat3(object.objectToWorld);
    outWorldPosition = world.xyz;
    outNormal = normalize(aNormal * toWorld);
    outTangent = normalize(aTangent * toWorld);
    outBinormal = normalize(aBinormal * toWorld);
    outTexCoord = inTexCoord0;
    outColor = inColor0;
    gl_Position = world * camera.worldToCamera * camera.projection;
}
