#pragma once
// Where the pack goes and how its files are written; every part of the pack writes through this.
#include "Writers/DdsWriter.h"
#include "Writers/Image.h"
#include "Writers/TextRenderer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Vela::Content
{
    class Pack
    {
    public:
        Pack(std::filesystem::path aGameRoot, std::filesystem::path aRuntimeDirectory, const std::filesystem::path& aFontDirectory,
             std::filesystem::path anFfmpeg);

        const std::filesystem::path& GameRoot() const { return myGameRoot; }
        const std::filesystem::path& RuntimeDirectory() const { return myRuntimeDirectory; }
        const std::filesystem::path& Ffmpeg() const { return myFfmpeg; }
        TextRenderer& BoldFont() { return myBold; }
        TextRenderer& RegularFont() { return myRegular; }

        // Each answers false (after a one-line error) when the file cannot be written.
        bool SaveDds(const std::string& aRelative, const Image& anImage, DdsFormat aFormat);
        bool SavePng(const std::string& aRelative, const Image& anImage);
        bool SaveWav(const std::string& aRelative, const std::vector<float>& someSamples, uint32_t aRate);
        bool SaveText(const std::string& aRelative, const std::string& aText);
        bool SaveBytes(const std::filesystem::path& aPath, const std::vector<uint8_t>& someBytes);

        // False once any write has failed.
        bool Succeeded() const { return mySucceeded && myBold.IsReady() && myRegular.IsReady(); }
        void Fail() { mySucceeded = false; }

    private:
        std::filesystem::path myGameRoot;
        std::filesystem::path myRuntimeDirectory;
        std::filesystem::path myFfmpeg;
        TextRenderer myBold;
        TextRenderer myRegular;
        bool mySucceeded = true;
    };

    // The parts of the pack, each in its own file.
    void MakeCharacters(Pack& aPack);
    void MakeProps(Pack& aPack);
    void MakeUiArt(Pack& aPack);
    void MakeEffects(Pack& aPack);
    void MakeSounds(Pack& aPack);
    void MakeVideo(Pack& aPack);
    // The palette texture as the models sample it (also used by the video's pictures).
    Image PaletteImage();
}
