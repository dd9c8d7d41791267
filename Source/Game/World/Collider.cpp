#include "World/Collider.h"

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
    // By index: an observer may register another one while it is told.
    for (size_t index = 0; index < observers.size(); ++index)
        observers[index]->OnCollision(aNormal, aDepth, this, anOther);
}
