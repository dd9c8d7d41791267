#pragma once
#include "mire/math/Vector.h"
#include "mire/texture/TextureSrgbMode.h"

#include "Platform/graphics/Gfx.h"

#include <cstdint>
#include <string>

namespace Vela
{
    struct TextureSize
    {
        uint32_t width = 0;
        uint32_t height = 0;
    };

    // A texture owned by the texture manager. Callers keep the pointer for the manager's life: a reload
    // swaps the view inside the same object.
    class Texture
    {
    public:
        Texture() = default;
        // Wraps a view that someone else keeps up to date (the video player's frame texture), so it can be
        // drawn wherever a managed texture is expected.
        explicit Texture(Gfx::Ref<Gfx::ShaderResourceView> aView, std::string aName);

        Gfx::ShaderResourceView* GetShaderResourceView() const { return myShaderResourceView.Get(); }
        TextureSrgbMode GetMode() const { return myMode; }
        const std::string& GetName() const { return myName; }
        const std::string& GetPath() const { return myPath; }
        // Pixel size over the render height: sizes in screen heights.
        const Vector2<float>& GetNormalizedSize() const { return myNormalizedSize; }
        uint32_t GetWidth() const { return myWidth; }
        uint32_t GetHeight() const { return myHeight; }
        bool IsPlaceholder() const { return myIsPlaceholder; }
        // Read from the view's resource; (0, 0) without one.
        TextureSize GetSize() const;

    private:
        friend class TextureManager;

        Gfx::Ref<Gfx::ShaderResourceView> myShaderResourceView;
        TextureSrgbMode myMode = TextureSrgbMode::AsStored;
        std::string myName = "undefined";
        std::string myPath;
        Vector2<float> myNormalizedSize;
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
        bool myIsPlaceholder = false;
        // A placeholder made off the render thread for a file only the render thread can decode:
        // the next request on the render thread tries the file again.
        bool myRetryOnRenderThread = false;
    };
}
