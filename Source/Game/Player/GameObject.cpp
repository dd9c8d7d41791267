#include "Player/GameObject.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsServices.h"

void GameObject::OnCollision(Vela::Vector2<float>, float, Collider*, Collider*) {}

void GameObject::RenderModel()
{
    Vela::GraphicsEngine* graphics = Vela::GraphicsServices::GetGraphicsEngine();
    if (graphics && graphics->GetModelDrawer() && myModelInstance.GetModel())
    {
        graphics->GetModelDrawer()->Draw(myModelInstance);
    }
}
