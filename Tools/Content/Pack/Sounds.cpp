// Every sound of the game's sound table: soft synth music whose intros end on the bar their loop
// starts with, ambiences and loops that wrap round without a click, and short effects.
#include "Pack.h"
#include "Writers/Synth.h"

#include <cmath>
#include <string>

namespace Vela::Content
{
    namespace
    {
        constexpr uint32_t RATE = 22050;
        // 90 beats per minute: a beat is exactly 14700 samples, a bar of four 58800.
        constexpr float BEAT = 60.0f / 90.0f;
        constexpr float BAR = 4.0f * BEAT;
        constexpr size_t BAR_SAMPLES = 58800;

        const Envelope PAD = { 0.6f, 0.5f, 0.0f };
        const Envelope BELL = { 0.005f, 0.08f, 2.2f };
        const Envelope PLUCK = { 0.004f, 0.05f, 9.0f };
        const Envelope SOFT = { 0.05f, 0.1f, 0.0f };

        struct Chord
        {
            int myRoot;                 // MIDI note of the bass
            std::array<int, 3> myTones; // semitones above the root for the pad
        };

        // One bar: a pad chord, a bass note and a bell melody picked from the chord by a pattern.
        // Every note ends inside its bar, so bars can be cut and joined anywhere on a bar line.
        void AddBar(Track& aTrack, float aStart, const Chord& aChord, uint32_t aPattern, bool aMelody)
        {
            for (int tone : aChord.myTones)
                aTrack.AddTone(aStart, BAR, NoteFrequency(aChord.myRoot + 12 + tone), 0.07f, Wave::Triangle, PAD);
            aTrack.AddTone(aStart, BAR, NoteFrequency(aChord.myRoot - 12), 0.16f, Wave::Sine, { 0.05f, 0.4f, 0.3f });
            if (!aMelody)
                return;
            for (int step = 0; step < 8; ++step)
            {
                const uint32_t choice = (aPattern >> (step * 3)) & 7u;
                if (choice >= 6)
                    continue; // a rest
                const int tone = choice < 3 ? aChord.myTones[choice] : aChord.myTones[choice - 3] + 12;
                aTrack.AddTone(aStart + step * BEAT * 0.5f, BEAT * 0.5f * (step % 2 ? 1.0f : 1.8f) - 0.01f,
                               NoteFrequency(aChord.myRoot + 24 + tone), 0.11f, Wave::Bell, BELL);
            }
        }

        struct Song
        {
            std::vector<Chord> myChords;    // the loop's bars; the last is also the intro's last
            std::vector<uint32_t> myPatterns;
        };

        Track Loop(const Song& aSong)
        {
            Track track(RATE, aSong.myChords.size() * BAR_SAMPLES);
            for (size_t bar = 0; bar < aSong.myChords.size(); ++bar)
                AddBar(track, float(bar) * BAR, aSong.myChords[bar], aSong.myPatterns[bar % aSong.myPatterns.size()], true);
            track.WrapInto(aSong.myChords.size() * BAR_SAMPLES);
            return track;
        }

        // A quiet opening bar, then the loop's last bar, so the loop follows as if it had been playing.
        Track Intro(const Song& aSong)
        {
            Track track(RATE, 2 * BAR_SAMPLES);
            AddBar(track, 0.0f, aSong.myChords.front(), 0, false);
            AddBar(track, BAR, aSong.myChords.back(), aSong.myPatterns[(aSong.myChords.size() - 1) % aSong.myPatterns.size()], true);
            track.WrapInto(2 * BAR_SAMPLES);
            return track;
        }

        // Frequencies rounded so that whole cycles fit the loop: the drone joins itself without a step.
        float LoopFrequency(float aFrequency, float aLoopSeconds) { return std::round(aFrequency * aLoopSeconds) / aLoopSeconds; }

