#include "Levels/LevelLoader.h"

#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Spine/Game.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/scene/SceneSerialize.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace Vela::Literals;

static_assert(PLAYER_CLIP_COUNT == ANIM_STATE_COUNT, "the player's states address the level's clips by index");

namespace
{
    // Both maps start with this many buckets and grow past one entry per bucket.
    constexpr size_t INITIAL_BUCKETS = 8;

    template <typename Map>
    void Prepare(Map& aMap)
    {
        aMap.max_load_factor(1.0f);
        aMap.rehash(INITIAL_BUCKETS);
    }

    struct LevelRow
    {
        const char* key;
        const char* path;
    };

    constexpr LevelRow START_LEVELS[] = {
        { "level_0", "levels/Main Levels/Level 0 Tutorial" },
        { "level_1", "levels/Main Levels/Level 1" },
    };
    constexpr LevelRow WORKER_LEVELS_BEFORE_GYM[] = {
        { "level_2", "levels/Main Levels/Level 2" },
        { "level_3", "levels/Main Levels/Level 3" },
        { "level_4", "levels/Main Levels/Level 4 Final Level" },
    };
    constexpr LevelRow GYM = { "gym", "levels/Main Levels/Gym" };
    constexpr LevelRow WORKER_LEVELS_AFTER_GYM[] = {
        { "scene", "scene" },
        { "mr", "levels/Merrin Workspace/MRTestScene" },
        { "selke", "levels/Selke Scene/SelkeTestScene" },
        { "orlos", "levels/OrloLevel/OrloLevel" },
    };

    // Off only in tests whose fixture levels hold just the objects they are about.
    std::atomic<bool> theMainLevelCheck{ true };

    // Guarded by its own mutex: a test may install or remove it while a worker runs.
    std::mutex thePublishGateMutex;
    std::function<void()> thePublishGate;

    void PassPublishGate()
    {
        std::function<void()> gate;
        {
            std::lock_guard lock(thePublishGateMutex);
            gate = thePublishGate;
        }
        if (gate)
        {
            gate();
        }
    }

    Vela::StringId Key(const char* aKey) { return Vela::StringRegistry::RegisterOrGetString(aKey); }

    // An empty level under aKey, for a level whose file could not be read; aReason keeps it from being started.
    void StoreFailedLevel(Vela::StringId aKey, const std::string& aReason, LevelLoader::SceneMap& someScenes, LevelLoader::LevelMap& someLevels,
                          LevelLoader::FailureMap& someFailures)
    {
        someScenes[aKey] = std::make_unique<Vela::Scene>();
        someLevels[aKey] = std::make_unique<LevelData>();
        someFailures[aKey] = aReason;
    }

    // Runs one of the worker's loads. An exception would end the program from the worker thread: a level
    // that fails is reported with its file and kept as failed (aOnFailure stores it so), the others load on.
    template <typename Load, typename OnFailure>
    void LoadOnWorker(const char* aPath, Load&& aLoad, OnFailure&& aOnFailure)
    {
        std::string reason;
        try
        {
            aLoad();
            return;
        }
        catch (const std::exception& anError)
        {
            reason = anError.what();
        }
        catch (...)
        {
            reason = "unknown error";
        }
        reason = "Level \"" + std::string(aPath) + "\" failed to load and cannot be played: " + reason;
        std::fprintf(stderr, "%s\n", reason.c_str());
        aOnFailure(reason);
    }

    // The levels the menus and the level exits lead to; the other keys are workspaces nothing selects.
    bool IsMainLevel(Vela::StringId aKey)
    {
        static const Vela::StringId MAIN_LEVELS[] = { "level_0"_sid, "level_1"_sid, "level_2"_sid, "level_3"_sid, "level_4"_sid };
        return std::find(std::begin(MAIN_LEVELS), std::end(MAIN_LEVELS), aKey) != std::end(MAIN_LEVELS);
    }

    // What a main level lacks to be played to its end, or empty: the scene loader gives an empty scene
    // for a missing folder, and a missing definition leaves its objects without models and colliders.
    std::string FindWhatIsMissing(const Vela::Scene& aScene, const LevelData& aLevel)
    {
        if (aScene.objects.empty())
        {
            return "it has no objects (its \".leveldata\" folder is missing or empty)";
        }
        std::string missing;
        const auto add = [&missing](const char* aPart) { missing += (missing.empty() ? "" : ", ") + std::string(aPart); };
        if (!aLevel.player.hasModel)
        {
            add("a player template with a model");
        }
        if (std::none_of(aLevel.orbs.begin(), aLevel.orbs.end(), [](const Orb& anOrb) { return anOrb.GetCollider().type == ColliderType::Orb; }))
        {
            add("an orb with a collider");
        }
        if (std::none_of(aLevel.sockets.begin(), aLevel.sockets.end(), [](const Socket& aSocket) { return aSocket.GetCollider().type == ColliderType::Trigger; }))
        {
            add("a socket with a collider");
        }
        if (std::none_of(aLevel.endTriggers.begin(), aLevel.endTriggers.end(), [](const EndTrigger& anExit) { return anExit.GetCollider().type == ColliderType::Trigger; }))
        {
            add("an exit with a collider");
        }
        return missing.empty() ? missing : "it lacks " + missing;
    }
}

LevelLoader::LevelLoader(GameContext* aContext, Game* aGame)
    : myGame(aGame)
    , myContext(aContext)
{
    Prepare(myScenes);
    Prepare(myLevels);
    // The game cannot start without these two: a failure ends the program with one line naming the level.
    for (const LevelRow& row : START_LEVELS)
    {
        try
        {
            LoadLevel(row.path, Key(row.key));
        }
        catch (const std::exception& anError)
        {
            throw std::runtime_error("Level \"" + std::string(row.path) + "\" failed to load: " + anError.what());
        }
    }
    myWorker = std::thread(&LevelLoader::LoadRemainingLevels, this);
}

