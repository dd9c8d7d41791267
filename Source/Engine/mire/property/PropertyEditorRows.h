#pragma once

namespace Vela
{
    // Rows of the two-column table (names left, values right) that an editing tool hosts around the
    // property editors.
    void PropertyEditorBeginValue(bool aNoSeparator);
    void PropertyEditorEndValue(bool aNoSeparator);
    // A greyed help glyph whose hover shows aHelpText.
    void PropertyEditorLabel(const char* aHelpText, bool aSameLine);

    // One-shot flags with which the hosting tool suppresses the next separator of the name or value
    // column; each is cleared when it is used.
    void PropertyEditorSkipNextNameSeparator();
    void PropertyEditorSkipNextValueSeparator();

    // The header row of a labelled editor: the name, the optional help glyph, then the value cell
    // with the label pushed as the ImGui id. Returns whether an id was pushed (pop it at the end).
    bool PropertyEditorHeader(const char* aLabel, const char* aTooltip);
    // A sub-row of a record editor: an indented name, then the value cell.
    void PropertyEditorSubRow(const char* aName);
}
