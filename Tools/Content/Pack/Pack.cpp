#include "Pack.h"

#include "Palette.h"
#include "Writers/FileOutput.h"
#include "Writers/PngWriter.h"
#include "Writers/WavWriter.h"

namespace Vela::Content
{
    Pack::Pack(std::filesystem::path aGameRoot, std::filesystem::path aRuntimeDirectory, const std::filesystem::path& aFontDirectory,
               std::filesystem::path anFfmpeg)
        : myGameRoot(std::move(aGameRoot)), myRuntimeDirectory(std::move(aRuntimeDirectory)), myFfmpeg(std::move(anFfmpeg)),
          myBold(aFontDirectory / "DejaVuSans-Bold.ttf"), myRegular(aFontDirectory / "DejaVuSans.ttf")
    {
    }

    bool Pack::SaveBytes(const std::filesystem::path& aPath, const std::vector<uint8_t>& someBytes)
    {
        if (someBytes.empty() || !WriteFileBytes(aPath, someBytes))
        {
            mySucceeded = false;
            return false;
        }
        return true;
    }

    bool Pack::SaveDds(const std::string& aRelative, const Image& anImage, DdsFormat aFormat)
    {
        return SaveBytes(myGameRoot / aRelative, EncodeDds(anImage, aFormat));
    }

    bool Pack::SavePng(const std::string& aRelative, const Image& anImage) { return SaveBytes(myGameRoot / aRelative, EncodePng(anImage)); }

    bool Pack::SaveWav(const std::string& aRelative, const std::vector<float>& someSamples, uint32_t aRate)
    {
        return SaveBytes(myGameRoot / aRelative, EncodeWav(someSamples, aRate));
    }

    bool Pack::SaveText(const std::string& aRelative, const std::string& aText)
    {
        if (!WriteFileText(myGameRoot / aRelative, aText))
        {
            mySucceeded = false;
            return false;
        }
        return true;
    }

    Image PaletteImage()
    {
        Image palette(PALETTE_COLUMNS * PALETTE_CELL, PALETTE_COLUMNS * PALETTE_CELL, Color(Shade::White));
        for (int index = 0; index < int(Shade::COUNT); ++index)
        {
            const float left = float(index % PALETTE_COLUMNS * PALETTE_CELL), top = float(index / PALETTE_COLUMNS * PALETTE_CELL);
            palette.FillRect(left, top, left + PALETTE_CELL, top + PALETTE_CELL, Color(Shade(index)));
        }
        return palette;
    }
}
