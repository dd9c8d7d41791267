#pragma once
// Every sound of the game: a table of named sounds, fixed pools of looping and one-shot slots, the
// music and ambience of each scene (intros chained into their loops) and the master, music and
// effects volumes. Callers keep a SoundHandle: a slot and the generation it had when the sound
// started, so a handle to a sound that has ended never touches the slot's next sound. Main thread only.
#include "mire/audio/Sound.h"
#include "mire/stringRegistry/StringId.h"

#include <array>
#include <cstdint>
#include <unordered_map>

struct SoundAsset
{
    Vela::Sound sound;
    const char* path = nullptr; // interned
    bool loop = false;
    uint32_t starts = 0; // how often it was asked to start (also when its pool was full), for traces and tests
};

struct SoundSlot
{
    Vela::Sound* sound = nullptr;
    const char* path = nullptr; // the asset's, for traces
    SoundSlot* next = nullptr; // the loop that follows an intro
    uint32_t channel = 0;      // 0: none
    float volume = 1.0f;       // the slot's own factor
    int32_t startDelay = 2;    // frames before the first volume update
    bool isMusic = false;
    bool active = false;
    bool chainToNext = false;
    uint32_t generation = 0; // advanced every time the slot is freed
};

class SoundHandle
{
public:
    SoundHandle() = default;
    SoundHandle(SoundSlot* aSlot) : mySlot(aSlot), myGeneration(aSlot ? aSlot->generation : 0) {}

    // The slot still holds the sound this handle started (playing or queued).
    bool IsActive() const { return mySlot && mySlot->active && mySlot->generation == myGeneration; }
    // Active and started on a channel (a queued loop is not playing yet).
    bool IsPlaying() const { return IsActive() && mySlot->channel != 0; }
    explicit operator bool() const { return IsActive(); }
    // Nothing for a handle whose sound has ended.
    void SetVolume(float aVolume) const
    {
        if (IsActive())
            mySlot->volume = aVolume;
    }
    float GetVolume() const { return IsActive() ? mySlot->volume : 0.0f; }
    // Null for a handle whose sound has ended.
    SoundSlot* GetSlot() const { return IsActive() ? mySlot : nullptr; }
    void Reset() { *this = SoundHandle(); }

private:
    SoundSlot* mySlot = nullptr;
    uint32_t myGeneration = 0;
};

class SoundManager
{
public:
    static constexpr size_t LOOPING_POOL_SIZE = 32;
    static constexpr size_t ONE_SHOT_POOL_SIZE = 96;
    static constexpr int32_t START_DELAY = 2;
    static constexpr size_t RESERVED_ASSETS = 128;

    static SoundManager& GetInstance();

    void RegisterSounds();

    SoundHandle PlayOneShot(const char* aName);
    SoundHandle PlayLoopingSfx(const char* aName);
    SoundHandle PlayLoopingInternal(const char* aName, bool anIsMusic);
    // Reserves a looping slot without playing it.
    SoundHandle QueueLooping(const char* aName, bool anIsMusic);
    void PlayMusic(const char* aName);
    void PlayAmbience(const char* aName);
    void PlayMusicForScene(const char* aSceneKey);

    // Stops the handle's sound if it is still the slot's, and clears the handle.
    void StopSound(SoundHandle& aHandle, bool anImmediate);
    void StopMusic();
    void StopAllLooping(bool anImmediate);
    void StopAllOneShots(bool anImmediate);
    int32_t CountActiveSounds() const;
    // How often the named sound was asked to start since the program began; 0 for an unknown name.
    uint32_t CountStarts(const char* aName);
    // Once per frame: volumes, finished one-shots and the intro-to-loop chain.
    void Update();

    const SoundHandle& GetMusic() const { return myMusic; }
    const SoundHandle& GetAmbience() const { return myAmbience; }
    const std::array<SoundSlot, LOOPING_POOL_SIZE>& GetLoopingPool() const { return myLoopingPool; }
    const std::array<SoundSlot, ONE_SHOT_POOL_SIZE>& GetOneShotPool() const { return myOneShotPool; }

    // Set by the options screens, 0 to 1; applied at the next Update.
    float GetEffectsVolume() const { return myEffectsVolume; }
    float GetMusicVolume() const { return myMusicVolume; }
    float GetMasterVolume() const { return myMasterVolume; }
    void SetEffectsVolume(float aVolume) { myEffectsVolume = aVolume; }
    void SetMusicVolume(float aVolume) { myMusicVolume = aVolume; }
    void SetMasterVolume(float aVolume) { myMasterVolume = aVolume; }

private:
    struct NameHash
    {
        size_t operator()(const Vela::StringId& aName) const { return static_cast<size_t>(Vela::HashFnv1a(aName.GetView())); }
    };

    SoundManager();

    SoundAsset* FindAsset(const char* aName);
    static SoundSlot* FindFreeSlot(SoundSlot* someSlots, size_t aCount);
    SoundHandle StartInSlot(SoundAsset& anAsset, SoundSlot& aSlot, bool anIsMusic);
    float GetVolumeFor(const SoundSlot& aSlot) const;
    static void Free(SoundSlot& aSlot);
    static void StopSlots(SoundSlot* someSlots, size_t aCount, bool anImmediate);

    SoundHandle myMusic;
    SoundHandle myAmbience;
    float myEffectsVolume = 1.0f;
    float myMusicVolume = 1.0f;
    float myMasterVolume = 1.0f;
    std::unordered_map<Vela::StringId, SoundAsset, NameHash> someAssets;
    std::array<SoundSlot, LOOPING_POOL_SIZE> myLoopingPool{};
    std::array<SoundSlot, ONE_SHOT_POOL_SIZE> myOneShotPool{};
};
