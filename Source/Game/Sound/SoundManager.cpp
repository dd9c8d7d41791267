#include "Sound/SoundManager.h"

#include "Platform/audio/Audio.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <cstdio>

namespace
{
    struct SoundTableRow
    {
        const char* name;
        const char* file;
        bool loop;
    };

    constexpr SoundTableRow SOUND_TABLE[] = {
        { "main_intro", "Audio/Music/Wispvale - Main Theme (w_ intro).wav", false },
        { "main_loop", "Audio/Music/Wispvale - Main Theme (loop).wav", true },
        { "level_0_ambience", "Audio/Music/Level _1_Ambiance.wav", true },
        { "level_1_ambience", "Audio/Music/Level _2_Ambiance_Option2.wav", true },
        { "level_2_ambience", "Audio/Music/Level _3_Ambiance.wav", true },
        { "level_3_ambience", "Audio/Music/Level _4_Ambiance.wav", true },
        { "level_4_ambience", "Audio/Music/Level _5_Ambiance2 (Toppen av tornet).wav", true },
        { "level_0_loop", "Audio/Music/Wispvale - Level 0 (loop).wav", true },
        { "level_1_loop", "Audio/Music/Wispvale - Level 1 (loop).wav", true },
        { "level_2_loop", "Audio/Music/Wispvale - Level 2 (loop).wav", true },
        { "level_3_loop", "Audio/Music/Wispvale - Level 3 (loop).wav", true },
        { "level_4_loop", "Audio/Music/Wispvale - Level 4 (loop).wav", true },
        { "level_0_intro", "Audio/Music/Wispvale - Level 0 (w_ intro).wav", false },
        { "level_1_intro", "Audio/Music/Wispvale - Level 1 (w_ intro).wav", false },
        { "level_2_intro", "Audio/Music/Wispvale - Level 2 (w_ intro).wav", false },
        { "Player_Idle", "Audio/Sfx/Player/Vevo_Idle.wav", true },
        { "Player_IdleCrouch", "Audio/Sfx/Player/Vevo_Idle_Crouch.wav", true },
        { "Player_CrouchWalk", "Audio/Sfx/Player/Vevo_Crouch_Walk_Stone.wav", true },
        { "Player_Jog", "Audio/Sfx/Player/Vevo_Jog_Plain_Loop.wav", true },
        { "Player_Jump", "Audio/Sfx/Player/Vevo_Jump.wav", false },
        { "Player_Land", "Audio/Sfx/Player/Vevo_Landing_Stone.1.wav", false },
        { "Player_Lose", "Audio/Sfx/Player/Vevo_Lose.wav", false },
        { "EyeCorn_Alarmed", "Audio/Sfx/EyeCorn/Eyecorn_Alarmed.wav", false },
        { "EyeCorn_Idle", "Audio/Sfx/EyeCorn/Eyecorn_Idle.wav", true },
        { "Glomp_Alarmed", "Audio/Sfx/Glomp/Glomp_alarmed.wav", false },
        { "Glomp_Death", "Audio/Sfx/Glomp/Glomp_Death.wav", false },
        { "Glomp_Walk", "Audio/Sfx/Glomp/Glomp_Walking.wav", true },
        { "Orb_034", "Audio/Sfx/Orb/Events_MagicOrb_level_0-3-4_(C)_Loop.wav", true },
        { "Orb_1", "Audio/Sfx/Orb/Events_MagicOrb_level_1_(Bb)_Loop.wav", true },
        { "Orb_2", "Audio/Sfx/Orb/Events_MagicOrb_level_2_(Db)_Loop.wav", true },
        { "Orb_Insert", "Audio/Sfx/Orb/Orb_Insert_RJ_VELA.wav", false },
        { "Orb_PickUp", "Audio/Sfx/Orb/Orb_PickUp_RJ_VELA.wav", false },
        { "Orb_PickUp_Fadeout", "Audio/Sfx/Orb/Orb_PickUp_Fadeout Db.wav", false },
        { "Orb_AfterPickup", "Audio/Sfx/Orb/Orb_AfterPickup__All_Levels_Loop.wav", false },
        { "Snail_Drop", "Audio/Sfx/Snail/Snail_Droping.4.wav", true },
        { "Snail_EnterShell", "Audio/Sfx/Snail/Snail_EnteringShell.wav", false },
        { "Snail_IdleShell", "Audio/Sfx/Snail/Snail_IdleShell.wav", true },
        { "Snail_Idle", "Audio/Sfx/Snail/Snail_Idle.wav", true },
        { "Snail_Land", "Audio/Sfx/Snail/Snail_Landing.wav", false },
        { "Snail_Pushing", "Audio/Sfx/Snail/Snail_Pushing.wav", true },
        { "Snail_PushLeft", "Audio/Sfx/Snail/Snail_PushLeft.wav", false },
        { "Snail_PushRight", "Audio/Sfx/Snail/Snail_PushRight.wav", false },
        { "UI_Hover", "Audio/Sfx/Ui/Hover_UI.wav", false },
        { "UI_Select", "Audio/Sfx/Ui/Select_UI_Variations.wav", false },
        { "UI_Confirm", "Audio/Sfx/Ui/UI_Confirm.wav", false },
        { "UI_Deny", "Audio/Sfx/Ui/UI_Deny.wav", false },
        { "UI_Start_Game", "Audio/Sfx/Ui/ui_start_game.wav", false },
        { "Book_Close", "Audio/Sfx/Ui/Book_UI/Book_Close.wav", false },
        { "Book_Open", "Audio/Sfx/Ui/Book_UI/Book_open.wav", false },
        { "Page_Flip_1", "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_1.wav", false },
        { "Page_Flip_2", "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_2.wav", false },
        { "Page_Flip_3", "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_3.wav", false },
        { "Page_Flip_4", "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_4.wav", false },
        { "Bridge_Crash", "Audio/Sfx/Other/Bridge_Crash.wav", false },
        { "StairCase", "Audio/Sfx/Other/Staircase.wav", false },
    };

