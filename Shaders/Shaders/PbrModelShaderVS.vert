#version 450
#extension GL_GOOGLE_include_directive : require
// Static meshes.
#include "include/ConstantBlocks.glsl"
#include "include/ModelVertexInput.glsl"

void main()
{
    EmitModelVertex(vec4(inPosition.xyz, 1.0), inNormal, inTangent, inBinormal);
}
