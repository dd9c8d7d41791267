#pragma once
#include "Camera/CameraCollider.h"
#include "Puzzles/EndTrigger.h"
#include "Puzzles/MovableBox.h"
#include "Puzzles/Orb.h"
#include "Puzzles/Socket.h"
#include "World/Collider.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/graphics/ModelShader.h"
#include "mire/math/Vector.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/ModelInstance.h"
#include "mire/stringRegistry/StringId.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

// The records that one level's scene becomes: the level as authored. The level builder is their only
// writer; play never changes them, because every build of the level makes its live objects from them.
// Once a level is published its lists are never appended to again, because the game, the collision
// manager and the player keep pointers into them.

// The common head of every record that carries a model.
struct ModelInstanceRecord
{
    Vela::ModelInstance model;
    Vela::AnimatedModelInstance animatedModel;
    Vela::ModelShader shader;
    bool hasOwnShader = false; // draw with `shader` instead of the default model shader
    bool hasCollider = false;
    bool transparent = false; // the model property's "TransparentFlag"
};

// The player's clips, addressed by index by the player's animation states.
enum PlayerClip : size_t
{
    PLAYER_CLIP_IDLE = 0,
    PLAYER_CLIP_JOG,
    PLAYER_CLIP_CROUCH,
    PLAYER_CLIP_MOVING_CROUCH,
    PLAYER_CLIP_TAKE_OFF,
    PLAYER_CLIP_FALL,
    PLAYER_CLIP_LAND,
    PLAYER_CLIP_PUSH,
    PLAYER_CLIP_PULL,
    PLAYER_CLIP_INTERACT,
    PLAYER_CLIP_DEATH,
    PLAYER_CLIP_STEP_BACK,
    PLAYER_CLIP_IDLE_TO_CROUCH,
    PLAYER_CLIP_CROUCH_TO_IDLE,
    PLAYER_CLIP_COUNT
};

// The scene object of definition "TOB".
struct PlayerTemplate : ModelInstanceRecord
{
    bool hasModel = false; // a "TOB" object whose model file exists was built: the level has a player
    float rotation = 0.0f;
    Collider collider; // kept with the template; the builder leaves it at its default
    std::array<Vela::AnimationPlayer, PLAYER_CLIP_COUNT> clips{};
};

// Level geometry, grass and every object whose definition has no meaning of its own.
struct StaticMeshRecord : ModelInstanceRecord
{
    Collider collider; // type Level or Grass once built
    Vela::Vector3<float> position{ 0.0f, 0.0f, 0.0f };
};

struct RotatingStairRecord : ModelInstanceRecord
{
    Vela::StringId name; // the level exit looks for the stair named "Stair"
    bool effect = false;
    Vela::Vector3<float> position{ 0.0f, 0.0f, 0.0f };
};

// A breakable or scripted-event floor. `model` holds the intact floor. The collider is the authored
// one (null when the object had no collider property); each build gives the live floor its own copy.
// Move-only.
struct FloorRecord : ModelInstanceRecord
{
    std::unique_ptr<Collider> collider;
    Vela::ModelInstance brokenModel;
};

// A movable box as the scene placed it: the animated model's translation is its authored position.
struct BoxRecord : ModelInstanceRecord
{
    Collider collider; // Box or HeavyBox after boxType
    BoxWeight boxType = MovableBox::LIGHT;
    std::array<Vela::AnimationPlayer, BOX_CLIP_COUNT> clips{};
};

// A Glomp ("glomp") or an Eyecorn ("eyecorn") as the scene placed it; the live enemies copy its
// clips and its collider at each build. Move-only.
struct EnemyTemplate : ModelInstanceRecord
{
    EnemyTemplate() = default;
    EnemyTemplate(const EnemyTemplate&) = delete;
    EnemyTemplate& operator=(const EnemyTemplate&) = delete;
    EnemyTemplate(EnemyTemplate&&) = default;
    EnemyTemplate& operator=(EnemyTemplate&&) = default;

    float rotation = 0.0f; // read for flying enemies only
    Collider collider;
    Vela::StringId kind;
    std::vector<float> parameters;           // float properties in the definition's order
    std::vector<Vela::AnimationPlayer> clips; // clip properties in the definition's order

    // The parameter at aIndex, or 0 when the definition did not give that many.
    float GetParameter(size_t aIndex) const { return aIndex < parameters.size() ? parameters[aIndex] : 0.0f; }
    // The clip at aIndex, or null when the definition did not give that many.
    Vela::AnimationPlayer* GetClip(size_t aIndex) { return aIndex < clips.size() ? &clips[aIndex] : nullptr; }
};

// One level, owned by the level loader for the whole run. Move-only.
struct LevelData
{
    LevelData() = default;
    LevelData(const LevelData&) = delete;
    LevelData& operator=(const LevelData&) = delete;
    LevelData(LevelData&&) = default;
    LevelData& operator=(LevelData&&) = default;

    PlayerTemplate player;
    std::vector<StaticMeshRecord> opaqueMeshes;
    std::vector<FloorRecord> floors;
    std::vector<StaticMeshRecord> transparentMeshes;
    std::vector<StaticMeshRecord> grassMeshes;
    std::vector<RotatingStairRecord> stairs;
    std::vector<EnemyTemplate> enemyTemplates;
    std::vector<BoxRecord> boxes;
    std::vector<CameraCollider> cameraColliders;
    // Built in place: orbs, sockets and exits are never moved.
    std::deque<Orb> orbs;
    std::deque<Socket> sockets;
    std::deque<EndTrigger> endTriggers;
    std::vector<Collider> deathBoxes;
    std::vector<Collider> checkPoints;
};
