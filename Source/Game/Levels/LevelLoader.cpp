#include "Levels/LevelLoader.h"

#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Spine/Game.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/scene/SceneSerialize.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <cstdio>
#include <exception>

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

    // An empty level under aKey, for a level whose file could not be read.
    void StoreEmptyLevel(Vela::StringId aKey, LevelLoader::SceneMap& someScenes, LevelLoader::LevelMap& someLevels)
    {
        someScenes[aKey] = std::make_unique<Vela::Scene>();
        someLevels[aKey] = std::make_unique<LevelData>();
    }

    // Runs one of the worker's loads. An exception would end the program from the worker thread: a level
    // that fails is reported with its file and stays empty (aOnFailure stores it so), the others load on.
    template <typename Load, typename OnFailure>
    void LoadOnWorker(const char* aPath, Load&& aLoad, OnFailure&& aOnFailure)
    {
        try
        {
            aLoad();
            return;
        }
        catch (const std::exception& anError)
        {
            std::fprintf(stderr, "Level \"%s\" failed to load and stays empty: %s\n", aPath, anError.what());
        }
        catch (...)
        {
            std::fprintf(stderr, "Level \"%s\" failed to load and stays empty: %s\n", aPath, "unknown error");
        }
        aOnFailure();
    }
}

LevelLoader::LevelLoader(GameContext* aContext, Game* aGame)
    : myGame(aGame)
    , myContext(aContext)
{
    Prepare(myScenes);
    Prepare(myLevels);
    LoadLevel("levels/Main Levels/Level 0 Tutorial", "level_0"_sid);
    LoadLevel("levels/Main Levels/Level 1", "level_1"_sid);
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
    ReadLevel(aPath, *scene, *levelData);

    std::lock_guard lock(myMutex);
    myScenes[aKey] = std::move(scene);
    myLevels[aKey] = std::move(levelData);
}

void LevelLoader::LoadLevelUnlocked(const char* aPath, Vela::StringId aKey, SceneMap& someScenes, LevelMap& someLevels)
{
    auto scene = std::make_unique<Vela::Scene>();
    auto levelData = std::make_unique<LevelData>();
    ReadLevel(aPath, *scene, *levelData);
    someScenes[aKey] = std::move(scene);
    someLevels[aKey] = std::move(levelData);
}

void LevelLoader::ReadLevel(const char* aPath, Vela::Scene& aScene, LevelData& aLevelData)
{
    // The scene loader's result is not looked at: a missing level directory gives an empty level.
    Vela::LoadScene(aPath ? aPath : "", aScene);
    BuildLevelObjects(aScene, aLevelData);
}

void LevelLoader::LoadRemainingLevels()
{
    SceneMap scenes;
    LevelMap levels;
    Prepare(scenes);
    Prepare(levels);

    const auto loadPrivately = [&](const LevelRow& aRow) {
        const Vela::StringId key = Key(aRow.key);
        LoadOnWorker(aRow.path, [&] { LoadLevelUnlocked(aRow.path, key, scenes, levels); }, [&] { StoreEmptyLevel(key, scenes, levels); });
    };
    for (const LevelRow& row : WORKER_LEVELS_BEFORE_GYM)
    {
        loadPrivately(row);
    }
    const Vela::StringId gym = Key(GYM.key);
    LoadOnWorker(GYM.path, [&] { LoadLevel(GYM.path, gym); }, [&] {
        std::lock_guard lock(myMutex);
        StoreEmptyLevel(gym, myScenes, myLevels);
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
            myLevels.try_emplace(key, std::move(levelData));
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
    if (scene == myScenes.end() || levelData == myLevels.end())
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
