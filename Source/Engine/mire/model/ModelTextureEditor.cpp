#include "mire/model/ModelTextureEditor.h"

#include "mire/model/ModelFactory.h"
#include "mire/property/PropertyEditorRows.h"

#include <imgui.h>

#include <algorithm>

namespace Vela
{
    namespace
    {
        constexpr const char* SLOT_NAMES[SCENE_MODEL_TEXTURE_SLOTS] = { "[0] Color", "[1] Normal", "[2] Material",
                                                                         "[3] Effects", "[4] Shader_VS", "[5] Shader_PS" };

        bool DrawSlotRows(StringId (&someSlots)[SCENE_MODEL_TEXTURE_SLOTS], const ModelTextureSlotRow& aDrawSlotRow)
        {
            bool changed = false;
            for (int slot = 0; slot < SCENE_MODEL_TEXTURE_SLOTS; ++slot)
            {
                changed = aDrawSlotRow(slot, SLOT_NAMES[slot], someSlots[slot]) || changed;
            }
            return changed;
        }

        // A row whose name cell is a tree node.
        bool TreeNodeRow(const char* aName)
        {
            PropertyEditorBeginValue(true);
            const bool open = ImGui::TreeNode(aName);
            PropertyEditorEndValue(true);
            return open;
        }
    }

    bool DrawModelTextureRows(StringId aModelPath, StringId (&someTextures)[MAX_SCENE_MODEL_MESHES][SCENE_MODEL_TEXTURE_SLOTS],
                              const ModelTextureSlotRow& aDrawSlotRow)
    {
        if (!aModelPath || !aDrawSlotRow)
        {
            return false;
        }
        const std::shared_ptr<Model> model = ModelFactory::GetInstance().GetModel(aModelPath.GetString());
        if (!model || !TreeNodeRow("Textures"))
        {
            return false;
        }
        bool changed = false;
        const std::vector<MeshData>& meshes = model->GetMeshes();
        const size_t meshCount = std::min<size_t>(meshes.size(), MAX_SCENE_MODEL_MESHES);
        for (size_t mesh = 0; mesh < meshCount; ++mesh)
        {
            ImGui::PushID(static_cast<int>(mesh));
            if (meshes.size() == 1)
            {
                changed = DrawSlotRows(someTextures[mesh], aDrawSlotRow) || changed;
            }
            else if (TreeNodeRow(meshes[mesh].myName.c_str()))
            {
                changed = DrawSlotRows(someTextures[mesh], aDrawSlotRow) || changed;
                ImGui::TreePop();
            }
            ImGui::PopID();
        }
        ImGui::TreePop();
        return changed;
    }
}
