#include "ModelFactoryTestSupport.h"

#include "mire/model/ModelTextureEditor.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <imgui.h>

using VelaTest::ModelFactoryTest;

namespace
{
    // One ImGui frame inside a two-column table, without a renderer.
    template <typename Body>
    void HeadlessFrame(Body&& aBody)
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
        if (ImGui::BeginTable("table", 2))
        {
            aBody();
            ImGui::EndTable();
        }
        ImGui::End();
        ImGui::Render();
        ImGui::DestroyContext(context);
    }

    // Marks a tree node of the table's first column as open (the same ID the editor's row will use).
    void OpenTreeNodeInFirstColumn(const char* aName)
    {
        ImGui::TableNextRow();
        ImGui::TableSetColumnIndex(0);
        ImGui::GetStateStorage()->SetInt(ImGui::GetID(aName), 1);
    }

    struct SlotCall
    {
        int mySlot;
        std::string myName;
    };
}

TEST_F(ModelFactoryTest, ModelEditorShowsSixSlotRowsPerMeshOfALoadedModel)
{
    Vela::StringId textures[Vela::MAX_SCENE_MODEL_MESHES][Vela::SCENE_MODEL_TEXTURE_SLOTS];
    std::vector<SlotCall> calls;
    const Vela::ModelTextureSlotRow record = [&](int aSlot, const char* aName, Vela::StringId& aTexture) {
        calls.push_back({ aSlot, aName });
        // The row changes slot 2 of the first mesh.
        if (aSlot == 2 && &aTexture == &textures[0][2])
        {
            aTexture = Vela::StringRegistry::RegisterOrGetString("props/Wood_M.dds");
            return true;
        }
        return false;
    };

    bool changed = false;
    bool drawn = false;
    HeadlessFrame([&]() {
        drawn = true;
        OpenTreeNodeInFirstColumn("Textures");
        changed = Vela::DrawModelTextureRows(Vela::StringRegistry::RegisterOrGetString("fbx/maya_cube_7500_binary.fbx"), textures, record);
    });
    ASSERT_TRUE(drawn);
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].myName, "[0] Color");
    EXPECT_EQ(calls[5].myName, "[5] Shader_PS");
    EXPECT_EQ(calls[5].mySlot, 5);
    EXPECT_TRUE(changed);
    EXPECT_STREQ(textures[0][2].GetString(), "props/Wood_M.dds");

    // No path, a model that does not load, or a closed tree: no slot rows.
    calls.clear();
    HeadlessFrame([&]() {
        OpenTreeNodeInFirstColumn("Textures");
        EXPECT_FALSE(Vela::DrawModelTextureRows(Vela::StringId(), textures, record));
        EXPECT_FALSE(Vela::DrawModelTextureRows(Vela::StringRegistry::RegisterOrGetString("props/missing.fbx"), textures, record));
    });
    EXPECT_TRUE(calls.empty());
    HeadlessFrame([&]() {
        EXPECT_FALSE(Vela::DrawModelTextureRows(Vela::StringRegistry::RegisterOrGetString("fbx/maya_cube_7500_binary.fbx"), textures, record));
    });
    EXPECT_TRUE(calls.empty());
}
