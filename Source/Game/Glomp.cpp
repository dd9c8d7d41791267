#include "Glomp.h"

Glomp::Glomp(Player* aPlayer, StateStack* aStateStack, GameContext* aContext)
    : Enemy(aPlayer, aStateStack, aContext)
{
    mySpeed = 300.0f;
}

Glomp::~Glomp() = default;
Glomp::Glomp(Glomp&&) noexcept = default;
Glomp& Glomp::operator=(Glomp&&) noexcept = default;

void Glomp::OnCollision(Vela::Vector2<float>, float, Collider*, Collider*) {}

void Glomp::Init()
{
    Enemy::Init();
    mySpawnPosition = myPosition;
    mySpawnFacesLeft = myFacesLeft;
    myGroundCollider.halfWidth = 15.0f;
    myGroundCollider.halfHeight = 15.0f;
    myGroundCollider.x = myPosition.x;
    myGroundCollider.y = myPosition.y;
    myGroundCollider.type = ColliderType::EnemyGround;
    if (!myCone)
    {
        myCone = std::make_unique<SightCone>(myContext, 2.0f);
    }
}

void Glomp::Render()
{
    Enemy::Render();
}

void Glomp::Update(float) {}

void Glomp::ResetToSpawn()
{
    myPosition = mySpawnPosition;
    myFacesLeft = mySpawnFacesLeft;
    myWalked = 0.0f;
    myStateTimer = 0.0f;
    myState = 0;
}

void Glomp::SetParameters(float aBreakTime, float aRoamingDistance)
{
    myBreakTime = aBreakTime;
    myRoamingDistance = aRoamingDistance;
}
