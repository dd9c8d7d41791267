#include "TextRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

namespace Vela::Content
{
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
        long advance = 0;
        FT_UInt previous = 0;
        for (char character : aText)
        {
            const FT_UInt glyph = FT_Get_Char_Index(myFace, FT_ULong(static_cast<unsigned char>(character)));
            FT_Vector kerning{};
            if (previous && FT_Get_Kerning(myFace, previous, glyph, FT_KERNING_DEFAULT, &kerning) == 0)
                advance += kerning.x;
            if (FT_Load_Glyph(myFace, glyph, FT_LOAD_DEFAULT) == 0)
                advance += myFace->glyph->advance.x;
            previous = glyph;
        }
        return float(advance) / 64.0f;
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
        long penX = long(aLeft * 64.0f);
        FT_UInt previous = 0;
        for (char character : aText)
        {
            const FT_UInt glyph = FT_Get_Char_Index(myFace, FT_ULong(static_cast<unsigned char>(character)));
            FT_Vector kerning{};
            if (previous && FT_Get_Kerning(myFace, previous, glyph, FT_KERNING_DEFAULT, &kerning) == 0)
                penX += kerning.x;
            previous = glyph;
            if (FT_Load_Glyph(myFace, glyph, FT_LOAD_RENDER) != 0)
                continue;
            const FT_GlyphSlot slot = myFace->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            const int left = int(penX / 64) + slot->bitmap_left;
            const int top = baseline - slot->bitmap_top;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned column = 0; column < bitmap.width; ++column)
                {
                    const uint8_t coverage = bitmap.buffer[row * unsigned(bitmap.pitch) + column];
                    if (coverage)
                        anImage.Blend(left + int(column), top + int(row), aColor, coverage / 255.0f);
                }
            penX += slot->advance.x;
        }
    }
}
