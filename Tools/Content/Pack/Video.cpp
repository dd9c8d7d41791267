// The opening video: a few seconds of titled pictures with a little music, drawn here and encoded
// by ffmpeg as H.264 with AAC sound. Single-threaded, bit-exact settings keep the bytes the same.
#include "Pack.h"
#include "Palette.h"
#include "Sketches.h"
#include "Writers/PngWriter.h"
#include "Writers/Synth.h"
#include "Writers/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Vela::Content
{
    namespace
    {
        using enum Shade;
        constexpr uint32_t WIDTH = 640, HEIGHT = 360, FRAMES_PER_SECOND = 12;
        constexpr float SECONDS = 5.0f;

        Image Frame(Pack& aPack, float aTime)
        {
            Image frame(WIDTH, HEIGHT);
            frame.VerticalGradient(0, HEIGHT, Color(Night), Mix(Color(Night), Color(Teal), 0.45f));
            for (int i = 0; i < 30; ++i)
                frame.FillGlow(float((i * 97) % WIDTH), float((i * 53) % 200), 2.5f, WithAlpha(Color(GlowYellow), 150));
            frame.FillEllipse(320, 420, 420, 110, Mix(Color(Night), Color(Moss), 0.4f));
            auto fade = [aTime](float aStart, float anEnd) {
                return std::clamp(std::min(aTime - aStart, anEnd - aTime) / 0.4f, 0.0f, 1.0f);
            };
            if (float alpha = fade(0.0f, 1.8f); alpha > 0.0f)
            {
                Image title(WIDTH, HEIGHT);
                aPack.BoldFont().DrawCentred(title, "Mire", 320, 160, 96, Color(Cream));
                aPack.RegularFont().DrawCentred(title, "Long ago, the lights went out.", 320, 250, 26, Color(GlowYellow));
                frame.Paste(title, 0, 0, alpha);
            }
            if (aTime > 1.6f)
            {
                const float walk = std::min(1.0f, (aTime - 1.6f) / 2.2f);
                Player(frame, 80 + 300 * walk, 320 - 6 * std::abs(std::sin(aTime * 9.0f)), 1.2f);
                Orb(frame, 470, 250 + 8 * std::sin(aTime * 3.0f), 14);
            }
            if (float alpha = fade(3.6f, 5.4f); alpha > 0.0f)
            {
                Image words(WIDTH, HEIGHT);
                aPack.BoldFont().DrawCentred(words, "Carry the light home.", 320, 80, 36, Color(Cream));
                frame.Paste(words, 0, 0, alpha);
            }
            return frame;
        }

        std::vector<float> Music()
        {
            Track track(22050, SECONDS);
            const int melody[] = { 69, 72, 76, 74, 72, 76, 79, 81 };
            for (size_t i = 0; i < std::size(melody); ++i)
                track.AddTone(0.3f + 0.55f * float(i), 0.9f, NoteFrequency(melody[i]), 0.12f, Wave::Bell, { 0.005f, 0.1f, 2.0f });
            for (int tone : { 45, 52, 57 })
                track.AddTone(0.0f, SECONDS, NoteFrequency(tone), 0.06f, Wave::Triangle, { 0.8f, 1.0f, 0.0f });
            track.Samples().resize(size_t(SECONDS * 22050));
            return track.Samples();
        }

        std::string Quoted(const std::filesystem::path& aPath) { return "\"" + aPath.string() + "\""; }
    }

    void MakeVideo(Pack& aPack)
    {
        const std::filesystem::path work = aPack.GameRoot().parent_path() / "video-work";
        std::error_code error;
        std::filesystem::remove_all(work, error);
        const uint32_t frames = uint32_t(SECONDS * FRAMES_PER_SECOND);
        for (uint32_t i = 0; i < frames; ++i)
        {
            char name[32];
            std::snprintf(name, sizeof(name), "frame%03u.png", i);
            aPack.SaveBytes(work / name, EncodePng(Frame(aPack, float(i) / FRAMES_PER_SECOND)));
        }
        aPack.SaveBytes(work / "sound.wav", EncodeWav(Music(), 22050));

        const std::filesystem::path output = aPack.GameRoot() / "Video/OpeningCutscene.mp4";
        std::filesystem::create_directories(output.parent_path(), error);
        const std::string command = Quoted(aPack.Ffmpeg()) + " -y -loglevel error -nostdin -framerate " + std::to_string(FRAMES_PER_SECOND) +
                                    " -i " + Quoted(work / "frame%03d.png") + " -i " + Quoted(work / "sound.wav") +
                                    " -map 0:v -map 1:a -c:v libx264 -preset fast -crf 26 -pix_fmt yuv420p -threads 1" +
                                    " -c:a aac -b:a 64k -ar 44100 -ac 1 -shortest -map_metadata -1 -fflags +bitexact" +
                                    " -flags:v +bitexact -flags:a +bitexact " + Quoted(output);
        if (std::system(command.c_str()) != 0)
        {
            std::fprintf(stderr, "ffmpeg could not make %s\n", output.string().c_str());
            aPack.Fail();
        }
        std::filesystem::remove_all(work, error);
    }
}