        Track Ambience(int aRootNote, float aBrightness, int aDrips, uint32_t aSeed)
        {
            const float seconds = 8.0f;
            Track track(RATE, seconds + 1.0f);
            for (int tone : { 0, 7, 12 })
                track.AddTone(0.0f, seconds + 1.0f, LoopFrequency(NoteFrequency(aRootNote + tone), seconds), 0.05f, Wave::Sine, { 0.0f, 0.0f, 0.0f });
            track.AddNoise(0.0f, seconds + 1.0f, 0.02f, aBrightness, { 1.0f, 1.0f, 0.0f }, aSeed);
            for (int drip = 0; drip < aDrips; ++drip)
            {
                const float at = seconds * float(drip) / float(aDrips) + 0.37f * float(drip % 3);
                track.AddTone(at, 0.4f, NoteFrequency(aRootNote + 36 + (drip * 5) % 12), 0.06f, Wave::Bell, PLUCK, NoteFrequency(aRootNote + 31));
            }
            track.WrapInto(size_t(seconds * RATE));
            return track;
        }

        // Footsteps: soft thuds at even steps over a loop.
        Track Steps(float aSeconds, int aSteps, float aLoudness, float aBrightness, uint32_t aSeed)
        {
            Track track(RATE, aSeconds);
            for (int step = 0; step < aSteps; ++step)
            {
                const float at = aSeconds * float(step) / float(aSteps);
                track.AddNoise(at, 0.09f, aLoudness * 0.4f, aBrightness, { 0.004f, 0.06f, 0.0f }, aSeed + uint32_t(step));
                track.AddTone(at, 0.08f, 110.0f - 15.0f * float(step % 2), aLoudness * 0.8f, Wave::Sine, { 0.003f, 0.05f, 0.0f }, 60.0f);
            }
            track.WrapInto(size_t(aSeconds * RATE));
            return track;
        }

        Track Breath(float aSeconds, float aLoudness, uint32_t aSeed)
        {
            Track track(RATE, aSeconds);
            track.AddNoise(0.1f, aSeconds * 0.4f, aLoudness, 0.08f, { 0.3f, 0.3f, 0.0f }, aSeed);
            track.AddNoise(aSeconds * 0.55f, aSeconds * 0.35f, aLoudness * 0.7f, 0.05f, { 0.2f, 0.3f, 0.0f }, aSeed + 1);
            track.WrapInto(size_t(aSeconds * RATE));
            return track;
        }

        Track Notes(const std::vector<int>& someNotes, float aStep, float aLength, float aLoudness, Wave aWave, Envelope anEnvelope)
        {
            Track track(RATE, aStep * float(someNotes.size()) + aLength);
            for (size_t i = 0; i < someNotes.size(); ++i)
                track.AddTone(aStep * float(i), aLength, NoteFrequency(someNotes[i]), aLoudness, aWave, anEnvelope);
            return track;
        }

        Track Swish(float aSeconds, float aBrightness, uint32_t aSeed)
        {
            Track track(RATE, aSeconds);
            track.AddNoise(0.0f, aSeconds, 0.07f, aBrightness, { aSeconds * 0.4f, aSeconds * 0.5f, 0.0f }, aSeed);
            return track;
        }

        Track Thud(float aSeconds, float aFrequency, float aLoudness, uint32_t aSeed)
        {
            Track track(RATE, aSeconds);
            track.AddTone(0.0f, aSeconds, aFrequency, aLoudness, Wave::Sine, { 0.003f, aSeconds * 0.5f, 8.0f }, aFrequency * 0.5f);
            track.AddNoise(0.0f, aSeconds * 0.5f, aLoudness * 0.25f, 0.15f, { 0.002f, aSeconds * 0.4f, 10.0f }, aSeed);
            return track;
        }

        // A shimmering chord on a root, looping over four seconds.
        Track OrbHum(int aRootNote)
        {
            const float seconds = 4.0f;
            Track track(RATE, seconds);
            int index = 0;
            for (int tone : { 0, 4, 7, 12 })
            {
                const float frequency = LoopFrequency(NoteFrequency(aRootNote + tone), seconds);
                track.AddTone(0.0f, seconds, frequency, 0.07f, Wave::Sine, { 0.0f, 0.0f, 0.0f });
                // A slow beating partner a quarter hertz above: whole cycles of the beat fit the loop too.
                track.AddTone(0.0f, seconds, frequency + 0.25f * float(++index), 0.04f, Wave::Sine, { 0.0f, 0.0f, 0.0f });
            }
            return track;
        }

