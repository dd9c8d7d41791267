#include "mire/property/PlainPropertyValues.h"
#include "mire/property/PropertyEditorRows.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cstring>
#include <imgui.h>

namespace Vela
{
    namespace
    {
        constexpr size_t TEXT_BUFFER_SIZE = 256;

        // Header, widget, then the result: an edit only counts when the value really changed.
        template <typename T, typename Widget>
        bool DrawWithHeader(T& aValue, const char* aLabel, const char* aTooltip, Widget&& aWidget)
        {
            const bool pushed = PropertyEditorHeader(aLabel, aTooltip);
            const T before = aValue;
            const bool edited = aWidget();
            if (pushed)
            {
                ImGui::PopID();
            }
            return edited && !(aValue == before);
        }

        void FillBuffer(char (&aBuffer)[TEXT_BUFFER_SIZE], StringId aText)
        {
            const char* text = aText.GetString();
            const size_t length = std::min(std::strlen(text), TEXT_BUFFER_SIZE - 1);
            std::memcpy(aBuffer, text, length);
            aBuffer[length] = '\0';
        }

        void HoverText(const char* aText)
        {
            if (ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
            {
                ImGui::BeginTooltip();
                ImGui::TextUnformatted(aText);
                ImGui::EndTooltip();
            }
        }

        // A text row whose value is interned once the user finishes editing it.
        void DrawPathInput(const char* aId, StringId& aPath)
        {
            char buffer[TEXT_BUFFER_SIZE];
            FillBuffer(buffer, aPath);
            ImGui::InputText(aId, buffer, sizeof(buffer));
            if (ImGui::IsItemDeactivatedAfterEdit())
            {
                aPath = StringRegistry::RegisterOrGetString(buffer);
            }
        }
    }

    bool DrawPropertyValueEditor(bool& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::Checkbox("##", &aValue); });
    }

    bool DrawPropertyValueEditor(int32_t& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::DragInt("##", &aValue, 1.0f, 0, 0, "%d"); });
    }

    bool DrawPropertyValueEditor(float& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::DragFloat("##", &aValue, 1.0f, 0.0f, 0.0f, "%.3f"); });
    }

    bool DrawPropertyValueEditor(Vector2<float>& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::DragFloat2("##", &aValue.x, 1.0f, 0.0f, 0.0f, "%.3f"); });
    }

    bool DrawPropertyValueEditor(Vector3<float>& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::DragFloat3("##", &aValue.x, 1.0f, 0.0f, 0.0f, "%.3f"); });
    }

    bool DrawPropertyValueEditor(Vector4<float>& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::DragFloat4("##", &aValue.x, 1.0f, 0.0f, 0.0f, "%.3f"); });
    }

    bool DrawPropertyValueEditor(Color& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] { return ImGui::ColorEdit4("##", &aValue.r, ImGuiColorEditFlags_Float); });
    }

    bool DrawPropertyValueEditor(StringId& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawWithHeader(aValue, aLabel, aTooltip, [&] {
            // One buffer serves every text editor: ImGui keeps its own copy while a field is active.
            static char buffer[TEXT_BUFFER_SIZE];
            FillBuffer(buffer, aValue);
            if (!ImGui::InputText("##", buffer, sizeof(buffer)))
            {
                return false;
            }
            const StringId edited = StringRegistry::RegisterOrGetString(buffer);
            if (edited == aValue)
            {
                return false;
            }
            aValue = edited;
            return true;
        });
    }

    bool DrawPropertyValueEditor(PoseAndMotion&, const char* aLabel, const char* aTooltip)
    {
        if (PropertyEditorHeader(aLabel, aTooltip))
        {
            ImGui::PopID();
        }
        else
        {
            ImGui::Text("Pose");
        }
        return false;
    }

    bool DrawPropertyValueEditor(BoxColliderProperty& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawBoxColliderEditor(aValue, aLabel, aTooltip);
    }

    bool DrawPropertyValueEditor(Button& aValue, const char* aLabel, const char* aTooltip)
    {
        return DrawButtonEditor(aValue, aLabel, aTooltip);
    }

    bool DrawBoxColliderEditor(BoxColliderProperty& aValue, const char* aLabel, const char* aTooltip)
    {
        const bool pushed = PropertyEditorHeader(aLabel, aTooltip);
        const BoxColliderProperty before = aValue;

        PropertyEditorSubRow("Is Active");
        ImGui::Checkbox("##ActiveFlag", &aValue.isActive);

        PropertyEditorSubRow("Offset");
        ImGui::DragFloat2("##Offset", &aValue.position.x, 1.0f, 0.0f, 0.0f, "%.3f");

        PropertyEditorSubRow("Offset-Size");
        HoverText("Adjust the size of the collider relative to the models outer bounds");
        ImGui::DragFloat2("##Offset-Size", &aValue.offsetSize.x, 1.0f, 0.0f, 0.0f, "%.3f");

        PropertyEditorSubRow("Trigger");
        HoverText("Can the object be phased through?");

        if (pushed)
        {
            ImGui::PopID();
        }
        return !(aValue == before);
    }

    bool DrawButtonEditor(Button& aValue, const char* aLabel, const char* aTooltip)
    {
        const bool pushed = PropertyEditorHeader(aLabel, aTooltip);
        const Button before = aValue;

        PropertyEditorSubRow("Function Name");
        DrawPathInput("##Function Name", aValue.functionPath);

        PropertyEditorSubRow("UI Layer");
        DrawPathInput("##UI Layer", aValue.layerPath);

        PropertyEditorSubRow("Local Position");
        ImGui::DragFloat3("##Position", &aValue.x, 1.0f, 0.0f, 0.0f, "%.3f");

        PropertyEditorSubRow("Height");
        ImGui::DragFloat("##Height", &aValue.height, 1.0f, 0.0f, 0.0f, "%.3f");

        PropertyEditorSubRow("Width");
        ImGui::DragFloat("##Width", &aValue.width, 1.0f, 0.0f, 0.0f, "%.3f");

        if (pushed)
        {
            ImGui::PopID();
        }
        return !(aValue == before);
    }
}
