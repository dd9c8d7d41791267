#include "ModelFactoryTestSupport.h"

#include "mire/property/PooledPropertyValues.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Support/HeadlessImGui.h"

using VelaTest::ModelFactoryTest;

namespace
{
    // Draws the "Model" editor in one headless frame with its "Textures" tree open or closed; returns how far
    // down the editor's rows reached.
    float DrawModelEditor(Vela::SceneModelValue& aValue, bool aTreeOpen, bool& aChanged)
    {
        VelaTest::HeadlessImGui imgui;
        float bottom = 0.0f;
        imgui.Frame([&] {
            ImGui::PushID("Model");
            ImGui::GetStateStorage()->SetInt(ImGui::GetID("Textures"), aTreeOpen ? 1 : 0);
            ImGui::PopID();
            aChanged = Vela::DrawPropertyValueEditor(aValue, "Model", nullptr);
            bottom = ImGui::GetCursorPosY();
        });
        return bottom;
    }
}

TEST_F(ModelFactoryTest, ModelEditorShowsTextureSlotsOnlyForAModelThatLoads)
{
    Vela::SceneModelValue loaded;
    loaded.MakeUnique().path = Vela::StringRegistry::RegisterOrGetString("fbx/maya_cube_7500_binary.fbx");
    Vela::SceneModelValue missing;
    missing.MakeUnique().path = Vela::StringRegistry::RegisterOrGetString("props/missing.fbx");
    Vela::SceneModelValue empty;

    bool changed = true;
    const float withSlots = DrawModelEditor(loaded, true, changed);
    EXPECT_FALSE(changed);
    const float closedTree = DrawModelEditor(loaded, false, changed);
    const float missingModel = DrawModelEditor(missing, true, changed);
    const float noPath = DrawModelEditor(empty, true, changed);

    // Six slot rows under the open tree; a closed tree, a model that does not load or no path show none.
    EXPECT_GT(withSlots, closedTree);
    EXPECT_GT(closedTree, missingModel);
    EXPECT_EQ(missingModel, noPath);
    // The editor fetched the model through the factory, which keeps it.
    EXPECT_EQ(Factory().GetModel("fbx/maya_cube_7500_binary.fbx"), Factory().GetModel("fbx/maya_cube_7500_binary.fbx"));
}
