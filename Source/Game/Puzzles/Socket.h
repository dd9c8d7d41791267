#pragma once
// Takes an orb: when the orb touches it, the socket pulls the orb into its centre, plays a pulse and
// arms the level's exit. Never copied or moved: its collider points at it, so sockets are built in
// place where they stay.
#include "Effects/FlipbookEffects.h"
#include "Player/GameObject.h"

class Orb;

class Socket : public GameObject
{
public:
    static constexpr float PULL_EASING = 0.5f;

    Socket() = default;
    ~Socket() override = default;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    void Init() override;
    void Update(const UpdateContext& aContext) override;
    void Render() override;

    void SetCollider(const Collider& aDescription);
    void SetOrb(Orb* anOrb) { myOrb = anOrb; }
    // The exit's collider, made active when the socket is filled; null for none.
    void SetTarget(Collider* aTarget) { myTarget = aTarget; }
    bool IsFilled() const { return myFilled; }
    bool IsSeated() const { return mySeated; }
    FlipbookEffects& GetEffects() { return myEffects; }

private:
    Orb* myOrb = nullptr;
    Collider* myTarget = nullptr;
    bool myFilled = false;
    bool mySeated = false;
    FlipbookEffects myEffects;
};
