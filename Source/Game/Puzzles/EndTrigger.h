#pragma once
// The level exit. When the player reaches it while it is armed it takes over the player, walks it into
// the exit, raises and turns the spiral stair, fades the screen and starts the next level, or after the
// last level the ending. Never copied or moved: its collider and the socket that arms it point at
// it, so exits are built in place where they stay.
#include "World/Collider.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"
#include "mire/stringRegistry/StringId.h"

#include <array>

class Player;
class StateStack;
struct GameContext;
struct RotatingStairRecord;
struct UpdateContext;

class EndTrigger : public Observers::ColliderObserver
{
public:
    static constexpr float WALK_EASING = 0.005f;
    static constexpr float STAIR_RISE_PER_SECOND = 75.0f;
    static constexpr float WALK_OUT_SECONDS = 3.3f;
    static constexpr float ARRIVAL_DISTANCE = 20.0f;
    static constexpr const char* CREDITS = "Credits";

    EndTrigger() = default;
    ~EndTrigger() override;
    EndTrigger(const EndTrigger&) = delete;
    EndTrigger& operator=(const EndTrigger&) = delete;

    void Init(Vela::Vector2<float> aHalfExtents, Vela::Vector2<float> aCentre);
    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    void Update(const UpdateContext& aContext);

    void SetPlayer(Player* aPlayer) { myPlayer = aPlayer; }
    void SetContext(GameContext* aContext) { myContext = aContext; }
    void SetStateStack(StateStack* aStack) { myStateStack = aStack; }
    // The stair that rises while the player walks out; its transform as built is kept to restore it.
    void SetStair(RotatingStairRecord* aStair);
    void SetNextScene(Vela::StringId aScene) { myNextScene = aScene; }
    Vela::StringId GetNextScene() const { return myNextScene; }

    Collider& GetCollider() { return myCollider; }
    const Collider& GetCollider() const { return myCollider; }
    Vela::Vector2<float> GetBasePoint() const { return myBasePoint; }
    bool IsActivated() const { return myActivated; }
    bool IsWalkingOut() const { return myWalkingOut; }
    bool IsFinished() const { return myFinished; }
    // Waiting with the cover fade on for a level the loader has not published yet.
    bool IsWaitingForLevel() const { return myWaitingForLevel; }

private:
    void UpdateStair();
    void WalkToCentre(const UpdateContext& aContext);
    void WalkOut();
    void StartNextScene();
    void TryStartLevel();
    void StartEnding();
    void PopTransitionOnTop();
    void TurnPlayer(float aYawDegrees);

    Collider myCollider;
    Vela::Vector2<float> myBasePoint{ 0.0f, 0.0f };
    Player* myPlayer = nullptr;
    std::array<Vela::AnimationPlayer, 14> someAnimations{};
    Vela::Matrix4x4<float>* myPlayerTransform = nullptr;
    RotatingStairRecord* myStair = nullptr;
    float myStairSpin = 0.0f;
    Vela::Matrix4x4<float> mySavedStairTransform;
    StateStack* myStateStack = nullptr;
    Vela::StringId myNextScene;
    GameContext* myContext = nullptr;
    float myCountdown = 0.0f;
    bool myActivated = false;
    bool myWalkingOut = false;
    bool myCredits = false;
    bool myFinished = false;
    bool myWaitingForLevel = false;
    float myDeltaTime = 0.0f;
};
