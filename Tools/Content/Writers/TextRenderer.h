#pragma once
// Draws text onto pictures with FreeType and one TrueType font file.
#include "Image.h"

#include <filesystem>
#include <string_view>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace Vela::Content
{
    class TextRenderer
    {
    public:
        // Prints a one-line error when the font cannot be opened; IsReady then answers false.
        explicit TextRenderer(const std::filesystem::path& aFontFile);
        ~TextRenderer();
        TextRenderer(const TextRenderer&) = delete;
        TextRenderer& operator=(const TextRenderer&) = delete;

        bool IsReady() const { return myFace != nullptr; }
        // Width in pixels of one line of text (ASCII) at a pixel size.
        float Measure(std::string_view aText, uint32_t aPixelSize);
        // One line centred on (aCentreX, aCentreY), the middle of the font's ascent and descent on aCentreY.
        void DrawCentred(Image& anImage, std::string_view aText, float aCentreX, float aCentreY, uint32_t aPixelSize, const Rgba& aColor);
        // One line starting at aLeft.
        void DrawLeft(Image& anImage, std::string_view aText, float aLeft, float aCentreY, uint32_t aPixelSize, const Rgba& aColor);

    private:
        void Draw(Image& anImage, std::string_view aText, float aLeft, float aCentreY, uint32_t aPixelSize, const Rgba& aColor);

        FT_Library myLibrary = nullptr;
        FT_Face myFace = nullptr;
    };
}
