#include "mire/texture/TextureManager.h"

#include "mire/graphics/GraphicsServices.h"
#include "mire/loaders/DdsLoader.h"
#include "mire/loaders/PngLoader.h"
#include "mire/loaders/StbImageLoader.h"
#include "mire/loaders/TgaLoader.h"
#include "mire/settings/Settings.h"
#include "mire/texture/TextureUpload.h"

#include <cstdio>
#include <filesystem>

namespace Vela
{
    namespace
    {
        constexpr uint32_t CHECKER_SIZE = 16;
        constexpr uint32_t OPAQUE_BLACK = 0xFF000000u;
        constexpr uint32_t OPAQUE_MAGENTA = 0xFFFF00FFu;
        constexpr uint32_t OPAQUE_WHITE = 0xFFFFFFFFu;
        constexpr uint32_t FLAT_NORMAL = 0xFFFF8080u; // bytes 128, 128, 255, 255
        const Vector2<float> PLACEHOLDER_NORMALIZED_SIZE = { 0.3f, 0.3f };
        constexpr uint32_t PLACEHOLDER_SIZE = 512;

        bool HasTargaExtension(const std::string& aFile)
        {
            const size_t dot = aFile.find_last_of('.');
            return dot != std::string::npos && aFile.compare(dot + 1, std::string::npos, "tga") == 0;
        }
    }

    size_t TextureManager::KeyHash::operator()(const std::string& aKey) const
    {
        uint64_t hash = 14695981039346656037ull;
        for (const char character : aKey)
        {
            hash ^= uint8_t(character);
            hash *= 1099511628211ull;
        }
        return size_t(hash);
    }

    TextureManager::TextureManager() { GraphicsServices::SetTextureManager(this); }

    TextureManager::~TextureManager()
    {
        if (GraphicsServices::GetTextureManager() == this)
            GraphicsServices::SetTextureManager(nullptr);
    }

    std::string TextureManager::MakeKey(const char* aPath, TextureSrgbMode aMode)
    {
        std::string key = aPath ? aPath : "";
        if (aMode == TextureSrgbMode::ForceSrgb)
            key += "#SRGB";
        else if (aMode == TextureSrgbMode::IgnoreSrgb)
            key += "#NO_SRGB";
        return key;
    }

    void TextureManager::SetFileWatchRegistration(FileWatchRegistration aRegistration)
    {
        std::lock_guard lock(myMutex);
        myFileWatchRegistration = std::move(aRegistration);
    }

    bool TextureManager::Init()
    {
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return false;

        uint32_t checker[CHECKER_SIZE * CHECKER_SIZE];
        for (uint32_t row = 0; row < CHECKER_SIZE; ++row)
            for (uint32_t column = 0; column < CHECKER_SIZE; ++column)
                checker[row * CHECKER_SIZE + column] = (row + column) % 2 == 0 ? OPAQUE_BLACK : OPAQUE_MAGENTA;
        const uint32_t white[16] = { OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE,
                                     OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE,
                                     OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE, OPAQUE_WHITE };
        uint32_t normal[16];
        std::fill(std::begin(normal), std::end(normal), FLAT_NORMAL);

        auto missing = CreateSolidTexture(*device, CHECKER_SIZE, CHECKER_SIZE, checker);
        auto defaultView = CreateSolidTexture(*device, 4, 4, white);
        auto normalView = CreateSolidTexture(*device, 4, 4, normal);

        std::lock_guard lock(myMutex);
        myMissingTextureView = missing;
        myDefaultTexture = std::make_unique<Texture>();
        myDefaultTexture->myShaderResourceView = defaultView;
        myDefaultTexture->myName = "WhiteSquare";
        myDefaultTexture->myNormalizedSize = PLACEHOLDER_NORMALIZED_SIZE;
        myDefaultTexture->myWidth = PLACEHOLDER_SIZE;
        myDefaultTexture->myHeight = PLACEHOLDER_SIZE;
        myDefaultNormalView = normalView;
        // Placeholders handed out before the checkerboard existed show it from now on.
        for (auto& [key, texture] : myCache)
        {
            if (texture->myIsPlaceholder && !texture->myShaderResourceView)
                texture->myShaderResourceView = myMissingTextureView;
        }
        return missing && defaultView && normalView;
    }

    Texture* TextureManager::FindLocked(const std::string& aKey) const
    {
        const auto found = myCache.find(aKey);
        return found != myCache.end() ? found->second.get() : nullptr;
    }

