#pragma once
// What both enemy kinds share: a body box taken from the level's enemy template, a skinned model
// driven by the template's clips, and the state timers of their patrol or scan.
#include "GameObject.h"

#include "mire/model/AnimatedModelInstance.h"

#include <cstdint>
#include <vector>

namespace Vela
{
    class AnimationPlayer;
}
class Player;
class StateStack;
struct GameContext;

class Enemy : public GameObject
{
public:
    static constexpr float HEARING_RANGE = 1500.0f;
    static constexpr float BOX_LIFT = 15.0f;

    Enemy(Player* aPlayer, StateStack* aStateStack, GameContext* aContext);
    ~Enemy() override = default;
    Enemy(Enemy&&) = default;
    Enemy& operator=(Enemy&&) = default;
    Enemy(const Enemy&) = delete;
    Enemy& operator=(const Enemy&) = delete;

    void Init() override;
    void Update(const UpdateContext& aContext) override;
    void Render() override;

    // The template's collider becomes the body box (not owned): sized from the model, lifted off the ground.
    void InitEnemyBox(Collider& aCollider);

    bool IsGrounded() const { return myGrounded; }
    void SetGrounded(bool aGrounded) { myGrounded = aGrounded; }
    Collider* GetEnemyBox() const { return myEnemyBox; }
    int32_t GetSightOccluders() const { return mySightOccluders; }
    void SetSightOccluders(int32_t anIndex) { mySightOccluders = anIndex; }
    Vela::AnimatedModelInstance& GetAnimatedModel() { return myAnimatedModel; }
    std::vector<Vela::AnimationPlayer*>& GetClips() { return someClips; }
    int32_t GetState() const { return myState; }

protected:
    bool myGrounded = false;
    float myDetectionDelay = 1.0f;
    float mySpeed = 0.0f;
    float myChaseFactor = 2.0f;
    float myGravityFactor = 40.0f;
    bool myFacesLeft = false;
    int32_t mySightOccluders = -1;
    float myDetectionDelayTimer = 0.0f;
    int32_t myState = 0;
    Collider* myEnemyBox = nullptr;
    float myRoamingDistance = 0.0f;
    float myStateTimer = 0.0f;
    GameContext* myContext = nullptr;
    Vela::AnimatedModelInstance myAnimatedModel;
    std::vector<Vela::AnimationPlayer*> someClips; // the template's, in its order
    Player* myPlayer = nullptr;
    StateStack* myStateStack = nullptr;
    float myHearingRange = HEARING_RANGE;
};
