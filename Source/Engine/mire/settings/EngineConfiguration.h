#pragma once
#include "mire/math/Color.h"
#include "Platform/window/WindowTypes.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Vela
{
    // Bits of EngineConfiguration::myDebugFeatures, named in the settings file as the enumerators are.
    enum DebugFeature : uint32_t
    {
        Fps = 1 << 0,
        Mem = 1 << 1,
        Drawcalls = 1 << 2,
        Cpu = 1 << 3,
        FpsGraph = 1 << 4,
        Filewatcher = 1 << 5,
        OptimizeWarnings = 1 << 6,
        MemoryTrackingStackTraces = 1 << 7,
        MemoryTrackingAllAllocations = 1 << 8,
    };
    constexpr uint32_t ALL_DEBUG_FEATURES = 511;

    // Read and carried along; nothing in the engine applies it.
    enum class MultiSampling : uint32_t
    {
        Off = 0,
        Low = 1,
        Medium = 2,
        High = 3,
    };

    using WindowMessageCallback = std::function<Platform::LResult(Platform::WindowHandle, Platform::MessageId, Platform::WParam, Platform::LParam)>;
    using HookCallback = std::function<void()>;

    // The start-up record: filled from the settings file, completed by the program entry and copied
    // by the engine when it starts.
    struct EngineConfiguration
    {
        WindowMessageCallback myWindowMessageCallback;
        HookCallback myFirstHookCallback;
        HookCallback mySecondHookCallback;
        uint32_t myWindowWidth = 1280;
        uint32_t myWindowHeight = 720;
        uint32_t myRenderWidth = 1280;
        uint32_t myRenderHeight = 720;
        uint32_t myDebugFeatures = DebugFeature::Fps | DebugFeature::Mem;
        Color myClearColor{ 3.0f / 255.0f, 153.0f / 255.0f, 176.0f / 255.0f, 1.0f };
        // In/out: a window it points at is adopted instead of creating one; after start-up it points
        // at the engine's window.
        Platform::WindowHandle* myWindowHandle = nullptr;
        Platform::InstanceHandle myInstanceHandle = nullptr;
        std::wstring myTitle = L"Mire - a side-view puzzle platformer game";
        bool myEnableVsync = false;
        bool myStartInFullscreen = false;
        bool myStartMaximized = false;
        bool myBorderless = false;
        MultiSampling myMultiSampling = MultiSampling::Off;
    };
}
