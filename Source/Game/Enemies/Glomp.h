#pragma once
// The walking enemy: pauses and patrols a line, notices the player in its narrow sight fan, chases,
// gives up and walks back, and catches the player it touches.
#include "Effects/FlipbookEffects.h"
#include "Enemies/Enemy.h"
#include "Enemies/SightCone.h"
#include "Sound/SoundManager.h"

#include <memory>

class Glomp : public Enemy
{
public:
    static constexpr float CATCH_RADIUS = 300.0f;
    static constexpr float WALK_SPEED = 300.0f;
    static constexpr float CONE_STEP = 2.0f;
    static constexpr float NOTICE_DISTANCE = 1000.0f;
    static constexpr float LOST_TIME = 3.0f;
    static constexpr float CATCH_TIME = 0.5f;

    enum : int32_t
    {
        PAUSE = 0,
        PATROL = 1,
        ALARMED = 2,
        CHASE = 3,
        RETURN = 4,
        CATCHING = 5,
        KILL_FADE = 6,
    };

    Glomp(Player* aPlayer, StateStack* aStateStack, GameContext* aContext);
    ~Glomp() override;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    void Init() override;
    void Render() override;
    void Update(float aDeltaTime);
    void ResetToSpawn();

    // The template's parameters: 0 the break between patrols, 1 the patrol length.
    void SetParameters(float aBreakTime, float aRoamingDistance);
    void SetSpawnPosition(const Vela::Vector3<float>& aPosition) { mySpawnPosition = aPosition; }
    Collider& GetGroundCollider() { return myGroundCollider; }
    SightCone* GetCone() const { return myCone.get(); }
    const SoundHandle& GetWalkSound() const { return myWalkSound; }
    const FlipbookEffects& GetDust() const { return myDust; }

private:
    void StepState(float aDeltaTime);
    void StepPause(float aDeltaTime);
    void StepPatrol(float aDeltaTime);
    void StepAlarmed(float aDeltaTime);
    void StepChase(float aDeltaTime);
    void StepReturn(float aDeltaTime);
    void StepCatching(float aDeltaTime);
    void StepKillFade();
    // Back on the chase after an alarm or an escape: the alarm left to finish, the walk restarted.
    void ResumeChase();
    void BackAtSpawn();
    void SpawnDust(float anInterval);

    float myWalked = 0.0f;
    float myBreakTime = 0.0f;
    float myLostTimer = 0.0f;
    float myCatchTimer = 0.0f;
    float myCatchRadius = CATCH_RADIUS;
    std::unique_ptr<SightCone> myCone;
    Collider myGroundCollider;
    Vela::Vector3<float> mySpawnPosition;
    bool mySpawnFacesLeft = false;
    int32_t myClipIndex = 1;
    SoundHandle myWalkSound;
    SoundHandle myAlarmSound;
    FlipbookEffects myDust;
    float myDustTimer = 0.0f;
    int32_t myDustIndex = 0;
};
