#pragma once
// The hovering enemy: sweeps a wide scanner to and fro and kills a player it keeps in sight until its
// countdown runs out.
#include "Enemy.h"
#include "SightCone.h"
#include "SoundManager.h"

#include <memory>

class Eyecorn : public Enemy
{
public:
    static constexpr float CONE_STEP = 2.0f;

    Eyecorn(Player* aPlayer, StateStack* aStateStack, GameContext* aContext);
    ~Eyecorn() override;
    Eyecorn(Eyecorn&&) noexcept;
    Eyecorn& operator=(Eyecorn&&) noexcept;

    void Init() override;
    void Update(float aDeltaTime);

    // The template's parameters 0 to 5: break between scans, scanning angle, sight angle, sight
    // distance, time before killing, time of a full scan.
    void SetParameters(float aBreakTime, float aScanAngle, float aSightAngle, float aSightDistance, float aKillTime, float aFullScanTime);
    SightCone* GetCone() const { return myCone.get(); }

private:
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
