#include "PropertyTestSupport.h"

#include "mire/property/PropertyEditorRows.h"
#include "Support/HeadlessImGui.h"

#include <imgui.h>

using namespace Vela;
using nlohmann::json;
using VelaTest::Read;

using VelaTest::HeadlessImGui;

TEST(PropertyEditors, EveryTypeDrawsWithAndWithoutALabelAndReportsNoChangeUntouched)
{
    HeadlessImGui imgui;
    std::vector<Property> values = {
        Read("Bool", true), Read("Int", 3), Read("Float", 1.5), Read("Float2", { 1, 2 }), Read("Float3", { 1, 2, 3 }),
        Read("Float4", { 1, 2, 3, 4 }), Read("Color", { 1, 0, 0, 1 }), Read("StringId", "name"), Read("Pose", nullptr),
        Read("Collider - Box", { 1, 2, 0, true, 3, 4 }),
        Read("Button", { { "height", 1 }, { "width", 2 }, { "x", 0 }, { "y", 0 }, { "z", 0 }, { "function_path", "Play" } }),
        Read("Model", { { "path", "m.fbx" } }), Read("Sprite", { { "texturePath", "s.dds" } }),
        Read("Scene", { { "scene_path", "a.kvs" } }), Read("Animation Clip", { { "clip_path", "c.kvac" } }),
    };
    std::vector<json> before;
    for (const Property& value : values)
    {
        before.push_back(VelaTest::Write(value));
    }

    int changes = 0;
    for (int frame = 0; frame < 3; ++frame)
    {
        imgui.Frame([&] {
            PropertyEditorSkipNextNameSeparator();
            PropertyEditorSkipNextValueSeparator();
            int index = 0;
            for (Property& value : values)
            {
                ImGui::PushID(index++);
                changes += value.GetType()->DrawEditor(value.GetStorage(), value.GetType()->GetDisplayName(), "Help text") ? 1 : 0;
                changes += value.GetType()->DrawEditor(value.GetStorage(), "No tooltip", nullptr) ? 1 : 0;
                ImGui::PopID();
            }
            for (Property& value : values)
            {
                PropertyEditorBeginValue(true);
                PropertyEditorEndValue(true);
                ImGui::PushID(index++);
                changes += value.GetType()->DrawEditor(value.GetStorage(), nullptr, nullptr) ? 1 : 0;
                ImGui::PopID();
            }
        });
    }
    EXPECT_EQ(changes, 0);
    for (size_t i = 0; i < values.size(); ++i)
    {
        EXPECT_EQ(VelaTest::Write(values[i]), before[i]) << values[i].GetType()->GetDisplayName();
    }
    // Drawing a pooled value does not make it unique.
    EXPECT_EQ(values[11].Get<SceneModelValue>()->GetReferenceCount(), 1u);
}

TEST(PropertyEditors, TextEditorInternsWhatWasTyped)
{
    HeadlessImGui imgui;
    Property text = Read("StringId", "ab");
    bool changed = false;
    auto draw = [&](bool aFocus) {
        imgui.Frame([&] {
            PropertyEditorBeginValue(false);
            PropertyEditorEndValue(false);
            if (aFocus)
            {
                ImGui::SetKeyboardFocusHere();
            }
            changed = text.GetType()->DrawEditor(text.GetStorage(), nullptr, nullptr) || changed;
        });
    };
    draw(true);
    draw(false);
    ImGui::GetIO().AddInputCharacter('c');
    draw(false);
    draw(false);
    EXPECT_TRUE(changed);
    // Focusing the field selects its text, so the typed character replaces it.
    EXPECT_STREQ(text.Get<StringId>()->GetString(), "c");
}

TEST(PropertyEditors, ModelTextureTreeDrawsSlotRowsAndStaysBalanced)
{
    HeadlessImGui imgui;
    SceneModel model;
    model.textures[0][1] = StringRegistry::RegisterOrGetString("normal.dds");
    const std::string_view oneMesh[] = { "Body" };
    const std::string_view manyMeshes[] = { "A", "B", "C", "D", "E" };
    // With a hook installed the "Set From AssetBrowser" buttons are drawn too; unclicked they change nothing.
    SetAssetBrowserHook([](StringId& aSelection) { aSelection = StringRegistry::RegisterOrGetString("picked.dds"); });
    bool changed = false;
    for (int frame = 0; frame < 2; ++frame)
    {
        imgui.Frame([&] {
            const ImGuiID before = ImGui::GetID("probe");
            ImGui::SetNextItemOpen(true);
            changed = DrawSceneModelTextureRows(model, oneMesh) || changed;
            ImGui::SetNextItemOpen(true);
            ImGui::PushID("many");
            changed = DrawSceneModelTextureRows(model, manyMeshes) || changed;
            ImGui::PopID();
            changed = DrawSceneModelTextureRows(model, {}) || changed;
            EXPECT_EQ(ImGui::GetID("probe"), before);
        });
    }
    SetAssetBrowserHook(nullptr);
    EXPECT_FALSE(changed);
    EXPECT_EQ(model.textures[0][1], StringRegistry::RegisterOrGetString("normal.dds"));
}
