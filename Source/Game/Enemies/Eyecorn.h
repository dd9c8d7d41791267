#pragma once
// The hovering enemy: sweeps a wide scanner to and fro, tracks a player who stays in its beam and
// kills them when its countdown runs out; after the kill fade it starts over.
#include "Enemies/Enemy.h"
#include "Enemies/SightCone.h"
#include "Sound/SoundManager.h"

#include <memory>

class Eyecorn : public Enemy
{
public:
    static constexpr float CONE_STEP = 2.0f;
    static constexpr float NOTICE_DISTANCE = 1500.0f;

    enum : int32_t
    {
        PAUSE = 0,
        SWEEP = 1,
        TRACKING = 2,
        KILL = 5,
        KILL_FADE = 6,
    };

    Eyecorn(Player* aPlayer, StateStack* aStateStack, GameContext* aContext);
    ~Eyecorn() override;

    // Also the start-over after a kill: the sounds of the previous run are released first.
    void Init() override;
    void Update(float aDeltaTime);

    // The template's parameters 0 to 5: break between scans, scanning angle, sight angle, sight
    // distance, time before killing, time of a full scan.
    void SetParameters(float aBreakTime, float aScanAngle, float aSightAngle, float aSightDistance, float aKillTime, float aFullScanTime);
    SightCone* GetCone() const { return myCone.get(); }
    float GetSweepAngle() const { return mySweepAngle; }
    float GetDetection() const { return myDetection; }
    float GetKillTime() const { return myKillTime; }
    float GetFullScanTime() const { return myFullScanTime; }
    const SoundHandle& GetIdleSound() const { return myIdleSound; }

private:
    void StepState(float aDeltaTime);
    void StepSweep(float aDeltaTime);
    void StepTracking(float aDeltaTime);
    // Turns the sweep towards the player, within the scanning angle.
    void Aim();
    // A duration that divides, raised to the minimum with a trace naming this Eyecorn.
    float ClampDuration(float aValue, const char* aName) const;

    float mySweepAngle = 0.0f;
    float mySweepProgress = 0.0f;
    float myKillTimer = 0.0f;
    float myDetection = 0.0f;
    float myScanAngle = 0.0f;
    float mySightAngle = 0.0f;
    float mySightDistance = 0.0f;
    float myBreakTime = 0.0f;
    float myKillTime = 0.0f;
    float myFullScanTime = 0.0f;
    std::unique_ptr<SightCone> myCone;
    int32_t myClipIndex = 2;
    SoundHandle myIdleSound;
    SoundHandle myAlarmSound;
};
