#include "Player/GameObject.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsServices.h"

#include <algorithm>

void ReplaceObserver(Collider& aCollider, Observers::ColliderObserver* anOld, Observers::ColliderObserver* aNew)
{
    std::replace(aCollider.observers.begin(), aCollider.observers.end(), anOld, aNew);
}

void GameObject::OnCollision(Vela::Vector2<float>, float, Collider*, Collider*) {}

void GameObject::RenderModel()
{
    Vela::GraphicsEngine* graphics = Vela::GraphicsServices::GetGraphicsEngine();
    if (graphics && graphics->GetModelDrawer() && myModelInstance.GetModel())
    {
        graphics->GetModelDrawer()->Draw(myModelInstance);
    }
}
