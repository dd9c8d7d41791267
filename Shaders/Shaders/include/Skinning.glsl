layout(std140, binding = 5, row_major) uniform BoneBuffer
{
    mat4 bones[128];
} skeleton;

// Blends the four bone matrices by their weights; bone indices arrive as floats.
mat4 SkinMatrix()
{
    mat4 skin = mat4(0.0);
    for (int i = 0; i < 4; ++i)
    {
        int bone = clamp(int(inBones[i] + 0.5), 0, 127);
        skin += skeleton.bones[bone] * inWeights[i];
    }
    float total = inWeights.x + inWeights.y + inWeights.z + inWeights.w;
    return total > 0.0001 ? skin : mat4(1.0);
}
