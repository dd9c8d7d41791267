// Ear clipping of one outline: a simple comb of thousands of notches, and outlines of scattered
// corners that cross themselves everywhere (broken scans), whose cost must stay bounded.
#include "Platform/fbx/FbxEarClipping.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

using namespace Vela::Fbx;

namespace
{
    std::vector<Point2> Scattered(int aCount)
    {
        std::vector<Point2> points;
        uint64_t state = 12345;
        auto next = [&state] {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            return static_cast<double>(state >> 40) / static_cast<double>(1 << 24);
        };
        for (int i = 0; i < aCount; ++i)
        {
            const double x = next();
            points.push_back({x, next()});
        }
        // Counter-clockwise overall, as the triangulation hands outlines over.
        double area = 0.0;
        for (size_t i = 0; i < points.size(); ++i)
            area += Cross({0, 0}, points[i], points[(i + 1) % points.size()]);
        if (area < 0.0)
            std::reverse(points.begin(), points.end());
        return points;
    }

    // A bar with aNotches narrow notches cut into it, counter-clockwise (4 x aNotches + 4 corners).
    std::vector<Point2> Comb(int aNotches)
    {
        std::vector<Point2> points = {{0, 0}, {aNotches * 2.0, 0}, {aNotches * 2.0, 10}};
        for (int cell = aNotches - 1; cell >= 0; --cell)
            points.insert(points.end(), {{cell * 2.0 + 1.5, 10}, {cell * 2.0 + 1.5, 1}, {cell * 2.0 + 0.5, 1}, {cell * 2.0 + 0.5, 10}});
        points.push_back({0, 10});
        return points;
    }

    void Clip(benchmark::State& aState, const std::vector<Point2>& somePoints)
    {
        std::vector<std::array<int, 3>> triangles;
        for (auto _ : aState)
        {
            triangles.clear();
            ClipEars(somePoints, triangles);
            benchmark::DoNotOptimize(triangles.data());
        }
    }
}

static void ClipEarsScattered(benchmark::State& aState) { Clip(aState, Scattered(static_cast<int>(aState.range(0)))); }
BENCHMARK(ClipEarsScattered)->Arg(2000)->Arg(8000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void ClipEarsComb(benchmark::State& aState) { Clip(aState, Comb(6000)); }  // 24,004 corners, as in the maze
BENCHMARK(ClipEarsComb)->Unit(benchmark::kMillisecond);
