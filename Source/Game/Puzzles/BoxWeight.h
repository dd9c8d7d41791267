#pragma once
// How heavy a movable box is, and so the player's push state: the box writes its own weight into the
// player every frame it is held, None when nothing is. The numbers are the level file's box types.
#include <cstdint>

enum BoxWeight : int32_t
{
    BoxWeight_None = 0,
    BoxWeight_Light = 1,
    BoxWeight_Heavy = 2,
};
