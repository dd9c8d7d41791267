#pragma once
// The demo content's models as the levels use them: where each file lies, which materials its meshes
// carry (in mesh order) and the bounds of its first mesh, from which the level builder fits colliders.
#include <nlohmann/json.hpp>

#include <span>
#include <string>
#include <vector>

namespace Levels
{
    struct ModelInfo
    {
        const char* myPath;
        std::vector<const char*> myMaterials; // one per mesh
        float myWidth = 0.0f;                 // the whole model's size, for blocks that are scaled to fit
        float myHeight = 0.0f;
        float myFirstMeshCentreY = 0.0f; // the first mesh's bounds, which colliders are fitted around
        float myFirstMeshHalfWidth = 0.0f;
        float myFirstMeshHalfHeight = 0.0f;
    };

    const ModelInfo& FindModel(const std::string& aPath);
    // The stone blocks that level geometry is built from.
    std::span<const ModelInfo> BlockModels();

    // A "Model" property value: the model with all four texture slots of every mesh named, so no
    // mesh falls back to the placeholder, and no shader of its own.
    nlohmann::json ModelValue(const ModelInfo& aModel, bool aTransparent = false);
    nlohmann::json ClipValue(const std::string& aClipPath);
}
