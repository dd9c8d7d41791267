#pragma once
// The common base of the level's live objects (player, orbs, sockets, movable boxes, enemies): a
// position, a static model instance and one collider, told of that collider's overlaps.
#include "World/Collider.h"

#include "mire/math/Vector.h"
#include "mire/model/ModelInstance.h"

struct UpdateContext;

class GameObject : public Observers::ColliderObserver
{
public:
    GameObject() = default;
    ~GameObject() override = default;
    GameObject(GameObject&&) = default;
    GameObject& operator=(GameObject&&) = default;
    GameObject(const GameObject&) = default;
    GameObject& operator=(const GameObject&) = default;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    virtual void Init() = 0;
    virtual void Update(const UpdateContext& aContext) = 0;
    virtual void Render() = 0;

    const Vela::Vector3<float>& GetPosition() const { return myPosition; }
    Vela::ModelInstance& GetModelInstance() { return myModelInstance; }
    const Vela::ModelInstance& GetModelInstance() const { return myModelInstance; }
    Collider& GetCollider() { return myCollider; }
    const Collider& GetCollider() const { return myCollider; }

protected:
    // Draws the static model with the engine's default model shader; nothing without a model.
    void RenderModel();

    Vela::Vector3<float> myPosition{ 0.0f, 0.0f, 0.0f };
    Vela::ModelInstance myModelInstance;
    Collider myCollider;
};