    // What the music slot of each scene plays, what it chains into and the scene's ambience.
    struct SceneMusic
    {
        const char* key;
        const char* first;
        const char* loop;      // null: the first sound is already the loop
        const char* ambience;  // null: none
    };

    constexpr SceneMusic SCENE_MUSIC[] = {
        { "Main", "main_intro", "main_loop", nullptr },
        { "level_0", "level_0_intro", "level_0_loop", "level_0_ambience" },
        { "level_1", "level_1_intro", "level_1_loop", "level_1_ambience" },
        { "level_2", "level_2_intro", "level_2_loop", "level_2_ambience" },
        { "level_3", "level_3_loop", nullptr, "level_3_ambience" },
        { "level_4", "level_4_loop", nullptr, "level_4_ambience" },
    };

    // The new channel of a play, or 0 when nothing started (never a channel another slot still owns).
    uint32_t PlayOnNewChannel(Vela::Sound& aSound)
    {
        return aSound.Play() ? aSound.GetChannel() : 0;
    }

    bool Equals(const char* aFirst, const char* aSecond)
    {
        return std::string_view(aFirst) == std::string_view(aSecond);
    }
}

SoundManager& SoundManager::GetInstance()
{
    static SoundManager instance;
    return instance;
}

SoundManager::SoundManager()
{
    someAssets.max_load_factor(1.0f);
    someAssets.reserve(RESERVED_ASSETS);
}

void SoundManager::RegisterSounds()
{
    for (const SoundTableRow& row : SOUND_TABLE)
    {
        const Vela::StringId name = Vela::StringRegistry::RegisterOrGetString(row.name);
        SoundAsset& asset = someAssets[name];
        asset.loop = row.loop;
        asset.path = Vela::StringRegistry::RegisterOrGetString(row.file).GetString();
        asset.sound.Init(asset.path, asset.loop);
    }
}

SoundAsset* SoundManager::FindAsset(const char* aName)
{
    if (!aName)
        return nullptr;
    const auto found = someAssets.find(Vela::StringRegistry::RegisterOrGetString(aName));
    return found == someAssets.end() ? nullptr : &found->second;
}

