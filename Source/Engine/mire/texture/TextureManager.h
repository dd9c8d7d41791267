#pragma once
#include "mire/texture/Texture.h"
#include "mire/texture/TextureSrgbMode.h"

#include "Platform/graphics/Gfx.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace Vela
{
    // Loads DDS, PNG and Targa files into textures, caches them by path and sRGB mode, stands a
    // checkerboard in for missing files and reloads changed files into the same texture object.
    // Safe to call from the level-loading worker; only the render thread decodes PNG and Targa files.
    class TextureManager
    {
    public:
        // Registers a file with a watcher; the callback runs on the render thread when it changes.
        using FileWatchRegistration = std::function<void(const std::string& aFile, std::function<void(const std::string& aFile)> aCallback)>;

        TextureManager();
        ~TextureManager();
        TextureManager(const TextureManager&) = delete;
        TextureManager& operator=(const TextureManager&) = delete;

        // Builds the checkerboard, "WhiteSquare" and the default normal. Needs the device.
        bool Init();

        // Never null: a file that cannot be loaded gives a 512 x 512 placeholder.
        Texture* GetTexture(const char* aPath, TextureSrgbMode aMode = TextureSrgbMode::AsStored, bool aForceReload = false);
        // Null when nothing could be loaded.
        Texture* LoadTexture(const char* aPath, TextureSrgbMode aMode = TextureSrgbMode::AsStored, bool aForceReload = false);
        // Hot-reload entry: reloads the texture cached under the key, if any.
        void OnFileChanged(const std::string& aKey);

        Texture* GetDefaultTexture() const { return myDefaultTexture.get(); }
        Gfx::ShaderResourceView* GetDefaultNormalView() const { return myDefaultNormalView.Get(); }
        Gfx::ShaderResourceView* GetMissingTextureView() const { return myMissingTextureView.Get(); }

        void SetFileWatchRegistration(FileWatchRegistration aRegistration);

        static std::string MakeKey(const char* aPath, TextureSrgbMode aMode);

    private:
        struct KeyHash
        {
            size_t operator()(const std::string& aKey) const;
        };

        Texture* LoadTextureInternal(const char* aPath, TextureSrgbMode aMode, bool aForceReload, bool& aNeedsRenderThread);
        Gfx::Ref<Gfx::ShaderResourceView> DecodeFile(const std::string& aFile, TextureSrgbMode aMode, bool& aNeedsRenderThread);
        Texture* FindLocked(const std::string& aKey) const;

        mutable std::mutex myMutex;
        std::unordered_map<std::string, std::unique_ptr<Texture>, KeyHash> myCache;
        Gfx::Ref<Gfx::ShaderResourceView> myMissingTextureView;
        Gfx::Ref<Gfx::ShaderResourceView> myDefaultNormalView;
        std::unique_ptr<Texture> myDefaultTexture;
        FileWatchRegistration myFileWatchRegistration;
    };
}
