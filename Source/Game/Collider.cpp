#include "Collider.h"

#include <algorithm>

void Collider::AddObserver(Observers::ColliderObserver* anObserver)
{
    if (!anObserver || std::find(observers.begin(), observers.end(), anObserver) != observers.end())
        return;
    observers.push_back(anObserver);
}

void Collider::RemoveObserver(Observers::ColliderObserver* anObserver)
{
    observers.erase(std::remove(observers.begin(), observers.end(), anObserver), observers.end());
}

void Collider::NotifyObservers(Vela::Vector2<float> aNormal, float aDepth, Collider* anOther)
{
    for (Observers::ColliderObserver* observer : observers)
        observer->OnCollision(aNormal, aDepth, this, anOther);
}