SoundSlot* SoundManager::FindFreeSlot(SoundSlot* someSlots, size_t aCount)
{
    for (size_t index = 0; index < aCount; ++index)
    {
        if (!someSlots[index].active)
            return &someSlots[index];
    }
    return nullptr;
}

void SoundManager::Free(SoundSlot& aSlot)
{
    aSlot.active = false;
    aSlot.channel = 0;
    // A freed intro must not chain into a loop when its slot is reused.
    aSlot.next = nullptr;
    aSlot.chainToNext = false;
    ++aSlot.generation;
}

SoundHandle SoundManager::StartInSlot(SoundAsset& anAsset, SoundSlot& aSlot, bool anIsMusic)
{
    aSlot.sound = &anAsset.sound;
    aSlot.path = anAsset.path;
    aSlot.channel = PlayOnNewChannel(anAsset.sound);
    aSlot.volume = 1.0f;
    aSlot.isMusic = anIsMusic;
    aSlot.active = true;
    aSlot.startDelay = START_DELAY;
    return SoundHandle(&aSlot);
}

uint32_t SoundManager::CountStarts(const char* aName)
{
    const SoundAsset* asset = FindAsset(aName);
    return asset ? asset->starts : 0;
}

SoundHandle SoundManager::PlayLoopingInternal(const char* aName, bool anIsMusic)
{
    SoundAsset* asset = FindAsset(aName);
    if (!asset)
    {
        printf("Asset not found: %s\n", aName ? aName : "");
        return {};
    }
    ++asset->starts;
    SoundSlot* slot = FindFreeSlot(myLoopingPool.data(), myLoopingPool.size());
    if (!slot)
    {
        printf("Looping Pool full: %s\n", aName);
        return {};
    }
    SoundHandle handle = StartInSlot(*asset, *slot, anIsMusic);
    printf("PlayLoopingInternal: %s | channel: %u\n", asset->path ? asset->path : "", slot->channel);
    return handle;
}

SoundHandle SoundManager::PlayOneShot(const char* aName)
{
    SoundAsset* asset = FindAsset(aName);
    if (!asset)
    {
        printf("Asset not found: %s\n", aName ? aName : "");
        return {};
    }
    ++asset->starts;
    SoundSlot* slot = FindFreeSlot(myOneShotPool.data(), myOneShotPool.size());
    if (!slot)
    {
        printf("Oneshot Pool full: %s\n", aName);
        return {};
    }
    return StartInSlot(*asset, *slot, false);
}

SoundHandle SoundManager::PlayLoopingSfx(const char* aName)
{
    return PlayLoopingInternal(aName, false);
}

SoundHandle SoundManager::QueueLooping(const char* aName, bool anIsMusic)
{
    SoundAsset* asset = FindAsset(aName);
    SoundSlot* slot = asset ? FindFreeSlot(myLoopingPool.data(), myLoopingPool.size()) : nullptr;
    if (!slot)
        return {};
    // Reserved but silent until something starts it; the start delay is left as it was.
    slot->sound = &asset->sound;
    slot->path = asset->path;
    slot->channel = 0;
    slot->volume = 1.0f;
    slot->isMusic = anIsMusic;
    slot->active = true;
    return SoundHandle(slot);
}

void SoundManager::PlayMusic(const char* aName)
{
    StopSound(myMusic, true);
    myMusic = PlayLoopingInternal(aName, true);
}

void SoundManager::PlayAmbience(const char* aName)
{
    StopSound(myAmbience, true);
    myAmbience = PlayLoopingInternal(aName, true);
    myAmbience.SetVolume(1.0f);
}