        const Song MAIN_THEME = { { { 57, { 0, 3, 7 } }, { 53, { 0, 4, 7 } }, { 48, { 0, 4, 7 } }, { 55, { 0, 4, 7 } } },
                                  { 0x0A4C11u, 0x1248A3u, 0x08C219u, 0x00D109u } };
        const Song LEVEL_SONGS[] = {
            { { { 48, { 0, 4, 7 } }, { 53, { 0, 4, 9 } }, { 57, { 0, 3, 7 } }, { 55, { 0, 5, 7 } } }, { 0x0B6D24u, 0x1D1042u, 0x09A541u, 0x0051A2u } },
            { { { 50, { 0, 3, 7 } }, { 46, { 0, 4, 7 } }, { 53, { 0, 4, 7 } }, { 45, { 0, 4, 7 } } }, { 0x0C2A51u, 0x15A903u, 0x0A4214u, 0x0089C1u } },
            { { { 52, { 0, 3, 7 } }, { 48, { 0, 4, 7 } }, { 55, { 0, 4, 7 } }, { 50, { 0, 5, 7 } } }, { 0x124A91u, 0x0C8A11u, 0x189421u, 0x02C849u } },
            { { { 45, { 0, 3, 7 } }, { 41, { 0, 4, 7 } }, { 43, { 0, 4, 7 } }, { 40, { 0, 3, 7 } } }, { 0x1B5A12u, 0x0A8D30u, 0x114A92u, 0x00A511u } },
            { { { 47, { 0, 3, 7 } }, { 43, { 0, 4, 7 } }, { 50, { 0, 4, 7 } }, { 45, { 0, 5, 7 } } }, { 0x0E4A31u, 0x1C8821u, 0x0A4A92u, 0x0149A1u } },
        };

        void Music(Pack& aPack)
        {
            const std::string folder = "Audio/Music/";
            aPack.SaveWav(folder + "Wispvale - Main Theme (w_ intro).wav", Intro(MAIN_THEME).Samples(), RATE);
            aPack.SaveWav(folder + "Wispvale - Main Theme (loop).wav", Loop(MAIN_THEME).Samples(), RATE);
            for (int level = 0; level < 5; ++level)
            {
                const std::string name = folder + "Wispvale - Level " + std::to_string(level);
                aPack.SaveWav(name + " (loop).wav", Loop(LEVEL_SONGS[level]).Samples(), RATE);
                if (level <= 2)
                    aPack.SaveWav(name + " (w_ intro).wav", Intro(LEVEL_SONGS[level]).Samples(), RATE);
            }
            aPack.SaveWav(folder + "Level _1_Ambiance.wav", Ambience(36, 0.05f, 6, 11).Samples(), RATE);
            aPack.SaveWav(folder + "Level _2_Ambiance_Option2.wav", Ambience(38, 0.08f, 4, 12).Samples(), RATE);
            aPack.SaveWav(folder + "Level _3_Ambiance.wav", Ambience(40, 0.03f, 8, 13).Samples(), RATE);
            aPack.SaveWav(folder + "Level _4_Ambiance.wav", Ambience(33, 0.04f, 3, 14).Samples(), RATE);
            aPack.SaveWav(folder + "Level _5_Ambiance2 (Toppen av tornet).wav", Ambience(35, 0.2f, 5, 15).Samples(), RATE);
        }

