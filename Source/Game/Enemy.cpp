#include "Enemy.h"

#include "mire/core/Engine.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/stringRegistry/StringRegistry.h"

using namespace Vela::Literals;

Enemy::Enemy(Player* aPlayer, StateStack* aStateStack, GameContext* aContext)
    : myContext(aContext)
    , myPlayer(aPlayer)
    , myStateStack(aStateStack)
{
}

void Enemy::Init()
{
    myGravityFactor = 40.0f;
    myPosition = myModelInstance.GetTransform().GetTranslation();
    myAnimatedModel.GetTransform().SetTranslation(myPosition);
}

void Enemy::Update(const UpdateContext&) {}

void Enemy::Render()
{
    if (myAnimatedModel.GetModel())
    {
        Vela::ModelDrawer& drawer = *Vela::Engine::GetInstance()->myGraphicsEngine->GetModelDrawer();
        drawer.Draw(myAnimatedModel, *drawer.GetAnimatedShader());
    }
}

void Enemy::InitEnemyBox(Collider& aCollider)
{
    myEnemyBox = &aCollider;
    myEnemyBox->halfWidth = 0.0f;
    myEnemyBox->halfHeight = 0.0f;
    if (const std::shared_ptr<Vela::Model> model = myModelInstance.GetModel(); model && !model->GetMeshes().empty())
    {
        const Vela::MeshData& mesh = model->GetMeshes().front();
        myEnemyBox->halfWidth = 0.7f * mesh.myBounds.myHalfExtents.x;
        myEnemyBox->halfHeight = 0.7f * mesh.myBounds.myHalfExtents.y;
    }
    myEnemyBox->isPlayer = false;
    const Vela::Vector3<float> translation = myModelInstance.GetTransform().GetTranslation();
    myEnemyBox->x = translation.x;
    myEnemyBox->y = myEnemyBox->halfHeight + translation.y + BOX_LIFT;
    myEnemyBox->name = "EnemyBox"_sid;
    myEnemyBox->type = ColliderType::EnemyGround;
}
