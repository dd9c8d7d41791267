#pragma once
// The clock sounds play by. The program's is the audio device's own: sounds move on in real time on
// its thread. Tests switch to a stepped clock before the first sound starts the audio output: the
// mixer then runs without a device, sounds move on only by the time given to Advance (the game's
// step), and the video's sound is taken at once instead of at the device's pace. A test's result then
// does not depend on how fast the machine runs.
namespace Vela::AudioClock
{
    // False (and nothing changes) once the audio output plays on a device.
    bool UseSteppedClockForTesting();
    bool IsStepped();
    // With the stepped clock, mixes aSeconds of every playing sound (the output is not kept).
    // Nothing otherwise.
    void Advance(float aSeconds);
}
