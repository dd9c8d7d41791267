#include "Enemies/Eyecorn.h"

#include "Player/Player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
    constexpr const char* IDLE_SOUND = "EyeCorn_Idle";
    constexpr const char* ALARM_SOUND = "EyeCorn_Alarmed";
    constexpr float RADIANS_TO_DEGREES = 57.295776f;
    constexpr float SWEEP_START = 0.0001f;
    constexpr int32_t CLIP_ALARMED = 0;
    constexpr int32_t CLIP_IDLE = 2;
}

Eyecorn::Eyecorn(Player* aPlayer, StateStack* aStateStack, GameContext* aContext)
    : Enemy(aPlayer, aStateStack, aContext)
    , myCone(std::make_unique<SightCone>(aContext, CONE_STEP))
{
    mySpeed = 0.5f;
}

Eyecorn::~Eyecorn() = default;

float Eyecorn::ClampDuration(float aValue, const char* aName) const
{
    if (std::fabs(aValue) >= MIN_DURATION)
    {
        return aValue;
    }
    printf("Eyecorn at (%.1f, %.1f): %s of %g raised to %g\n", myPosition.x, myPosition.y, aName, aValue, MIN_DURATION);
    return MIN_DURATION;
}

void Eyecorn::Init()
{
    Enemy::Init();
    mySpeed = 0.5f;
    myFullScanTime = ClampDuration(myFullScanTime, "time to do a full scan");
    // A negative countdown would kill at the first sight.
    myKillTime = ClampDuration(std::max(myKillTime, 0.0f), "time to before killing player");
    myDetection = 0.0f;
    mySweepAngle = 0.0f;
    mySweepProgress = 0.0f;
    if (myCone)
    {
        myCone->InitForEyecorn(myAnimatedModel.GetTransform(), mySightAngle, mySightDistance);
    }
    myKillTimer = 0.0f;
    myDetectionDelayTimer = 0.0f;

    // A start-over after a kill must not keep the slots of the previous run.
    SoundManager& sounds = SoundManager::GetInstance();
    sounds.StopSound(myIdleSound, true);
    sounds.StopSound(myAlarmSound, true);
    myIdleSound = sounds.PlayLoopingSfx(IDLE_SOUND);
    myAlarmSound = sounds.QueueLooping(ALARM_SOUND, false);
    myState = SWEEP;
}

void Eyecorn::Update(float aDeltaTime)
{
    if (myDetectionDelayTimer <= myDetectionDelay)
    {
        myDetectionDelayTimer += aDeltaTime;
    }

    if (myPlayer)
    {
        const float volume = GetDistanceAttenuation(myPlayer->GetPosition(), myPosition);
        PlaceSound(myIdleSound, volume);
        PlaceSound(myAlarmSound, volume);
    }

    if (myPlayer && myCone && DistanceToPlayer() <= NOTICE_DISTANCE && myDetectionDelayTimer >= myDetectionDelay &&
        myCone->TestEyecorn(*myPlayer, myModelInstance.GetTransform(), mySightOccluders, myDetection) && myState != TRACKING &&
        myState != KILL && myState != KILL_FADE)
    {
        SoundManager& sounds = SoundManager::GetInstance();
        sounds.StopSound(myIdleSound, true);
        // Frees the reserved alarm slot before the handle takes the one-shot.
        sounds.StopSound(myAlarmSound, true);
        myAlarmSound = sounds.PlayOneShot(ALARM_SOUND);
        myState = TRACKING;
    }

    StepState(aDeltaTime);
    PlaceColliderBox();
    if (myCone)
    {
        myCone->UpdateScannerTransform(myAnimatedModel.GetTransform(), mySweepAngle);
    }
    AnimateClip(myClipIndex, aDeltaTime);
}

void Eyecorn::StepState(float aDeltaTime)
{
    switch (myState)
    {
    case PAUSE:
        myStateTimer += aDeltaTime;
        myClipIndex = CLIP_IDLE;
        if (myStateTimer >= myBreakTime)
        {
            myStateTimer = 0.0f;
            myState = SWEEP;
        }
        break;
    case SWEEP: StepSweep(aDeltaTime); break;
    case TRACKING: StepTracking(aDeltaTime); break;
    case KILL:
        myClipIndex = CLIP_ALARMED;
        KillPlayer();
        myState = KILL_FADE;
        break;
    case KILL_FADE:
        if (IsPlayerDeathFinished())
        {
            StartKillFade();
            Init();
        }
        break;
    default: break;
    }
}

void Eyecorn::StepSweep(float aDeltaTime)
{
    mySpeed = myFacesLeft ? -std::fabs(myFullScanTime) : std::fabs(myFullScanTime);
    mySweepProgress += aDeltaTime / mySpeed;
    mySweepAngle = (1.0f - mySweepProgress) * -myScanAngle + mySweepProgress * myScanAngle;
    myClipIndex = CLIP_IDLE;
    if (mySweepProgress >= 1.0f)
    {
        myFacesLeft = true;
        myState = PAUSE;
    }
    else if (mySweepProgress <= SWEEP_START)
    {
        myFacesLeft = false;
        myState = PAUSE;
    }
}

void Eyecorn::StepTracking(float aDeltaTime)
{
    myKillTimer += aDeltaTime;
    myDetection += aDeltaTime / myKillTime;
    Aim();
    myClipIndex = CLIP_ALARMED;
    if (myKillTimer < myKillTime)
    {
        return;
    }
    const bool seen = myPlayer && myCone && myCone->TestEyecorn(*myPlayer, myAnimatedModel.GetTransform(), mySightOccluders, myDetection);
    myKillTimer = 0.0f;
    if (seen)
    {
        myState = KILL;
        return;
    }
    SoundManager& sounds = SoundManager::GetInstance();
    sounds.StopSound(myAlarmSound, true);
    sounds.StopSound(myIdleSound, true);
    myIdleSound = sounds.PlayLoopingSfx(IDLE_SOUND);
    myDetection = 0.0f;
    myState = SWEEP;
}

void Eyecorn::Aim()
{
    if (!myPlayer)
    {
        return;
    }
    const Vela::Vector3<float> away = (myPosition - myPlayer->GetPosition()).GetNormalized();
    const float angle = std::clamp(-std::atan2(away.x, away.y) * RADIANS_TO_DEGREES, -std::fabs(myScanAngle), std::fabs(myScanAngle));
    printf("ang between cha and eye %f\n", angle);
    printf("cone ang %d\n", static_cast<int>(mySweepAngle));
    mySweepAngle = angle;
}

void Eyecorn::SetParameters(float aBreakTime, float aScanAngle, float aSightAngle, float aSightDistance, float aKillTime, float aFullScanTime)
{
    myBreakTime = aBreakTime;
    myScanAngle = aScanAngle;
    mySightAngle = aSightAngle;
    mySightDistance = aSightDistance;
    myKillTime = aKillTime;
    myFullScanTime = aFullScanTime;
}
