// The per-frame collision pass with 2000 level rectangles and a growing number of moving ones.
#include "World/CollisionManager.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <random>

namespace
{
    constexpr int STATIC_COUNT = 2000;

    class CountingObserver : public Observers::ColliderObserver
    {
    public:
        void OnCollision(Vela::Vector2<float>, float, Collider*, Collider*) override { ++myContacts; }
        int64_t myContacts = 0;
    };

    Collider MakeBox(float anX, float aY, float aHalfWidth, float aHalfHeight, ColliderType aType)
    {
        Collider collider;
        collider.SetBox(anX, aY, aHalfWidth, aHalfHeight);
        collider.type = aType;
        return collider;
    }

    // A level 40000 units wide: ground tiles and platforms, with objects scattered over it.
    void CollisionUpdate(benchmark::State& aState)
    {
        const int dynamicCount = static_cast<int>(aState.range(0));
        std::mt19937 random(7);
        std::uniform_real_distribution<float> alongLevel(0.0f, 40000.0f);
        std::uniform_real_distribution<float> height(0.0f, 1500.0f);

        CollisionManager manager(1500.0f, nullptr);
        for (int index = 0; index < STATIC_COUNT; ++index)
        {
            if (index % 2 == 0)
                manager.AddStatic(MakeBox(static_cast<float>(index) * 20.0f, -50.0f, 20.0f, 50.0f, ColliderType::Level));
            else
                manager.AddStatic(MakeBox(alongLevel(random), height(random), 150.0f, 20.0f, ColliderType::Level));
        }
        CountingObserver observer;
        std::deque<Collider> dynamics;
        for (int index = 0; index < dynamicCount; ++index)
        {
            Collider& collider = dynamics.emplace_back(MakeBox(alongLevel(random), height(random), 40.0f, 40.0f, ColliderType::Box));
            collider.AddObserver(&observer);
            manager.AddDynamic(&collider);
        }

        for (auto _ : aState)
            manager.Update();
        aState.counters["contacts/frame"] = benchmark::Counter(static_cast<double>(observer.myContacts) / static_cast<double>(aState.iterations()));
    }
}

BENCHMARK(CollisionUpdate)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);
