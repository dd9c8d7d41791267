#pragma once
// Plays a video file into a texture (and its sound to the wave-out device), decoding on the main
// thread inside Update, paced by the frame time. The opening screen draws the texture as a sprite
// with the UV scale video size / texture size.
#include "mire/texture/Texture.h"
#include "Platform/graphics/Gfx.h"

#include <cstdint>
#include <memory>

namespace Vela
{
    class VideoStream;

    enum VideoPlayerStatus : uint32_t
    {
        VideoPlayerStatus_None = 0,
        VideoPlayerStatus_Playing = 1,
        VideoPlayerStatus_Finished = 2,
    };

    class VideoPlayer
    {
    public:
        VideoPlayer();
        ~VideoPlayer();
        VideoPlayer(const VideoPlayer&) = delete;
        VideoPlayer& operator=(const VideoPlayer&) = delete;

        // False when already initialised, or when the file cannot be opened or holds no picture.
        // Needs the graphics device (DX11) for the texture.
        bool Init(const char* aPath, bool aWithAudio);
        void Play(bool aLoop);
        void Update(float aDeltaTime);

        // The frame texture as a texture object, for drawing it as a sprite.
        const Texture* GetViewHolder() const { return myViewHolder.get(); }
        Gfx::ShaderResourceView* GetShaderResourceView() const { return myShaderResourceView.Get(); }
        Gfx::Texture2D* GetTexture() const { return myTexture.Get(); }
        uint32_t GetVideoWidth() const { return myVideoWidth; }
        uint32_t GetVideoHeight() const { return myVideoHeight; }
        uint32_t GetTextureWidth() const { return myTextureWidth; }
        uint32_t GetTextureHeight() const { return myTextureHeight; }
        float GetTimeAccumulator() const { return myTimeAccumulator; }
        uint32_t GetStatus() const { return myStatus; }
        bool IsPlaying() const { return myIsPlaying; }
        bool IsLooping() const { return myIsLooping; }
        VideoStream* GetStream() const { return myStream.get(); }

        // The smallest power of two >= aSize (1 for 0).
        static uint32_t RoundUpToPowerOfTwo(uint32_t aSize);

    private:
        bool CreateTexture();
        void UploadPicture();

        std::unique_ptr<Texture> myViewHolder;
        std::unique_ptr<VideoStream> myStream;
        Gfx::Ref<Gfx::ShaderResourceView> myShaderResourceView;
        Gfx::Ref<Gfx::Texture2D> myTexture;
        uint32_t myVideoWidth = 0;
        uint32_t myVideoHeight = 0;
        float myTimeAccumulator = 0.0f;
        uint32_t myStatus = VideoPlayerStatus_None;
        bool myIsPlaying = false;
        bool myIsLooping = false;
        uint32_t myTextureWidth = 0;
        uint32_t myTextureHeight = 0;
    };
}
