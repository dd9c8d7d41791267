// Flipbook sheets of the effects: dust puffs, the landing poof, sweat drops, floor dust clouds
// (4 x 4 frames) and the orb's glow and pulse (8 x 8 frames).
#include "Pack.h"
#include "Palette.h"

#include <cmath>
#include <functional>

namespace Vela::Content
{
    namespace
    {
        using enum Shade;
        // Draws one frame into a cell of aSize pixels; aProgress runs from 0 (first frame) to 1 (last).
        using FrameArt = std::function<void(Image& aCell, float aProgress)>;

        Image Sheet(int aColumns, int aRows, uint32_t aCellSize, const FrameArt& anArt)
        {
            Image sheet(aColumns * aCellSize, aRows * aCellSize);
            const int frames = aColumns * aRows;
            for (int frame = 0; frame < frames; ++frame)
            {
                Image cell(aCellSize, aCellSize);
                anArt(cell, float(frame) / float(frames - 1));
                sheet.Paste(cell, int((frame % aColumns) * aCellSize), int((frame / aColumns) * aCellSize));
            }
            return sheet;
        }

        // A puff of a few round clouds that grows and fades.
        FrameArt Puff(Rgba aColor, int aBlobs, float aSpread)
        {
            return [=](Image& aCell, float aProgress) {
                const float size = float(aCell.Width());
                const float fade = 1.0f - aProgress;
                for (int blob = 0; blob < aBlobs; ++blob)
                {
                    const float angle = 6.2831853f * float(blob) / float(aBlobs) + 0.4f;
                    const float distance = size * aSpread * (0.15f + 0.6f * aProgress);
                    const float radius = size * (0.12f + 0.14f * std::sqrt(aProgress)) * (blob % 2 ? 0.8f : 1.0f);
                    aCell.FillEllipse(size * 0.5f + std::cos(angle) * distance, size * 0.55f + std::sin(angle) * distance * 0.6f, radius, radius,
                                      WithAlpha(aColor, uint8_t(220 * fade)));
                }
            };
        }

        FrameArt Sweat()
        {
            return [](Image& aCell, float aProgress) {
                const float size = float(aCell.Width());
                for (int drop = 0; drop < 3; ++drop)
                {
                    const float x = size * (0.3f + 0.2f * drop) + (drop - 1) * aProgress * size * 0.2f;
                    const float y = size * (0.35f - 0.15f * std::sin(3.14159f * aProgress) + 0.4f * aProgress * aProgress);
                    const Rgba color = WithAlpha(Mix(Color(GlowCyan), Color(White), 0.4f), uint8_t(230 * (1.0f - aProgress)));
                    aCell.FillEllipse(x, y, size * 0.05f, size * 0.08f, color);
                    aCell.FillTriangle({ x - size * 0.045f, y - size * 0.02f }, { x + size * 0.045f, y - size * 0.02f }, { x, y - size * 0.14f }, color);
                }
            };
        }

        FrameArt Glow(float aPulses, float aBaseRadius, float aGrowth)
        {
            return [=](Image& aCell, float aProgress) {
                const float size = float(aCell.Width());
                const float beat = 0.5f + 0.5f * std::cos(6.2831853f * aPulses * aProgress);
                const float radius = size * (aBaseRadius + aGrowth * (aGrowth > 0.2f ? aProgress : beat));
                const uint8_t alpha = uint8_t(aGrowth > 0.2f ? 255 * (1.0f - aProgress) : 150 + 100 * beat);
                aCell.FillGlow(size * 0.5f, size * 0.5f, radius, WithAlpha(Color(GlowCyan), alpha), 1.6f);
                aCell.FillGlow(size * 0.5f, size * 0.5f, radius * 0.55f, WithAlpha(Color(GlowYellow), alpha), 1.2f);
                if (aGrowth > 0.2f)
                    aCell.FillEllipse(size * 0.5f, size * 0.5f, radius, radius, WithAlpha(Color(White), uint8_t(200 * (1.0f - aProgress))), 3.0f);
            };
        }
    }

    void MakeEffects(Pack& aPack)
    {
        const std::string folder = "visual effects/textures/";
        aPack.SaveDds(folder + "T_S_Player_MovementPoof.DDS", Sheet(4, 4, 64, Puff(Color(Parchment), 5, 0.25f)), DdsFormat::Bc3Srgb);
        aPack.SaveDds(folder + "T_S_Player_MovePoof.DDS", Sheet(4, 4, 64, Puff(Color(Cream), 8, 0.45f)), DdsFormat::Bc3Srgb);
        aPack.SaveDds(folder + "T_Flipbook_Vevo_Sweat.DDS", Sheet(4, 4, 64, Sweat()), DdsFormat::Bc3Srgb);
        aPack.SaveDds(folder + "T_Sprite_PlatformDustCloud_c.DDS", Sheet(4, 4, 64, Puff(Color(ParchmentDark), 7, 0.4f)), DdsFormat::Bc3Srgb);
        aPack.SaveDds(folder + "T_flipbook_orb_glow.DDS", Sheet(8, 8, 64, Glow(2.0f, 0.3f, 0.12f)), DdsFormat::Bc3Srgb);
        aPack.SaveDds(folder + "T_flipbook_orb_pulse.DDS", Sheet(8, 8, 64, Glow(1.0f, 0.1f, 0.38f)), DdsFormat::Bc3Srgb);
    }
}
