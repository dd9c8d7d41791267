#pragma once
// The game's flipbooks, each described once; the spawner adds where, how big and how it drifts.
#include "Effects/FlipbookEffects.h"

namespace FlipbookPresets
{
    // A puff at the player's feet while it moves, and the burst of puffs after a start.
    inline constexpr FlipbookDescription MOVEMENT_POOF{ "visual effects/textures/T_S_Player_MovementPoof.DDS", 4, 4, 16, 24.0f, 1 };
    // The puff of a hard landing.
    inline constexpr FlipbookDescription LANDING_POOF{ "visual effects/textures/T_S_Player_MovePoof.DDS", 4, 4, 16, 24.0f, 1 };
    // A drop of sweat over the player pushing a box.
    inline constexpr FlipbookDescription SWEAT{ "visual effects/textures/T_Flipbook_Vevo_Sweat.DDS", 4, 4, 16, 32.0f, 1 };
    // The dust a walking Glomp kicks up: the movement puff, played slower.
    inline constexpr FlipbookDescription WALK_DUST{ "visual effects/textures/T_S_Player_MovementPoof.DDS", 4, 4, 16, 16.0f, 1 };
    // The clouds of a breaking floor.
    inline constexpr FlipbookDescription FLOOR_DUST{ "visual effects/textures/T_Sprite_PlatformDustCloud_c.DDS", 4, 4, 16, 16.0f, 1 };
    // The pulse of an orb seating in its socket.
    inline constexpr FlipbookDescription ORB_PULSE{ "visual effects/textures/T_flipbook_orb_pulse.DDS", 8, 8, 64, 60.0f, 1 };
}
