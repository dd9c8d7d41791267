// Makes the game's demo content pack: VelaMakeContent <game asset root> <runtime folder> <font folder> <ffmpeg>.
// Every file depends only on this program, so every run writes the same bytes.
#include "Pack.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: VelaMakeContent <game asset root> <runtime folder> <font folder> <ffmpeg>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    Vela::Content::Pack pack(argv[1], argv[2], argv[3], argv[4]);
    Vela::Content::MakeCharacters(pack);
    Vela::Content::MakeProps(pack);
    Vela::Content::MakeEffects(pack);
    Vela::Content::MakeUiArt(pack);
    Vela::Content::MakeSounds(pack);
    Vela::Content::MakeVideo(pack);
    if (!pack.Succeeded())
    {
        std::fprintf(stderr, "The content pack is incomplete\n");
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Content pack written to %s in %.1f s\n", argv[1], seconds);
    return 0;
}
