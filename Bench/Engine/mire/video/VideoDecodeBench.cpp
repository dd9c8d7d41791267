// Decoding and texture upload per picture of a 1920 x 1080 video.
#include "mire/graphics/DX11.h"
#include "mire/video/VideoPlayer.h"
#include "mire/video/VideoStream.h"
#include "Platform/graphics/Gfx.h"
#include "Platform/window/NativeWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{
    void DecodeAndUpload1080p(benchmark::State& aState)
    {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("vela-video-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::filesystem::path clip = folder / "clip.mp4";
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=2 "
                                    "-c:v libx264 -preset veryfast -pix_fmt yuv420p '" + clip.string() + "'";
        if (std::system(command.c_str()) != 0)
        {
            aState.SkipWithError("ffmpeg could not make the clip");
            return;
        }

        Vela::Platform::WindowCreateInfo info;
        info.title = "video bench";
        info.clientWidth = 64;
        info.clientHeight = 64;
        Vela::Platform::WindowHandle window = Vela::Platform::CreateNativeWindow(info);
        Vela::Gfx::SwapChainDesc desc;
        desc.outputWindow = window;
        Vela::Gfx::Ref<Vela::Gfx::SwapChain> swapChain;
        Vela::Gfx::Ref<Vela::Gfx::Device> device;
        Vela::Gfx::Ref<Vela::Gfx::DeviceContext> context;
        if (!window || Vela::Gfx::Failed(Vela::Gfx::CreateDeviceAndSwapChain(nullptr, 0, &desc, swapChain.ReleaseAndGetAddressOf(),
                                                                             device.ReleaseAndGetAddressOf(), context.ReleaseAndGetAddressOf())))
        {
            aState.SkipWithError("no graphics device");
            return;
        }
        Vela::DX11::Device = device.Get();
        Vela::DX11::Context = context.Get();
        {
            Vela::VideoPlayer player;
            if (!player.Init(clip.string().c_str(), false))
            {
                aState.SkipWithError("the clip does not play");
            }
            else
            {
                player.Play(true);
                const float frameTime = static_cast<float>(1.0 / player.GetStream()->GetFrameRate());
                for (auto _ : aState)
                    player.Update(frameTime); // one picture decoded and uploaded
                aState.counters["texture"] = player.GetTextureWidth();
            }
        }
        Vela::DX11::Device = nullptr;
        Vela::DX11::Context = nullptr;
        context.Reset();
        swapChain.Reset();
        device.Reset();
        Vela::Platform::ReleaseNativeWindow(window);
        std::filesystem::remove_all(folder);
    }
}

BENCHMARK(DecodeAndUpload1080p)->Unit(benchmark::kMillisecond);