LevelLoader::~LevelLoader()
{
    // Quitting while levels still load waits for the worker; its levels go with the maps.
    if (myWorker.joinable())
    {
        myWorker.join();
    }
    myLevels.clear();
    myScenes.clear();
}

void LevelLoader::LoadLevel(const char* aPath, Vela::StringId aKey)
{
    auto scene = std::make_unique<Vela::Scene>();
    auto levelData = std::make_unique<LevelData>();
    ReadLevel(aPath, aKey, *scene, *levelData);

    std::lock_guard lock(myMutex);
    myScenes[aKey] = std::move(scene);
    myLevels[aKey] = std::move(levelData);
    myFailures.erase(aKey);
}

void LevelLoader::LoadLevelUnlocked(const char* aPath, Vela::StringId aKey, SceneMap& someScenes, LevelMap& someLevels)
{
    auto scene = std::make_unique<Vela::Scene>();
    auto levelData = std::make_unique<LevelData>();
    ReadLevel(aPath, aKey, *scene, *levelData);
    someScenes[aKey] = std::move(scene);
    someLevels[aKey] = std::move(levelData);
}

void LevelLoader::ReadLevel(const char* aPath, Vela::StringId aKey, Vela::Scene& aScene, LevelData& aLevelData)
{
    // The scene loader's result is not looked at: a missing level directory gives an empty scene, which
    // only the main levels refuse (the workspace scenes may be absent).
    Vela::LoadScene(aPath ? aPath : "", aScene);
    BuildLevelObjects(aScene, aLevelData);
    if (IsMainLevel(aKey) && theMainLevelCheck.load())
    {
        if (const std::string missing = FindWhatIsMissing(aScene, aLevelData); !missing.empty())
        {
            throw std::runtime_error(missing);
        }
    }
}

void LevelLoader::LoadRemainingLevels()
{
    SceneMap scenes;
    LevelMap levels;
    FailureMap failures;
    Prepare(scenes);
    Prepare(levels);

    const auto loadPrivately = [&](const LevelRow& aRow) {
        const Vela::StringId key = Key(aRow.key);
        LoadOnWorker(aRow.path, [&] { LoadLevelUnlocked(aRow.path, key, scenes, levels); },
                     [&](const std::string& aReason) { StoreFailedLevel(key, aReason, scenes, levels, failures); });
    };
    for (const LevelRow& row : WORKER_LEVELS_BEFORE_GYM)
    {
        loadPrivately(row);
    }
    const Vela::StringId gym = Key(GYM.key);
    LoadOnWorker(GYM.path, [&] { LoadLevel(GYM.path, gym); }, [&](const std::string& aReason) {
        std::lock_guard lock(myMutex);
        StoreFailedLevel(gym, aReason, myScenes, myLevels, myFailures);
    });
    for (const LevelRow& row : WORKER_LEVELS_AFTER_GYM)
    {
        loadPrivately(row);
    }

    PassPublishGate();
    {
        // A level already published under a key keeps its place: the game may point into it.
        std::lock_guard lock(myMutex);
        for (auto& [key, scene] : scenes)
        {
            myScenes.try_emplace(key, std::move(scene));
        }
        for (auto& [key, levelData] : levels)
        {
            if (myLevels.try_emplace(key, std::move(levelData)).second)
            {
                if (const auto failure = failures.find(key); failure != failures.end())
                {
                    myFailures[key] = failure->second;
                }
            }
        }
    }
    myIsReady.exchange(true);
    myIsReady.notify_all();
}

void LevelLoader::SetCurrentLevel(Vela::StringId aKey)
{
    // Held for the whole change, the game's rebuild included: nothing called from here may take it again.
    std::lock_guard lock(myMutex);
    if (!myIsReady.load() && aKey != "level_0"_sid)
    {
        return;
    }
    const auto scene = myScenes.find(aKey);
    const auto levelData = myLevels.find(aKey);
    if (scene == myScenes.end() || levelData == myLevels.end() || myFailures.contains(aKey))
    {
        return;
    }
    myCurrentLevelKey = aKey;
    myCurrentLevel = levelData->second.get();

    myContext->collisionManager->Rebuild();
    Player* player = myContext->player;
    if (player != nullptr)
    {
        player->SpawnFromLevel(myCurrentLevel->player, myCurrentLevel->player.clips);
        player->BindAnimationSet(myCurrentLevel->player.clips);
    }
    if (myGame != nullptr && myGame->IsLoaded())
    {
        myGame->ClearAndLoad();
    }
}

void LevelLoader::SetMainLevelCheckForTesting(bool anOn)
{
    theMainLevelCheck.store(anOn);
}

void LevelLoader::SetPublishGateForTesting(std::function<void()> aGate)
{
    std::lock_guard lock(thePublishGateMutex);
    thePublishGate = std::move(aGate);
}

LevelData* LevelLoader::FindLevel(Vela::StringId aKey)
{
    std::lock_guard lock(myMutex);
    const auto found = myLevels.find(aKey);
    return found == myLevels.end() ? nullptr : found->second.get();
}

std::optional<std::string> LevelLoader::GetLoadFailure(Vela::StringId aKey)
{
    std::lock_guard lock(myMutex);
    const auto found = myFailures.find(aKey);
    return found == myFailures.end() ? std::nullopt : std::optional(found->second);
}
