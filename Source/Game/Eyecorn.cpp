#include "Eyecorn.h"

Eyecorn::Eyecorn(Player* aPlayer, StateStack* aStateStack, GameContext* aContext)
    : Enemy(aPlayer, aStateStack, aContext)
    , myCone(std::make_unique<SightCone>(aContext, CONE_STEP))
{
    mySpeed = 0.5f;
}

Eyecorn::~Eyecorn() = default;
Eyecorn::Eyecorn(Eyecorn&&) noexcept = default;
Eyecorn& Eyecorn::operator=(Eyecorn&&) noexcept = default;

void Eyecorn::Init()
{
    Enemy::Init();
    myState = 1;
}

void Eyecorn::Update(float) {}

void Eyecorn::SetParameters(float aBreakTime, float aScanAngle, float aSightAngle, float aSightDistance, float aKillTime, float aFullScanTime)
{
    myBreakTime = aBreakTime;
    myScanAngle = aScanAngle;
    mySightAngle = aSightAngle;
    mySightDistance = aSightDistance;
    myKillTime = aKillTime;
    myFullScanTime = aFullScanTime;
}
