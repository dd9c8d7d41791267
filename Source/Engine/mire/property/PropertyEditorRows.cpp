#include "mire/property/PropertyEditorRows.h"

#include <atomic>
#include <imgui.h>

namespace Vela
{
    namespace
    {
        std::atomic<bool> ourSkipNameSeparator{ false };
        std::atomic<bool> ourSkipValueSeparator{ false };
        // The help glyph lives in the private-use area of the editor's icon font.
        constexpr const char* HELP_GLYPH = "\xEE\x82\x82";
    }

    void PropertyEditorSkipNextNameSeparator() { ourSkipNameSeparator = true; }
    void PropertyEditorSkipNextValueSeparator() { ourSkipValueSeparator = true; }

    void PropertyEditorBeginValue(bool aNoSeparator)
    {
        ImGui::TableNextRow();
        ImGui::TableSetColumnIndex(0);
        const bool skipped = ourSkipNameSeparator.exchange(false);
        if (!skipped && !aNoSeparator)
        {
            ImGui::Separator();
        }
        ImGui::AlignTextToFramePadding();
    }

    void PropertyEditorEndValue(bool aNoSeparator)
    {
        ImGui::TableSetColumnIndex(1);
        const bool skipped = ourSkipValueSeparator.exchange(false);
        if (!skipped && !aNoSeparator)
        {
            ImGui::Separator();
        }
        ImGui::PushItemWidth(-1);
    }

    void PropertyEditorLabel(const char* aHelpText, bool aSameLine)
    {
        if (aSameLine)
        {
            ImGui::SameLine(0, -1);
        }
        ImGui::TextDisabled("%s", HELP_GLYPH);
        if (ImGui::IsItemHovered())
        {
            ImGui::BeginTooltip();
            ImGui::PushTextWrapPos(ImGui::GetFontSize() * 35.0f);
            ImGui::TextUnformatted(aHelpText);
            ImGui::PopTextWrapPos();
            ImGui::EndTooltip();
        }
    }

    bool PropertyEditorHeader(const char* aLabel, const char* aTooltip)
    {
        if (!aLabel)
        {
            return false;
        }
        PropertyEditorBeginValue(false);
        ImGui::Text("%s", aLabel);
        if (aTooltip && aTooltip[0] != '\0')
        {
            PropertyEditorLabel(aTooltip, true);
        }
        PropertyEditorEndValue(false);
        ImGui::PushID(aLabel);
        return true;
    }

    void PropertyEditorSubRow(const char* aName)
    {
        PropertyEditorBeginValue(true);
        ImGui::Indent(0);
        ImGui::Text("%s", aName);
        ImGui::Unindent(0);
        PropertyEditorEndValue(true);
    }
}
