#include "Platform/window/Cursor.h"

#include "Platform/file/WholeFile.h"
#include "Platform/window/CursorFile.h"

#include <SDL2/SDL.h>
#include <atomic>
#include <cstdio>
#include <span>
#include <string>

namespace Vela::Platform
{
    CursorHandle LoadCursorFromFile(const std::filesystem::path& aPath)
    {
        // Called from the window procedure, where nothing may throw: a folder or an unreadable file in place of
        // the cursor leaves the system cursor, with one line saying why.
        std::string bytes;
        std::string reason;
        if (!ReadWholeFile(aPath, bytes, reason))
        {
            printf("Could not read cursor file %s (%s); the system cursor is used\n", aPath.string().c_str(), reason.c_str());
            return nullptr;
        }
        const std::optional<CursorImage> image =
            ParseCursorFile(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        if (!image)
        {
            printf("Not a valid cursor file: %s\n", aPath.string().c_str());
            return nullptr;
        }
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint8_t*>(image->rgba.data()), static_cast<int>(image->width), static_cast<int>(image->height),
            32, static_cast<int>(image->width * 4), SDL_PIXELFORMAT_RGBA32);
        if (surface == nullptr)
        {
            printf("Could not make the cursor from %s: %s\n", aPath.string().c_str(), SDL_GetError());
            return nullptr;
        }
        SDL_Cursor* cursor =
            SDL_CreateColorCursor(surface, static_cast<int>(image->hotspotX), static_cast<int>(image->hotspotY));
        SDL_FreeSurface(surface);
        if (cursor == nullptr)
        {
            printf("Could not make the cursor from %s: %s\n", aPath.string().c_str(), SDL_GetError());
        }
        return cursor;
    }

    void SetCursor(CursorHandle aCursor)
    {
        if (aCursor != nullptr)
        {
            SDL_SetCursor(aCursor);
        }
    }

    void ShowArrowCursor()
    {
        static SDL_Cursor* arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        if (arrow != nullptr)
        {
            SDL_SetCursor(arrow);
        }
    }

    int ShowCursor(bool aShow)
    {
        static std::atomic<int> displayCount{ 0 };
        const int count = aShow ? ++displayCount : --displayCount;
        SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
        return count;
    }
}
