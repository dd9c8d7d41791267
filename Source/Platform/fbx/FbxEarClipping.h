#pragma once
// Ear clipping of one simple polygon projected onto a plane, fast on polygons of many thousand corners.
#include <array>
#include <vector>

namespace Vela::Fbx
{
    struct Point2
    {
        double x, y;
    };

    // Twice the signed area of a, b, c: positive when they turn counter-clockwise.
    inline double Cross(const Point2& aA, const Point2& aB, const Point2& aC)
    {
        return (aB.x - aA.x) * (aC.y - aA.y) - (aB.y - aA.y) * (aC.x - aA.x);
    }

    // Appends n - 2 triangles (indices into somePoints, counter-clockwise) covering the polygon
    // somePoints, which runs counter-clockwise. A self-intersecting or degenerate remainder is
    // finished with forced cuts, and once the work spent passes a bound proportional to n (only
    // self-crossing outlines get there) the rest is fanned: every corner is used, the count is
    // always n - 2, and no outline takes more than a few milliseconds per thousand corners.
    void ClipEars(const std::vector<Point2>& somePoints, std::vector<std::array<int, 3>>& someOut);
}
