#pragma once
// Clips made with Debian's ffmpeg command, and a graphics device published the way the engine
// publishes its own, for the video tests.
#include "mire/graphics/DX11.h"
#include "Platform/graphics/Gfx.h"
#include "Platform/window/NativeWindow.h"
#include "Support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace VelaTest
{
    // Runs ffmpeg with the given input and output arguments; the output path is returned ("" on failure).
    inline std::filesystem::path MakeClip(const TempDirectory& aDirectory, const std::string& aName, const std::string& aArguments)
    {
        const std::filesystem::path output = aDirectory.Path() / aName;
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + aArguments + " '" + output.string() + "'";
        if (std::system(command.c_str()) != 0 || !std::filesystem::exists(output))
            return {};
        return output;
    }

    // A 64 x 48 test pattern at 30 pictures per second, H.264 with B-frames, and optionally a 440 Hz tone at 48 kHz.
    inline std::filesystem::path MakePatternClip(const TempDirectory& aDirectory, const std::string& aName, double aSeconds, bool aWithTone)
    {
        const std::string duration = std::to_string(aSeconds);
        std::string arguments = "-f lavfi -i testsrc=size=64x48:rate=30:duration=" + duration;
        if (aWithTone)
            arguments += " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + duration + " -c:a aac -b:a 128k";
        arguments += " -c:v libx264 -pix_fmt yuv420p -bf 2 -g 12 -shortest";
        return MakeClip(aDirectory, aName, arguments);
    }

    // The engine's class-wide device and context, on an offscreen window, for one test.
    class PublishedDevice
    {
    public:
        PublishedDevice()
        {
            Vela::Platform::WindowCreateInfo info;
            info.title = "video test";
            info.clientWidth = 64;
            info.clientHeight = 64;
            myWindow = Vela::Platform::CreateNativeWindow(info);
            if (!myWindow)
                return;
            Vela::Gfx::SwapChainDesc desc;
            desc.outputWindow = myWindow;
            if (Vela::Gfx::Failed(Vela::Gfx::CreateDeviceAndSwapChain(nullptr, 0, &desc, mySwapChain.ReleaseAndGetAddressOf(),
                                                                      myDevice.ReleaseAndGetAddressOf(), myContext.ReleaseAndGetAddressOf())))
                return;
            Vela::DX11::Device = myDevice.Get();
            Vela::DX11::Context = myContext.Get();
        }

        ~PublishedDevice()
        {
            Vela::DX11::Device = nullptr;
            Vela::DX11::Context = nullptr;
            myContext.Reset();
            mySwapChain.Reset();
            myDevice.Reset();
            if (myWindow)
                Vela::Platform::ReleaseNativeWindow(myWindow);
        }

        bool IsReady() const { return myDevice.Get() != nullptr; }

    private:
        Vela::Platform::WindowHandle myWindow = nullptr;
        Vela::Gfx::Ref<Vela::Gfx::SwapChain> mySwapChain;
        Vela::Gfx::Ref<Vela::Gfx::Device> myDevice;
        Vela::Gfx::Ref<Vela::Gfx::DeviceContext> myContext;
    };
}
