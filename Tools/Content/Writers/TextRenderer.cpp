#include "TextRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

namespace Vela::Content
{
    namespace
    {
        // Loads the glyphs of a line in turn and hands each to aVisit with the pen position (in 1/64 pixels)
        // where it starts, kerning included; answers the pen position after the last one.
        template <typename Visit>
        long WalkGlyphs(FT_Face aFace, std::string_view aText, FT_Int32 aLoadFlags, long aPen, Visit aVisit)
        {
            FT_UInt previous = 0;
            for (char character : aText)
            {
                const FT_UInt glyph = FT_Get_Char_Index(aFace, FT_ULong(static_cast<unsigned char>(character)));
                FT_Vector kerning{};
                if (previous && FT_Get_Kerning(aFace, previous, glyph, FT_KERNING_DEFAULT, &kerning) == 0)
                    aPen += kerning.x;
                previous = glyph;
                if (FT_Load_Glyph(aFace, glyph, aLoadFlags) != 0)
                    continue;
                aVisit(aFace->glyph, aPen);
                aPen += aFace->glyph->advance.x;
            }
            return aPen;
        }
    }

    TextRenderer::TextRenderer(const std::filesystem::path& aFontFile)
    {
        if (FT_Init_FreeType(&myLibrary) != 0)
        {
            std::fprintf(stderr, "FreeType could not start\n");
            myLibrary = nullptr;
            return;
        }
        if (FT_New_Face(myLibrary, aFontFile.string().c_str(), 0, &myFace) != 0)
        {
            std::fprintf(stderr, "Cannot open the font %s\n", aFontFile.string().c_str());
            myFace = nullptr;
        }
    }

    TextRenderer::~TextRenderer()
    {
        if (myFace)
            FT_Done_Face(myFace);
        if (myLibrary)
            FT_Done_FreeType(myLibrary);
    }

    float TextRenderer::Measure(std::string_view aText, uint32_t aPixelSize)
    {
        if (!myFace || FT_Set_Pixel_Sizes(myFace, 0, aPixelSize) != 0)
            return 0.0f;
        return float(WalkGlyphs(myFace, aText, FT_LOAD_DEFAULT, 0, [](FT_GlyphSlot, long) {})) / 64.0f;
    }

    void TextRenderer::DrawCentred(Image& anImage, std::string_view aText, float aCentreX, float aCentreY, uint32_t aPixelSize, const Rgba& aColor)
    {
        Draw(anImage, aText, aCentreX - Measure(aText, aPixelSize) * 0.5f, aCentreY, aPixelSize, aColor);
    }

    void TextRenderer::DrawLeft(Image& anImage, std::string_view aText, float aLeft, float aCentreY, uint32_t aPixelSize, const Rgba& aColor)
    {
        Draw(anImage, aText, aLeft, aCentreY, aPixelSize, aColor);
    }

    void TextRenderer::Draw(Image& anImage, std::string_view aText, float aLeft, float aCentreY, uint32_t aPixelSize, const Rgba& aColor)
    {
        if (!myFace || FT_Set_Pixel_Sizes(myFace, 0, aPixelSize) != 0)
            return;
        const float ascender = float(myFace->size->metrics.ascender) / 64.0f;
        const float descender = float(myFace->size->metrics.descender) / 64.0f;
        const int baseline = int(aCentreY + (ascender + descender) * 0.5f + 0.5f);
        WalkGlyphs(myFace, aText, FT_LOAD_RENDER, long(aLeft * 64.0f), [&](FT_GlyphSlot aSlot, long aPen) {
            const FT_Bitmap& bitmap = aSlot->bitmap;
            const int left = int(aPen / 64) + aSlot->bitmap_left;
            const int top = baseline - aSlot->bitmap_top;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned column = 0; column < bitmap.width; ++column)
                {
                    const uint8_t coverage = bitmap.buffer[row * unsigned(bitmap.pitch) + column];
                    if (coverage)
                        anImage.Blend(left + int(column), top + int(row), aColor, coverage / 255.0f);
                }
        });
    }
}
