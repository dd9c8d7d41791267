#pragma once
// What both enemy kinds share: a body box copied from the level's enemy template, a skinned model
// driven by its own copies of the template's clips, sounds that fade and pan with the distance to the
// player, and the catch that ends in a black fade.
#include "Player/GameObject.h"
#include "Sound/SoundManager.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/model/AnimatedModelInstance.h"

#include <cstdint>
#include <memory>
#include <vector>

class Player;
class StateStack;
struct GameContext;

class Enemy : public GameObject
{
public:
    static constexpr float HEARING_RANGE = 1500.0f;
    static constexpr float BOX_LIFT = 15.0f;
    static constexpr float GRAVITY = 9.82f;
    static constexpr float KILL_FADE_SPEED = 6.0f;
    // Durations that divide are raised to this, so a zero in a level never divides by zero.
    static constexpr float MIN_DURATION = 0.01f;

    Enemy(Player* aPlayer, StateStack* aStateStack, GameContext* aContext);
    ~Enemy() override = default;
    // Never copied or moved: the colliders and the collision manager point at an enemy, so enemies
    // are built in place where they stay.
    Enemy(const Enemy&) = delete;
    Enemy& operator=(const Enemy&) = delete;

    void Init() override;
    void Update(const UpdateContext& aContext) override;
    void Render() override;

    // A copy of the template's collider becomes the body box: sized from the model, lifted off the ground.
    void InitEnemyBox(const Collider& aCollider);
    // Copies of the template's clips, in its order, become the enemy's clips.
    void TakeClips(const std::vector<Vela::AnimationPlayer>& someTemplateClips);
    // The object transform, the body box and the drawn model follow the position.
    void PlaceColliderBox();
    // 1 at the same point, falling linearly to 0 at the hearing range (x and y only).
    float GetDistanceAttenuation(const Vela::Vector3<float>& aFirst, const Vela::Vector3<float>& aSecond) const;
    // -1 (hard left) to 1 (hard right): the enemy's x relative to the player over the hearing range.
    float GetPan() const;

    bool IsGrounded() const { return myGrounded; }
    void SetGrounded(bool aGrounded) { myGrounded = aGrounded; }
    Collider* GetEnemyBox() const { return myEnemyBox.get(); }
    void SetSightOccluders(int32_t anIndex) { mySightOccluders = anIndex; }
    Vela::AnimatedModelInstance& GetAnimatedModel() { return myAnimatedModel; }
    std::vector<Vela::AnimationPlayer*>& GetClips() { return someClips; }
    int32_t GetState() const { return myState; }
    bool FacesLeft() const { return myFacesLeft; }
    void SetPosition(const Vela::Vector3<float>& aPosition) { myPosition = aPosition; }

protected:
    // Pans the sound on its own channel and sets its volume; nothing for a sound that is not playing.
    void PlaceSound(const SoundHandle& aSound, float aVolume) const;
    // Stops what the handle still holds before it takes the new looping sound.
    static void RestartLooping(SoundHandle& aSound, const char* aName);
    // The caught player: locked, dead, posed neutrally, with the lose sound.
    void KillPlayer();
    // The player's death clip has run out (a level without that clip has nothing to wait for).
    bool IsPlayerDeathFinished() const;
    // Covers the screen in black; the game respawns the player once it is covered.
    void StartKillFade();
    // Advances the clip at anIndex and poses the model from it; nothing for a clip the template lacks.
    void AnimateClip(int32_t anIndex, float aDeltaTime);
    Vela::AnimationPlayer* GetClip(int32_t anIndex) const;
    float DistanceToPlayer() const;

    bool myGrounded = false;
    float myDetectionDelay = 1.0f;
    float mySpeed = 0.0f;
    float myChaseFactor = 2.0f;
    float myGravityFactor = 40.0f;
    bool myFacesLeft = false;
    int32_t mySightOccluders = -1;
    float myDetectionDelayTimer = 0.0f;
    int32_t myState = 0;
    std::unique_ptr<Collider> myEnemyBox;
    float myRoamingDistance = 0.0f;
    float myStateTimer = 0.0f;
    GameContext* myContext = nullptr;
    Vela::AnimatedModelInstance myAnimatedModel;
    std::vector<Vela::AnimationPlayer> someOwnClips;
    std::vector<Vela::AnimationPlayer*> someClips; // into someOwnClips, or set by tests
    Player* myPlayer = nullptr;
    StateStack* myStateStack = nullptr;
    float myHearingRange = HEARING_RANGE;
};
