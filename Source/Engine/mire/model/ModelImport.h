#pragma once
#include "mire/animation/Animation.h"
#include "mire/model/MeshData.h"
#include "mire/model/Skeleton.h"

#include "VelaFBXRecords.h"

namespace Vela::impl
{
    Matrix4x4<float> ToMatrix(const VelaFBX::Matrix4x4f& aMatrix);

    // The engine keeps the imported vertex but holds bone indices as floats, and a colour set whose
    // components add up to exactly zero (no colour layer in the file) becomes white.
    ModelVertex ConvertVertex(const VelaFBX::Vertex& aVertex);

    // One joint per bone, in bone order. False, with nothing built, past MAX_ANIMATION_BONES.
    bool BuildSkeleton(const VelaFBX::Skeleton& aImported, Skeleton& aOut);

    // CPU side of one mesh; the buffers are made by the factory.
    MeshData ConvertMesh(const VelaFBX::ImportedMesh& aMesh, const std::vector<VelaFBX::Material>& someMaterials);

    // One pose per imported frame for the joints of aSkeleton, matched by bone name; joints missing from the
    // clip stay identity and bones the skeleton lacks are skipped.
    void ConvertAnimation(const VelaFBX::ImportedAnimation& aImported, const Skeleton& aSkeleton, Animation& aOut);

    // The clip's name as wide text (UTF-8 decoded; bytes that are not UTF-8 are taken one by one).
    std::wstring WidenPath(const std::string& aPath);
}