void SoundManager::PlayMusicForScene(const char* aSceneKey)
{
    StopSound(myMusic, true);
    StopSound(myAmbience, true);

    const SceneMusic* scene = nullptr;
    for (const SceneMusic& candidate : SCENE_MUSIC)
    {
        if (aSceneKey && Equals(candidate.key, aSceneKey))
            scene = &candidate;
    }
    if (!scene)
        return;

    // Both handles were stopped above, so the plain plays need no per-scene variants.
    myMusic = PlayLoopingInternal(scene->first, true);
    if (scene->ambience)
    {
        myAmbience = PlayLoopingInternal(scene->ambience, true);
        myAmbience.SetVolume(1.0f);
    }

    if (scene->loop && myMusic)
    {
        SoundSlot* music = myMusic.GetSlot();
        music->chainToNext = true;
        music->next = QueueLooping(scene->loop, true).GetSlot();
    }
}

void SoundManager::StopSound(SoundHandle& aHandle, bool anImmediate)
{
    SoundSlot* slot = aHandle.GetSlot();
    aHandle.Reset();
    if (!slot)
        return;
    printf("StopSound: %s | channel: %u | isPlaying: %d\n", slot->path ? slot->path : "", slot->channel, slot->channel != 0 ? 1 : 0);
    if (slot->channel != 0 && slot->sound)
        slot->sound->StopChannel(slot->channel, anImmediate);
    // An intro stopped before its end takes its waiting loop with it; nothing else would free that slot.
    SoundSlot* waitingLoop = slot->chainToNext && slot->next && slot->next->active && slot->next->channel == 0 ? slot->next : nullptr;
    Free(*slot);
    if (waitingLoop)
        Free(*waitingLoop);
}

void SoundManager::StopMusic()
{
    StopSound(myMusic, true);
}

void SoundManager::StopSlots(SoundSlot* someSlots, size_t aCount, bool anImmediate)
{
    for (size_t index = 0; index < aCount; ++index)
    {
        SoundSlot& slot = someSlots[index];
        if (!slot.active)
            continue;
        if (slot.sound)
            slot.sound->StopChannel(slot.channel, anImmediate);
        Free(slot);
    }
}

void SoundManager::StopAllLooping(bool anImmediate)
{
    StopSlots(myLoopingPool.data(), myLoopingPool.size(), anImmediate);
    myMusic.Reset();
    myAmbience.Reset();
}

void SoundManager::StopAllOneShots(bool anImmediate)
{
    StopSlots(myOneShotPool.data(), myOneShotPool.size(), anImmediate);
}

int32_t SoundManager::CountActiveSounds() const
{
    int32_t count = 0;
    for (const SoundSlot& slot : myLoopingPool)
        count += slot.active ? 1 : 0;
    for (const SoundSlot& slot : myOneShotPool)
        count += slot.active ? 1 : 0;
    return count;
}

float SoundManager::GetVolumeFor(const SoundSlot& aSlot) const
{
    return (aSlot.isMusic ? myMusicVolume : myEffectsVolume) * myMasterVolume * aSlot.volume;
}

void SoundManager::Update()
{
    for (SoundSlot& slot : myLoopingPool)
    {
        if (!slot.active)
            continue;
        if (slot.startDelay > 0)
            --slot.startDelay;
        else if (slot.sound)
            slot.sound->SetVolume(slot.channel, GetVolumeFor(slot));
    }

    for (SoundSlot& slot : myOneShotPool)
    {
        if (!slot.active)
            continue;
        if (slot.startDelay > 0)
        {
            --slot.startDelay;
            continue;
        }
        // A channel that never started reports an invalid (maximal) position, so it ends here too.
        const uint64_t position = Vela::Platform::AudioChannelGetPosition(slot.channel);
        const uint64_t length = Vela::Platform::AudioChannelGetLength(slot.channel);
        if (position != 0 && position >= length)
            Free(slot);
        else if (slot.sound)
            slot.sound->SetVolume(slot.channel, GetVolumeFor(slot));
    }

    SoundSlot* music = myMusic.GetSlot();
    if (music && music->chainToNext && music->next && music->startDelay <= 0 &&
        Vela::Platform::AudioChannelIsActive(music->channel) == Vela::Platform::AudioActivity::Stopped)
    {
        SoundSlot* next = music->next;
        Free(*music);
        myMusic = SoundHandle(next);
        if (next->sound)
            next->channel = PlayOnNewChannel(*next->sound);
    }
}
