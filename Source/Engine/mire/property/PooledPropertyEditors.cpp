#include "mire/model/ModelFactory.h"
#include "mire/property/PooledPropertyValues.h"
#include "mire/property/PropertyEditorRows.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <imgui.h>
#include <string>
#include <mutex>
#include <string_view>
#include <vector>

namespace Vela
{
    namespace
    {
        std::mutex ourHookMutex;
        AssetBrowserHook ourAssetBrowserHook;

        AssetBrowserHook GetAssetBrowserHook()
        {
            std::lock_guard lock(ourHookMutex);
            return ourAssetBrowserHook;
        }

        const char* PathText(StringId aPath) { return aPath ? aPath.GetString() : "None"; }

        // The path text, which also accepts a dropped asset of aPayloadType (its path as text).
        bool DrawPathDropTarget(StringId& aPath, const char* aPayloadType)
        {
            ImGui::TextUnformatted(PathText(aPath));
            bool changed = false;
            if (ImGui::BeginDragDropTarget())
            {
                if (const ImGuiPayload* payload = ImGui::AcceptDragDropPayload(aPayloadType))
                {
                    // The payload is NUL-terminated text; never read beyond its size.
                    const auto* text = static_cast<const char*>(payload->Data);
                    std::string_view dropped(text, payload->DataSize > 0 ? static_cast<size_t>(payload->DataSize) : 0);
                    dropped = dropped.substr(0, dropped.find('\0'));
                    const StringId path = StringRegistry::RegisterOrGetString(dropped);
                    changed = path != aPath;
                    aPath = path;
                }
                ImGui::EndDragDropTarget();
            }
            return changed;
        }

        // "Set From AssetBrowser" (when a hook is installed) and "Clear".
        bool DrawPathButtons(StringId& aPath)
        {
            bool changed = false;
            if (const AssetBrowserHook hook = GetAssetBrowserHook())
            {
                if (ImGui::Button("Set From AssetBrowser"))
                {
                    StringId selection = aPath;
                    hook(selection);
                    if (selection != aPath)
                    {
                        aPath = selection;
                        changed = true;
                    }
                }
                ImGui::SameLine();
            }
            if (ImGui::Button("Clear") && aPath)
            {
                aPath = StringId();
                changed = true;
            }
            return changed;
        }

        // Rows "Path" and the buttons row for one asset path. Works on a copy so that the shared
        // object is only made unique when something really changes.
        bool DrawAssetPathRows(StringId aPath, const char* aPayloadType, StringId& aOutPath)
        {
            PropertyEditorSubRow("Path");
            bool changed = DrawPathDropTarget(aPath, aPayloadType);
            PropertyEditorSubRow("");
            changed = DrawPathButtons(aPath) || changed;
            aOutPath = aPath;
            return changed;
        }

        bool DrawTextureSlotRow(int aSlot, const char* aName, StringId& aTexture)
        {
            ImGui::PushID(aSlot);
            PropertyEditorSubRow(aName);
            bool changed = DrawPathDropTarget(aTexture, ".dds");
            changed = DrawPathButtons(aTexture) || changed;
            ImGui::PopID();
            return changed;
        }

        template <typename T>
        bool DrawReferenceEditor(CopyOnWriteWrapper<T>& aValue, StringId T::*aPathMember, const char* aPayloadType, const char* aLabel, const char* aTooltip)
        {
            if (!PropertyEditorHeader(aLabel, aTooltip))
            {
                ImGui::TextUnformatted(PathText(aValue.Get().*aPathMember));
                return false;
            }
            StringId path;
            const bool changed = DrawAssetPathRows(aValue.Get().*aPathMember, aPayloadType, path);
            if (changed)
            {
                aValue.MakeUnique().*aPathMember = path;
            }
            ImGui::PopID();
            return changed;
        }
    }

