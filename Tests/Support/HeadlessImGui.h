#pragma once
// Engine tests only (links Dear ImGui through the engine).
#include <imgui.h>

namespace VelaTest
{
    // A Dear ImGui context without any backend: enough to lay out and "render" frames headless.
    class HeadlessImGui
    {
    public:
        HeadlessImGui()
        {
            myContext = ImGui::CreateContext();
            ImGuiIO& io = ImGui::GetIO();
            io.DisplaySize = ImVec2(1280, 720);
            io.DeltaTime = 1.0f / 60.0f;
            io.IniFilename = nullptr;
            unsigned char* pixels = nullptr;
            int width = 0;
            int height = 0;
            io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        }
        ~HeadlessImGui() { ImGui::DestroyContext(myContext); }

        // Runs one frame with aBody drawn inside a two-column table.
        template <typename Body>
        void Frame(Body&& aBody)
        {
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
        }

    private:
        ImGuiContext* myContext = nullptr;
    };
}