    Gfx::Ref<Gfx::ShaderResourceView> TextureManager::DecodeFile(const std::string& aFile, TextureSrgbMode aMode, bool& aNeedsRenderThread)
    {
        aNeedsRenderThread = false;
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return {};

        DdsImage dds;
        std::string ddsError;
        if (LoadDdsFromFile(aFile, aMode, dds, ddsError))
            return CreateTextureFromDds(*device, dds);

        // Everything else is decoded on the render thread only.
        if (!device->IsRenderThread())
        {
            aNeedsRenderThread = true;
            return {};
        }
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (context && !HasTargaExtension(aFile) && IsPngFile(aFile))
        {
            RgbaImage png;
            std::string pngError;
            if (LoadPngImage(aFile, aMode, png, pngError))
                return CreateTextureFromRgba(*device, *context, png);
            printf("Texture %s: %s\n", aFile.c_str(), pngError.c_str());
            return {};
        }
        if (context && !HasTargaExtension(aFile) && IsOtherImageFile(aFile))
        {
            RgbaImage picture;
            std::string pictureError;
            if (LoadOtherImage(aFile, aMode, picture, pictureError))
                return CreateTextureFromRgba(*device, *context, picture);
            printf("Texture %s: %s\n", aFile.c_str(), pictureError.c_str());
            return {};
        }
        if (HasTargaExtension(aFile))
        {
            const std::wstring widePath = std::filesystem::path(aFile).wstring();
            if (const auto targa = LoadTargaImage(widePath.c_str()))
                return CreateTextureFromTarga(*device, *targa);
            return {};
        }
        // A file that starts like a DDS file gets the DDS loader's reason.
        const bool looksLikeDds = ddsError.find("magic") == std::string::npos;
        printf("Texture %s: %s\n", aFile.c_str(),
               looksLikeDds ? ddsError.c_str() : "not a DDS, PNG, JPEG, BMP, GIF or .tga file");
        return {};
    }

    Texture* TextureManager::LoadTexture(const char* aPath, TextureSrgbMode aMode, bool aForceReload)
    {
        bool needsRenderThread = false;
        return LoadTextureInternal(aPath, aMode, aForceReload, needsRenderThread);
    }

    Texture* TextureManager::LoadTextureInternal(const char* aPath, TextureSrgbMode aMode, bool aForceReload, bool& aNeedsRenderThread)
    {
        const std::string key = MakeKey(aPath, aMode);
        const std::string path = aPath ? aPath : "";
        bool hadEntry = false;
        {
            std::lock_guard lock(myMutex);
            if (Texture* cached = FindLocked(key))
            {
                hadEntry = true;
                Gfx::Device* device = GraphicsServices::GetDevice();
                const bool retryNow = cached->myRetryOnRenderThread && device && device->IsRenderThread();
                if (!aForceReload && !retryNow)
                    return cached;
                cached->myRetryOnRenderThread = false;
            }
        }

        const std::string file = Settings::ResolveAssetPath(path);
        if (file.empty())
            return nullptr;

        FileWatchRegistration registration;
        if (!hadEntry)
        {
            std::lock_guard lock(myMutex);
            registration = myFileWatchRegistration;
        }
        if (registration)
            registration(file, [this, key](const std::string&) { OnFileChanged(key); });

        Gfx::Ref<Gfx::ShaderResourceView> view = DecodeFile(file, aMode, aNeedsRenderThread);
        if (!view)
            return nullptr;

        Gfx::Resource* resource = nullptr;
        view->GetResource(&resource);
        Gfx::Texture2DDesc description;
        if (resource)
        {
            static_cast<Gfx::Texture2D*>(resource)->GetDesc(&description);
            resource->Release();
        }
        const float renderHeight = GraphicsServices::GetRenderHeight();

        std::lock_guard lock(myMutex);
        Texture* texture = FindLocked(key);
        // Another thread may have loaded the same key meanwhile: the first real texture stays.
        if (texture && !aForceReload && !texture->myIsPlaceholder)
            return texture;
        if (!texture)
            texture = myCache.emplace(key, std::make_unique<Texture>()).first->second.get();
        texture->myName = file;
        texture->myPath = path;
        texture->myShaderResourceView = std::move(view);
        texture->myMode = aMode;
        texture->myNormalizedSize = { float(description.width) / renderHeight, float(description.height) / renderHeight };
        texture->myWidth = description.width;
        texture->myHeight = description.height;
        texture->myIsPlaceholder = false;
        texture->myRetryOnRenderThread = false;
        return texture;
    }

    Texture* TextureManager::GetTexture(const char* aPath, TextureSrgbMode aMode, bool aForceReload)
    {
        bool needsRenderThread = false;
        if (Texture* texture = LoadTextureInternal(aPath, aMode, aForceReload, needsRenderThread))
            return texture;

        const std::string key = MakeKey(aPath, aMode);
        std::lock_guard lock(myMutex);
        // A failed reload (a file caught mid-save) keeps the object callers hold and its old content.
        if (Texture* existing = FindLocked(key))
            return existing;
        auto placeholder = std::make_unique<Texture>();
        placeholder->myName = aPath ? aPath : "";
        placeholder->myPath = placeholder->myName;
        placeholder->myMode = aMode;
        placeholder->myShaderResourceView = myMissingTextureView;
        placeholder->myIsPlaceholder = true;
        placeholder->myRetryOnRenderThread = needsRenderThread;
        placeholder->myNormalizedSize = PLACEHOLDER_NORMALIZED_SIZE;
        placeholder->myWidth = PLACEHOLDER_SIZE;
        placeholder->myHeight = PLACEHOLDER_SIZE;
        return myCache.emplace(key, std::move(placeholder)).first->second.get();
    }

    void TextureManager::OnFileChanged(const std::string& aKey)
    {
        std::string path;
        TextureSrgbMode mode = TextureSrgbMode::AsStored;
        {
            std::lock_guard lock(myMutex);
            const Texture* texture = FindLocked(aKey);
            if (!texture)
                return;
            path = texture->myPath;
            mode = texture->myMode;
        }
        GetTexture(path.c_str(), mode, true);
    }
}
