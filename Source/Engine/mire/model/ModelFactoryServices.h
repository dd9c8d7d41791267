#pragma once
#include "mire/texture/TextureSrgbMode.h"
#include "Platform/graphics/GfxDevice.h"

#include <functional>
#include <string>

namespace Vela
{
    class Texture;

    // What the model factory needs from the rest of the engine: the device for its buffers, the texture
    // manager for material textures and the file watcher for reloads. The defaults reach the running engine;
    // tools and tests may bind their own before the factory is created.
    struct ModelFactoryServices
    {
        std::function<Gfx::Device*()> myGetDevice;
        // Null when the file cannot be found or decoded.
        std::function<const Texture*(const std::string& aPath, TextureSrgbMode aMode)> myLoadTexture;
        // Never null: a placeholder stands in for a missing file.
        std::function<const Texture*(const std::string& aPath, TextureSrgbMode aMode)> myGetTexture;
        // False when the file is not watched (missing file, watching switched off, no watcher).
        std::function<bool(const std::string& aResolvedPath, std::function<void()> aCallback)> myWatchFile;
    };

    // The running engine's device and texture manager, and the file watch registered below.
    ModelFactoryServices GetEngineModelFactoryServices();

    // The engine hands its file watcher's registration here once the watcher exists (and an empty function
    // before the watcher goes); model reloads are registered through it.
    using ModelFileWatchRegistration = std::function<bool(const std::string& aResolvedPath, std::function<void()> aCallback)>;
    void SetModelFileWatchRegistration(ModelFileWatchRegistration aRegistration);
}
