#pragma once
#include "mire/property/PooledPropertyValues.h"
#include "mire/stringRegistry/StringId.h"

#include <functional>

namespace Vela
{
    // Draws one texture slot row of a "Model" value (name, path drop target, buttons); true when it changed.
    using ModelTextureSlotRow = std::function<bool(int aSlot, const char* aName, StringId& aTexture)>;

    // The "Textures" tree of the "Model" property editor: the model is fetched through the model factory and,
    // when it loads, each of its first meshes (at most MAX_SCENE_MODEL_MESHES) gets six slot rows, directly for a
    // one-mesh model and under a tree node named after the mesh otherwise. True when any slot changed.
    bool DrawModelTextureRows(StringId aModelPath, StringId (&someTextures)[MAX_SCENE_MODEL_MESHES][SCENE_MODEL_TEXTURE_SLOTS],
                              const ModelTextureSlotRow& aDrawSlotRow);
}
