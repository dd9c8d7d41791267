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
}