        void Effects(Pack& aPack)
        {
            const std::string sfx = "Audio/Sfx/";
            auto save = [&](const std::string& aFile, const Track& aTrack) { aPack.SaveWav(sfx + aFile, aTrack.Samples(), RATE); };

            save("Player/Vevo_Idle.wav", Breath(2.0f, 0.05f, 21));
            save("Player/Vevo_Idle_Crouch.wav", Breath(1.6f, 0.035f, 22));
            save("Player/Vevo_Crouch_Walk_Stone.wav", Steps(1.0f, 4, 0.12f, 0.2f, 23));
            save("Player/Vevo_Jog_Plain_Loop.wav", Steps(0.6f, 2, 0.16f, 0.3f, 24));
            Track jump(RATE, 0.3f);
            jump.AddTone(0.0f, 0.25f, 300.0f, 0.25f, Wave::Triangle, { 0.005f, 0.12f, 0.0f }, 720.0f);
            jump.AddNoise(0.0f, 0.2f, 0.08f, 0.4f, { 0.01f, 0.15f, 0.0f }, 25);
            save("Player/Vevo_Jump.wav", jump);
            save("Player/Vevo_Landing_Stone.1.wav", Thud(0.3f, 120.0f, 0.3f, 26));
            save("Player/Vevo_Lose.wav", Notes({ 67, 63, 60, 55 }, 0.28f, 0.5f, 0.22f, Wave::Triangle, { 0.01f, 0.2f, 1.5f }));

            Track alarm(RATE, 0.8f);
            for (int i = 0; i < 4; ++i)
                alarm.AddTone(0.2f * float(i), 0.18f, i % 2 ? 880.0f : 660.0f, 0.2f, Wave::SoftSquare, SOFT);
            save("EyeCorn/Eyecorn_Alarmed.wav", alarm);
            Track eyeIdle(RATE, 2.0f);
            eyeIdle.AddTone(0.0f, 2.0f, LoopFrequency(220.0f, 2.0f), 0.08f, Wave::Sine, { 0.0f, 0.0f, 0.0f });
            for (int flap = 0; flap < 8; ++flap)
                eyeIdle.AddNoise(0.25f * float(flap), 0.2f, 0.06f, 0.3f, { 0.05f, 0.12f, 0.0f }, 30 + uint32_t(flap));
            eyeIdle.WrapInto(2 * RATE);
            save("EyeCorn/Eyecorn_Idle.wav", eyeIdle);

            Track boing(RATE, 0.7f);
            boing.AddTone(0.0f, 0.6f, 180.0f, 0.35f, Wave::Triangle, { 0.005f, 0.2f, 2.0f }, 520.0f, 0.04f);
            save("Glomp/Glomp_alarmed.wav", boing);
            Track blorp(RATE, 0.9f);
            blorp.AddTone(0.0f, 0.8f, 320.0f, 0.3f, Wave::Triangle, { 0.01f, 0.3f, 1.0f }, 70.0f, 0.06f);
            save("Glomp/Glomp_Death.wav", blorp);
            save("Glomp/Glomp_Walking.wav", Steps(0.8f, 2, 0.14f, 0.06f, 40));

            save("Orb/Events_MagicOrb_level_0-3-4_(C)_Loop.wav", OrbHum(72));
            save("Orb/Events_MagicOrb_level_1_(Bb)_Loop.wav", OrbHum(70));
            save("Orb/Events_MagicOrb_level_2_(Db)_Loop.wav", OrbHum(73));
            save("Orb/Orb_AfterPickup__All_Levels_Loop.wav", OrbHum(79));
            save("Orb/Orb_Insert_RJ_VELA.wav", Notes({ 72, 76, 79, 84 }, 0.09f, 0.9f, 0.16f, Wave::Bell, BELL));
            save("Orb/Orb_PickUp_RJ_VELA.wav", Notes({ 72, 79, 84 }, 0.07f, 0.5f, 0.16f, Wave::Bell, BELL));
            Track fade(RATE, 1.6f);
            for (int tone : { 61, 65, 68 })
                fade.AddTone(0.0f, 1.5f, NoteFrequency(tone), 0.08f, Wave::Sine, { 0.05f, 1.2f, 0.0f });
            save("Orb/Orb_PickUp_Fadeout Db.wav", fade);

            Track drop(RATE, 1.0f);
            drop.AddNoise(0.0f, 1.2f, 0.04f, 0.12f, { 0.2f, 0.2f, 0.0f }, 50);
            drop.WrapInto(RATE);
            save("Snail/Snail_Droping.4.wav", drop);
            Track slurp(RATE, 0.5f);
            slurp.AddTone(0.0f, 0.45f, 500.0f, 0.2f, Wave::Sine, { 0.01f, 0.15f, 0.0f }, 150.0f, 0.08f);
            save("Snail/Snail_EnteringShell.wav", slurp);
            Track shellHum(RATE, 2.0f);
            shellHum.AddTone(0.0f, 2.0f, LoopFrequency(98.0f, 2.0f), 0.08f, Wave::Sine, { 0.0f, 0.0f, 0.0f });
            save("Snail/Snail_IdleShell.wav", shellHum);
            Track gurgle(RATE, 2.0f);
            for (int bubble = 0; bubble < 5; ++bubble)
                gurgle.AddTone(0.4f * float(bubble), 0.12f, 300.0f + 60.0f * float(bubble % 3), 0.2f, Wave::Sine, PLUCK, 500.0f);
            gurgle.WrapInto(2 * RATE);
            save("Snail/Snail_Idle.wav", gurgle);
            save("Snail/Snail_Landing.wav", Thud(0.4f, 80.0f, 0.35f, 51));
            Track scrape(RATE, 1.0f);
            scrape.AddNoise(0.0f, 1.2f, 0.05f, 0.35f, { 0.2f, 0.2f, 0.0f }, 52);
            scrape.WrapInto(RATE);
            save("Snail/Snail_Pushing.wav", scrape);
            save("Snail/Snail_PushLeft.wav", Notes({ 48, 45 }, 0.08f, 0.2f, 0.2f, Wave::Triangle, SOFT));
            save("Snail/Snail_PushRight.wav", Notes({ 48, 50 }, 0.08f, 0.2f, 0.2f, Wave::Triangle, SOFT));

            save("Ui/Hover_UI.wav", Notes({ 88 }, 0.05f, 0.06f, 0.12f, Wave::Sine, { 0.002f, 0.04f, 0.0f }));
            save("Ui/Select_UI_Variations.wav", Notes({ 79, 84 }, 0.07f, 0.1f, 0.15f, Wave::Bell, PLUCK));
            save("Ui/UI_Confirm.wav", Notes({ 76, 83 }, 0.09f, 0.18f, 0.16f, Wave::Bell, BELL));
            save("Ui/UI_Deny.wav", Notes({ 76, 69 }, 0.09f, 0.18f, 0.16f, Wave::Bell, BELL));
            save("Ui/ui_start_game.wav", Notes({ 72, 76, 79, 84, 88 }, 0.08f, 0.6f, 0.14f, Wave::Bell, BELL));
            Track close = Thud(0.4f, 90.0f, 0.3f, 60);
            close.Mix(Swish(0.25f, 0.3f, 61), 0.0f, 0.6f);
            save("Ui/Book_UI/Book_Close.wav", close);
            Track open = Swish(0.5f, 0.25f, 62);
            open.Mix(Thud(0.3f, 70.0f, 0.2f, 63), 0.05f);
            save("Ui/Book_UI/Book_open.wav", open);
            for (int flip = 1; flip <= 4; ++flip)
                save("Ui/Book_UI/Book_Page_Flip_" + std::to_string(flip) + ".wav", Swish(0.3f + 0.03f * float(flip), 0.3f + 0.08f * float(flip), 70 + uint32_t(flip)));

            Track crash(RATE, 1.3f);
            crash.AddNoise(0.0f, 1.2f, 0.16f, 0.5f, { 0.002f, 0.9f, 2.5f }, 80);
            for (int piece = 0; piece < 4; ++piece)
                crash.Mix(Thud(0.3f, 100.0f - 12.0f * float(piece), 0.25f, 81 + uint32_t(piece)), 0.15f * float(piece) + 0.05f);
            save("Other/Bridge_Crash.wav", crash);
            Track stair(RATE, 2.6f);
            stair.AddNoise(0.0f, 2.5f, 0.03f, 0.04f, { 0.3f, 0.8f, 0.0f }, 90);
            stair.Mix(Notes({ 60, 64, 67, 72, 76, 79, 84 }, 0.25f, 0.8f, 0.1f, Wave::Bell, BELL), 0.2f);
            save("Other/Staircase.wav", stair);
        }
    }

    void MakeSounds(Pack& aPack)
    {
        Music(aPack);
        Effects(aPack);
    }
}
