#version 450
#extension GL_GOOGLE_include_directive : require
// The snail-shell box: skinned like every animated model (bone matrices at b5).
#include "../Shaders/include/ConstantBlocks.glsl"
#include "../Shaders/include/ModelVertexInput.glsl"
#include "../Shaders/include/Skinning.glsl"

void main()
{
    mat4 skin = SkinMatrix();
    mat3 skinRotation = mat3(skin);
    EmitModelVertex(vec4(inPosition.xyz, 1.0) * skin, inNormal * skinRotation, inTangent * skinRotation,
                    inBinormal * skinRotation);
}
