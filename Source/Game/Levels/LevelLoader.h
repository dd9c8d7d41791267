#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/animation/AnimationPlayer.h"
#include "mire/model/ModelInstance.h"
#include "mire/property/PooledPropertyValues.h"
#include "mire/scene/Scene.h"
#include "mire/scene/SceneObjectDefinition.h"
#include "mire/stringRegistry/StringId.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "World/Collider.h"

class Game;
class GameObject;
struct GameContext;
struct LevelData;
struct ModelInstanceRecord;

// Owns every loaded level: the scene read from disk and the level data built from it, both keyed by the
// level key. "level_0" and "level_1" load at construction; the rest load on one worker thread, which
// publishes them under the mutex and then sets the ready flag. Until then only "level_0" can be selected.
class LevelLoader
{
public:
    using SceneMap = std::unordered_map<Vela::StringId, std::unique_ptr<Vela::Scene>>;
    using LevelMap = std::unordered_map<Vela::StringId, std::unique_ptr<LevelData>>;
    using PropertyList = std::vector<Vela::DefinitionPropertyEntry>;
    // Levels that failed to load, with the line that said why.
    using FailureMap = std::unordered_map<Vela::StringId, std::string>;

    LevelLoader(GameContext* aContext, Game* aGame);
    // Waits for the worker to finish before the levels go.
    ~LevelLoader();
    LevelLoader(const LevelLoader&) = delete;
    LevelLoader& operator=(const LevelLoader&) = delete;

    // Loads one level and stores it under aKey, replacing an earlier one, under the lock.
    void LoadLevel(const char* aPath, Vela::StringId aKey);
    // The same into the caller's maps, without the lock.
    void LoadLevelUnlocked(const char* aPath, Vela::StringId aKey, SceneMap& someScenes, LevelMap& someLevels);
    // The worker's body.
    void LoadRemainingLevels();

    // Makes a level current: rebuilds the collision, binds the player and, once the game has built a
    // level, has the game rebuild its objects, all under the mutex. Unknown keys, levels that failed to
    // load, and any key but "level_0" before the ready flag, are ignored.
    void SetCurrentLevel(Vela::StringId aKey);

    // Set once the worker's levels are published; may be read without the lock.
    bool IsReady() const { return myIsReady.load(); }
    // Blocks until the ready flag is set. The worker always sets it, a level that fails stays empty.
    void WaitUntilReady() const { myIsReady.wait(false); }

    // The current level; null until one is selected.
    LevelData* GetCurrentLevel() const { return myCurrentLevel; }
    Vela::StringId GetCurrentLevelKey() const { return myCurrentLevelKey; }
    // The published level of aKey, or null. Takes the lock, so nothing that SetCurrentLevel calls
    // (the game's rebuild) may use it.
    LevelData* FindLevel(Vela::StringId aKey);

    // The line that said why aKey failed to load (it then stays empty and cannot be selected), or nothing.
    // Takes the lock, like FindLevel.
    std::optional<std::string> GetLoadFailure(Vela::StringId aKey);

    // Tests only: with false, a main level is not refused for being empty or unfinishable (fixture levels
    // hold only what a test is about). The program always checks.
    static void SetMainLevelCheckForTesting(bool anOn);

    // Tests only: while set, every worker calls aGate just before it publishes its levels, so a test can
    // hold them back for as long as it needs. Null (the program) calls nothing.
    static void SetPublishGateForTesting(std::function<void()> aGate);

    // Turns a loaded scene into level data; pure construction, safe on the worker thread.
    void BuildLevelObjects(const Vela::Scene& aScene, LevelData& aLevelData);

    bool BuildStaticModel(const PropertyList& someProperties, ModelInstanceRecord& aRecord, const Vela::SceneObject& anObject);
    bool BuildAnimatedModel(const PropertyList& someProperties, ModelInstanceRecord& aRecord, const Vela::SceneObject& anObject);
    std::vector<Vela::ModelInstance> BuildModelInstances(const PropertyList& someProperties, const Vela::SceneObject& anObject);
    // A box collider around aHolder's model bounds; aProperty holds a "Collider - Box" value.
    Collider MakeBoxCollider(const Vela::DefinitionPropertyEntry& aProperty, const Vela::ModelInstance& aHolder, const Vela::SceneObject& anObject);
    Vela::Matrix4x4<float> MakeTransform(const Vela::SceneObject& anObject);

private:
    // Reads the scene at aPath and builds its level; errors in the files pass on as exceptions, and so
    // does a main level that comes back empty or without what is needed to finish it.
    void ReadLevel(const char* aPath, Vela::StringId aKey, Vela::Scene& aScene, LevelData& aLevelData);
    // One scene object, by its definition name.
    void BuildObject(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    void BuildPlayer(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    void BuildMovableBox(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    // A glomp, or with aFlying an eyecorn.
    void BuildEnemy(const PropertyList& someProperties, const Vela::SceneObject& anObject, bool aFlying, LevelData& aLevelData);
    void BuildCameraZone(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    // An orb's or socket's model: the object's static model, whatever became of it.
    void GiveStaticModel(const PropertyList& someProperties, GameObject& anObjectToGive, const Vela::SceneObject& anObject);
    void BuildOrb(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    void BuildSocket(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    void BuildEndTrigger(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    void BuildRotatingStair(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData);
    // A check point or death box: a trigger sized by the property and the object's scale.
    Collider BuildTriggerZone(const PropertyList& someProperties, const Vela::SceneObject& anObject, ColliderType aType);
    void BuildFloor(const PropertyList& someProperties, const Vela::SceneObject& anObject, ColliderType aType, LevelData& aLevelData);
    void BuildStaticMesh(const PropertyList& someProperties, const Vela::SceneObject& anObject, ColliderType aType, LevelData& aLevelData);
    // A player of aClip bound to the record's animated model, with the loop flag set.
    Vela::AnimationPlayer LoadClip(const Vela::AnimationClipValue& aClip, const ModelInstanceRecord& aRecord, bool aLoop);

    std::mutex myMutex; // guards the maps and the current-level fields
    std::atomic<bool> myIsReady{ false };
    std::thread myWorker;
    Game* myGame = nullptr;
    SceneMap myScenes;
    LevelMap myLevels;
    FailureMap myFailures;
    LevelData* myCurrentLevel = nullptr;
    Vela::StringId myCurrentLevelKey;
    GameContext* myContext = nullptr;
};
