#pragma once
// The graphics layer in one include: a device, immediate context and swap chain in the shape the engine's renderer
// was written against, running on OpenGL 4.5 core through SDL2 and libepoxy. See GfxDevice.h for the conventions,
// the threading rules and ownership.
#include "Platform/graphics/GfxDevice.h"
#include "Platform/graphics/GfxObjects.h"
#include "Platform/graphics/GfxTypes.h"
