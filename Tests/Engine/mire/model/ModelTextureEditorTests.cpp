#include "ModelFactoryTestSupport.h"

#include "mire/property/PooledPropertyValues.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <imgui.h>

using VelaTest::ModelFactoryTest;

namespace
{
    // Draws the "Model" editor in one ImGui frame inside a two-column table, without a renderer, with its
    // "Textures" tree open or closed; returns how far down the editor's rows reached.
    float DrawModelEditor(Vela::SceneModelValue& aValue, bool aTreeOpen, bool& aChanged)
    {
        ImGuiContext* context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(1280, 720);
        io.DeltaTime = 1.0f / 60.0f;
        io.IniFilename = nullptr;
        unsigned char* pixels = nullptr;
        int width = 0;
        int height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(1200, 700));
        ImGui::Begin("Properties");
        float bottom = 0.0f;
        if (ImGui::BeginTable("table", 2))
        {
            ImGui::PushID("Model");
            ImGui::GetStateStorage()->SetInt(ImGui::GetID("Textures"), aTreeOpen ? 1 : 0);
            ImGui::PopID();
            aChanged = Vela::DrawPropertyValueEditor(aValue, "Model", nullptr);
            bottom = ImGui::GetCursorPosY();
            ImGui::EndTable();
        }
        ImGui::End();
        ImGui::Render();
        ImGui::DestroyContext(context);
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
