#include "ModelCatalog.h"

#include <filesystem>
#include <stdexcept>

namespace Levels
{
    namespace
    {
        // Stone blocks: the first mesh is the stone below an 8 units thick layer of moss.
        ModelInfo Block(const char* aPath, float aWidth, float aHeight)
        {
            constexpr float MOSS = 8.0f;
            return { aPath, { "M_Stone", "M_Mire" }, aWidth, aHeight, -MOSS * 0.5f, aWidth * 0.5f, (aHeight - MOSS) * 0.5f };
        }

        const std::vector<ModelInfo>& Blocks()
        {
            static const std::vector<ModelInfo> BLOCKS = {
                Block("models/Level/SM_Block_100x100.fbx", 100, 100), Block("models/Level/SM_Block_200x100.fbx", 200, 100),
                Block("models/Level/SM_Block_400x100.fbx", 400, 100), Block("models/Level/SM_Block_400x200.fbx", 400, 200),
                Block("models/Level/SM_Block_800x200.fbx", 800, 200), Block("models/Level/SM_Block_100x400.fbx", 100, 400),
            };
            return BLOCKS;
        }

        const std::vector<ModelInfo>& Others()
        {
            static const std::vector<ModelInfo> MODELS = {
                { "models/Player/SK_Player.fbx", { "M_Mire" } },
                { "models/Snail/SK_SnailBox.fbx", { "M_Mire" } },
                { "models/Glomp/SK_Glomp.fbx", { "M_Mire" } },
                { "models/Eyecorn/SK_Eyecorn.fbx", { "M_Mire" } },
                { "models/Props/SM_Orb.fbx", { "M_Glow" } },
                { "models/Props/SM_Socket.fbx", { "M_Mire", "M_Glow" } },
                { "models/Props/SM_RotatingStair.fbx", { "M_Mire" } },
                { "models/Props/SM_Grass.fbx", { "M_Mire" } },
                { "models/Props/SM_Floor_Intact.fbx", { "M_Mire" }, 400, 30, 0, 200, 15 },
                { "models/Props/SM_Floor_Broken.fbx", { "M_Mire" }, 400, 30 },
                { "models/Level/SM_Backdrop.fbx", { "M_Stone" }, 1600, 900 },
            };
            return MODELS;
        }

        // Only the glow material has an effects texture; the engine's defaults fill the other slots.
        std::string EffectsTexture(const std::string& aFolder, const std::string& aMaterial)
        {
            return aMaterial == "M_Glow" ? aFolder + aMaterial + "_FX.dds" : "Textures/T_Default_fx.dds";
        }
    }

    const ModelInfo& FindModel(const std::string& aPath)
    {
        for (const std::vector<ModelInfo>* list : { &Blocks(), &Others() })
        {
            for (const ModelInfo& model : *list)
            {
                if (aPath == model.myPath)
                {
                    return model;
                }
            }
        }
        throw std::runtime_error("no model " + aPath + " in the catalog");
    }

    std::span<const ModelInfo> BlockModels() { return Blocks(); }

    nlohmann::json ModelValue(const ModelInfo& aModel, bool aTransparent)
    {
        const std::string folder = std::filesystem::path(aModel.myPath).parent_path().string() + "/";
        nlohmann::json textures = nlohmann::json::array();
        for (const std::string material : aModel.myMaterials)
        {
            textures.push_back({ folder + material + "_C.dds", "Textures/T_Default_n.dds", "Textures/T_Default_m.dds",
                                 EffectsTexture(folder, material), "", "" });
        }
        return { { "path", aModel.myPath }, { "textures", textures }, { "TransparentFlag", aTransparent } };
    }

    nlohmann::json ClipValue(const std::string& aClipPath) { return { { "clip_path", aClipPath } }; }
}