    bool DrawSceneModelTextureRows(SceneModel& aModel, std::span<const std::string_view> someMeshNames)
    {
        static constexpr const char* SLOT_NAMES[SCENE_MODEL_TEXTURE_SLOTS] = {
            "[0] Color", "[1] Normal", "[2] Material", "[3] Effects", "[4] Shader_VS", "[5] Shader_PS"
        };
        auto drawSlots = [&](int aMesh) {
            bool changed = false;
            for (int slot = 0; slot < SCENE_MODEL_TEXTURE_SLOTS; ++slot)
            {
                changed = DrawTextureSlotRow(slot, SLOT_NAMES[slot], aModel.textures[aMesh][slot]) || changed;
            }
            return changed;
        };

        PropertyEditorBeginValue(true);
        const bool open = ImGui::TreeNode("Textures");
        PropertyEditorEndValue(true);
        if (!open)
        {
            return false;
        }
        bool changed = false;
        const int meshCount = static_cast<int>(std::min<size_t>(someMeshNames.size(), MAX_SCENE_MODEL_MESHES));
        for (int mesh = 0; mesh < meshCount; ++mesh)
        {
            ImGui::PushID(mesh);
            if (meshCount == 1)
            {
                changed = drawSlots(mesh) || changed;
            }
            else
            {
                PropertyEditorBeginValue(true);
                const std::string meshName(someMeshNames[mesh]);
                const bool meshOpen = ImGui::TreeNode(meshName.c_str());
                PropertyEditorEndValue(true);
                if (meshOpen)
                {
                    changed = drawSlots(mesh) || changed;
                    ImGui::TreePop();
                }
            }
            ImGui::PopID();
        }
        ImGui::TreePop();
        return changed;
    }

    void SetAssetBrowserHook(AssetBrowserHook aHook)
    {
        std::lock_guard lock(ourHookMutex);
        ourAssetBrowserHook = std::move(aHook);
    }

    bool DrawPropertyValueEditor(AnimationClipValue& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawReferenceEditor(aValue, &AnimationClipReference::clipPath, ".kvac", aLabel, aTooltip);
    }

    bool DrawPropertyValueEditor(SceneReferenceValue& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawReferenceEditor(aValue, &SceneReference::scenePath, ".kvs", aLabel, aTooltip);
    }

    bool DrawPropertyValueEditor(SceneModelValue& aValue, const char* aLabel, const char* aTooltip)
    {
        if (!PropertyEditorHeader(aLabel, aTooltip))
        {
            ImGui::TextUnformatted(PathText(aValue->path));
            return false;
        }
        SceneModel edited = aValue.Get();
        bool changed = DrawAssetPathRows(edited.path, ".fbx", edited.path);

        if (edited.path)
        {
            // The slot rows follow the meshes of the model itself, fetched (and cached) by the factory.
            if (const std::shared_ptr<Model> model = ModelFactory::GetInstance().GetModel(edited.path.GetString()))
            {
                std::vector<std::string_view> meshNames;
                for (const MeshData& mesh : model->GetMeshes())
                {
                    meshNames.push_back(mesh.myName);
                }
                changed = DrawSceneModelTextureRows(edited, meshNames) || changed;
            }
        }

        PropertyEditorSubRow("Uses Transparency");
        changed = ImGui::Checkbox("##TransparentFlag", &edited.TransparentFlag) || changed;
        changed = edited.TransparentFlag != aValue->TransparentFlag || edited.path != aValue->path || changed;
        if (changed)
        {
            aValue.MakeUnique() = edited;
        }
        ImGui::PopID();
        return changed;
    }

    bool DrawPropertyValueEditor(SceneSpriteValue& aValue, const char* aLabel, const char* aTooltip)
    {
        static constexpr const char* SLOT_NAMES[SCENE_SPRITE_TEXTURE_SLOTS] = {
            "[0] Color Texture", "[1] Normal Texture", "[2] Material Texture", "[3] Effects Texture"
        };
        if (!PropertyEditorHeader(aLabel, aTooltip))
        {
            ImGui::TextUnformatted(PathText(aValue->textures[0]));
            return false;
        }
        SceneSprite edited = aValue.Get();
        bool changed = false;
        for (int slot = 0; slot < SCENE_SPRITE_TEXTURE_SLOTS; ++slot)
        {
            changed = DrawTextureSlotRow(slot, SLOT_NAMES[slot], edited.textures[slot]) || changed;
        }
        PropertyEditorSubRow("");
        PropertyEditorSubRow("Size");
        ImGui::DragFloat2("##size", &edited.size.x, 1.0f, 0.0f, 0.0f, "%.3f");
        PropertyEditorSubRow("Pivot");
        ImGui::DragFloat2("##pivot", &edited.pivot.x, 1.0f, 0.0f, 0.0f, "%.3f");
        changed = changed || !(edited.size == aValue->size) || !(edited.pivot == aValue->pivot);
        if (changed)
        {
            aValue.MakeUnique() = edited;
        }
        ImGui::PopID();
        return changed;
    }
}
