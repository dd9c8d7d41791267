#pragma once
// Mouse cursors shown over the window.
#include <filesystem>

struct SDL_Cursor;

namespace Vela::Platform
{
    using CursorHandle = SDL_Cursor*;

    // Reads a ".cur" file into a cursor; null (with one line on stdout) when the file is missing or not a cursor.
    CursorHandle LoadCursorFromFile(const std::filesystem::path& aPath);

    // Shows this cursor; null is ignored.
    void SetCursor(CursorHandle aCursor);

    // Shows the system arrow.
    void ShowArrowCursor();

    // Raises (true) or lowers (false) the cursor's display counter and returns the new count; the cursor is
    // visible while the count is >= 0. The counter starts at 0 and is process-wide, so callers that want a
    // side loop until the count crosses it.
    int ShowCursor(bool aShow);
}
