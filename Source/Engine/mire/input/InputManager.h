#pragma once
// Keyboard and mouse state for game code: window messages set the live state as they arrive, and
// Update (once at the end of every frame) takes the snapshot that the pressed/held/released tests read.
// A key or mouse button that went down and up again between two snapshots still counts as pressed
// for one frame.
#include "mire/math/Vector.h"
#include "Platform/window/WindowTypes.h"

#include <bitset>
#include <cstdint>

namespace Vela
{
    class InputManager
    {
    public:
        static constexpr int KEY_COUNT = 256;

        // Clears all state and asks the window for raw mouse motion.
        explicit InputManager(Platform::WindowHandle aWindow);

        // Applies one window message; true when it was a keyboard or mouse message this class reads.
        bool UpdateEvents(Platform::MessageId aMessage, Platform::WParam aWParam, Platform::LParam aLParam);

        // End-of-frame snapshot.
        void Update();

        // Key codes outside 0..255 answer false.
        bool IsKeyPressed(int aKey) const;
        bool IsKeyHeld(int aKey) const;
        bool IsKeyReleased(int aKey) const;

        // The mouse position (client coordinates) as of the last snapshot.
        Vector2<float> GetMousePosition() const;
        Vector2<float> GetPreviousMousePosition() const;
        // Raw mouse motion summed over the frame before the last snapshot.
        Vector2<int32_t> GetMouseDelta() const;
        // The last wheel delta since the last snapshot (120 per notch).
        float GetMouseWheel() const;

    private:
        void SetKey(Platform::WParam aKey, bool aDown);

        std::bitset<KEY_COUNT> myLiveKeys;
        std::bitset<KEY_COUNT> myKeysDownSinceUpdate; // went down since the last snapshot, even if up again
        std::bitset<KEY_COUNT> myCurrentKeys;
        std::bitset<KEY_COUNT> myPreviousKeys;
        Platform::WindowHandle myWindow = nullptr;
        Vector2<int32_t> myLiveMousePosition{ 0, 0 };
        Vector2<int32_t> myMousePosition{ 0, 0 };
        Vector2<int32_t> myPreviousMousePosition{ 0, 0 };
        Vector2<int32_t> myLiveMouseDelta{ 0, 0 };
        Vector2<int32_t> myMouseDelta{ 0, 0 };
        float myMouseWheel = 0.0f;
    };
}
