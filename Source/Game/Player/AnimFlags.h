#pragma once
// What the player did this frame, as the player's animation states read it.

struct AnimFlags
{
    bool dead = false;
    bool grounded = false;
    bool crouching = false;
    bool pushing = false;
    bool pulling = false;
    bool reserved = false; // always clear while the machine runs
    bool jumpStarted = false;
    float speed = 0.0f; // absolute horizontal displacement this frame, units per frame
};
