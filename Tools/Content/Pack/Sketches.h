#pragma once
// Flat drawings of the game's characters, shared by the UI art and the opening video's pictures.
#include "Writers/Image.h"

namespace Vela::Content
{
    // The wanderer standing with its feet at (aX, aFeetY), about 96 pixels tall at scale 1.
    void Player(Image& anImage, float aX, float aFeetY, float aScale);
    void Orb(Image& anImage, float aX, float aY, float aRadius);
    void Glomp(Image& anImage, float aX, float aFeetY, float aScale);
}
