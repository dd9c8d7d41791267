#pragma once
// Holds the FreeType library for the engine's fonts and the fonts by name. No font is loaded yet.
#include <memory>
#include <string>
#include <unordered_map>

struct FT_LibraryRec_;

namespace Vela
{
    class Font;

    class FontManager
    {
    public:
        FontManager();
        ~FontManager();
        FontManager(const FontManager&) = delete;
        FontManager& operator=(const FontManager&) = delete;

        // Starts the FreeType library; false (with one line on stdout) when it cannot.
        bool Init();

        bool IsInitialized() const { return myLibrary != nullptr; }
        size_t GetFontCount() const { return myFonts.size(); }

    private:
        FT_LibraryRec_* myLibrary = nullptr;
        std::unordered_map<std::string, std::shared_ptr<Font>> myFonts;
    };
}
