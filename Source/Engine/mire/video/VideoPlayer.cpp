#include "mire/video/VideoPlayer.h"

#include "mire/graphics/DX11.h"
#include "mire/video/VideoStream.h"

#include <cstdio>

namespace Vela
{
    namespace
    {
        // A 100 ms step at 30 pictures per second holds exactly three pictures, but not in float
        // arithmetic: allow for the rounding.
        constexpr double FRAME_TIME_TOLERANCE = 1e-5;
    }

    VideoPlayer::VideoPlayer() = default;

    // The view holder goes first, then the stream, then the texture and its view.
    VideoPlayer::~VideoPlayer()
    {
        myViewHolder.reset();
        myStream.reset();
        myShaderResourceView.Reset();
        myTexture.Reset();
    }

    uint32_t VideoPlayer::RoundUpToPowerOfTwo(uint32_t aSize)
    {
        uint32_t size = 1;
        while (size < aSize && size < 0x80000000u)
            size <<= 1;
        return size;
    }

    bool VideoPlayer::Init(const char* aPath, bool aWithAudio)
    {
        if (myStream)
            return false;
        auto stream = std::make_unique<VideoStream>();
        const int opened = stream->Open(aPath, aWithAudio);
        if (opened != VideoStream::OPEN_OK)
        {
            printf("Video could not be opened: %s\n", aPath ? aPath : "");
            return false;
        }
        if (!stream->Start())
        {
            printf("Video holds no picture: %s\n", aPath ? aPath : "");
            return false;
        }
        myStream = std::move(stream);
        myVideoWidth = myStream->GetPictureWidth();
        myVideoHeight = myStream->GetPictureHeight();
        myTextureWidth = RoundUpToPowerOfTwo(myVideoWidth);
        myTextureHeight = RoundUpToPowerOfTwo(myVideoHeight);
        myStatus = VideoPlayerStatus_Playing;
        if (!myShaderResourceView)
            CreateTexture();
        // Show the first picture from the start rather than whatever the new texture holds.
        UploadPicture();
        return true;
    }

    bool VideoPlayer::CreateTexture()
    {
        if (!DX11::Device)
            return false;
        Gfx::Texture2DDesc desc;
        desc.width = myTextureWidth;
        desc.height = myTextureHeight;
        desc.mipLevels = 1;
        desc.arraySize = 1;
        desc.format = Gfx::Format::R8G8B8A8_UNORM_SRGB;
        desc.usage = Gfx::Usage::DYNAMIC;
        desc.bindFlags = Gfx::BIND_SHADER_RESOURCE;
        desc.cpuAccessFlags = Gfx::CPU_ACCESS_WRITE;
        Gfx::Ref<Gfx::Texture2D> texture;
        if (Gfx::Failed(DX11::Device->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf())))
        {
            printf("Video texture could not be created (%u x %u)\n", myTextureWidth, myTextureHeight);
            return false;
        }
        Gfx::Ref<Gfx::ShaderResourceView> view;
        if (Gfx::Failed(DX11::Device->CreateShaderResourceView(texture.Get(), nullptr, view.ReleaseAndGetAddressOf())))
            return false;
        myTexture = texture;
        myShaderResourceView = view;
        myViewHolder = std::make_unique<Texture>(view, "video");
        return true;
    }

    void VideoPlayer::Play(bool aLoop)
    {
        myStatus = VideoPlayerStatus_Playing;
        myIsPlaying = true;
        myIsLooping = aLoop;
    }

    void VideoPlayer::UploadPicture()
    {
        if (!myTexture || !DX11::Context)
            return;
        Gfx::MappedSubresource mapped;
        if (Gfx::Failed(DX11::Context->Map(myTexture.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
            return;
        myStream->CopyFrameRGBA(mapped, myTextureWidth, myTextureHeight);
        DX11::Context->Unmap(myTexture.Get(), 0);
    }

    void VideoPlayer::Update(float aDeltaTime)
    {
        if (!myIsPlaying || !myStream)
            return;
        myTimeAccumulator += aDeltaTime;
        const double frameTime = 1.0 / myStream->GetFrameRate();
        while (myTimeAccumulator + FRAME_TIME_TOLERANCE >= frameTime)
        {
            if (myTexture && myShaderResourceView)
            {
                if (myStream->DecodeNextFrame() < 0)
                {
                    myStatus = VideoPlayerStatus_Finished;
                    if (myIsLooping)
                    {
                        myStatus = VideoPlayerStatus_Playing;
                        myIsPlaying = true;
                        myStream->Rewind();
                    }
                }
                Gfx::MappedSubresource mapped;
                if (!DX11::Context || Gfx::Failed(DX11::Context->Map(myTexture.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
                    break;
                myStream->CopyFrameRGBA(mapped, myTextureWidth, myTextureHeight);
                DX11::Context->Unmap(myTexture.Get(), 0);
            }
            myTimeAccumulator -= static_cast<float>(frameTime);
        }
    }
}
