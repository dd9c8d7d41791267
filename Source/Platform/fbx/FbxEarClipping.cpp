#include "Platform/fbx/FbxEarClipping.h"

#include <algorithm>
#include <cstdint>

namespace Vela::Fbx
{
    namespace
    {
        // Below this many corners a plain walk over the ring is cheaper than the spatial order.
        constexpr size_t MIN_HASHED_CORNERS = 80;

        // Corners looked at (in ear tests and laps) before the clipper gives up on finding ears and fans
        // what is left: far above what any simple outline needs, low enough that a self-crossing
        // outline of many thousand corners, where every forced cut is followed by another fruitless
        // lap, ends in milliseconds.
        constexpr size_t WORK_PER_CORNER = 512;
        constexpr size_t MIN_WORK = size_t(1) << 20;

        bool InsideTriangle(const Point2& aPoint, const Point2& aA, const Point2& aB, const Point2& aC)
        {
            // Points on an edge count as inside so that no ear is cut across a touching corner.
            return Cross(aA, aB, aPoint) >= 0.0 && Cross(aB, aC, aPoint) >= 0.0 && Cross(aC, aA, aPoint) >= 0.0;
        }

        // Corners as a ring (prev/next) and, for large polygons, as a list sorted along a Z-order
        // curve (prevZ/nextZ), so the corners near a candidate ear are found without a full walk.
        class EarClipper
        {
        public:
            explicit EarClipper(const std::vector<Point2>& somePoints) : myPoints(somePoints)
            {
                const int count = static_cast<int>(somePoints.size());
                myCorners.resize(somePoints.size());
                for (int i = 0; i < count; ++i)
                {
                    myCorners[static_cast<size_t>(i)].prev = (i + count - 1) % count;
                    myCorners[static_cast<size_t>(i)].next = (i + 1) % count;
                }
                myHashed = somePoints.size() >= MIN_HASHED_CORNERS;

                if (myHashed)
                    BuildZOrder();
            }

            void Run(std::vector<std::array<int, 3>>& someOut)
            {
                int ear = 0;
                int stop = ear;
                while (myCorners[static_cast<size_t>(ear)].prev != myCorners[static_cast<size_t>(ear)].next)
                {
                    if (myWorkLeft == 0)
                    {
                        FanRemaining(ear, someOut);
                        return;
                    }
                    const int previous = myCorners[static_cast<size_t>(ear)].prev;
                    const int next = myCorners[static_cast<size_t>(ear)].next;
                    if (IsEar(ear))
                    {
                        someOut.push_back({previous, ear, next});
                        Remove(ear);
                        // The next corner may have just become an ear: trying it at once sweeps a run of them
                        // in one lap rather than one per lap around a long outline.
                        ear = next;
                        stop = ear;
                        continue;
                    }
                    ear = next;
                    if (ear == stop)
                    {
                        // No clean ear left. Corners on a straight line (or tips of zero-width spikes)
                        // go first, all in one lap, as triangles of no area: the outline keeps its shape.
                        if (CutFlatCorners(ear, someOut))
                        {
                            stop = ear = myCorners[static_cast<size_t>(ear)].next;
                            continue;
                        }
                        // Otherwise (self-intersection): cut a convex corner anyway, or any corner when none is convex.
                        // From the first such cut on, the work is bounded.
                        if (!myForced)
                        {
                            myForced = true;
                            myWorkLeft = std::max(MIN_WORK, WORK_PER_CORNER * myCorners.size());
                        }
                        ear = ForcedEar(ear);
                        const int forcedPrevious = myCorners[static_cast<size_t>(ear)].prev;
                        const int forcedNext = myCorners[static_cast<size_t>(ear)].next;
                        someOut.push_back({forcedPrevious, ear, forcedNext});
                        Remove(ear);
                        ear = forcedNext;
                        stop = ear;
                    }
                }
            }

        private:
            struct Corner
            {
                int prev = -1, next = -1;
                int prevZ = -1, nextZ = -1;
                uint32_t z = 0;
            };

            const std::vector<Point2>& myPoints;
            std::vector<Corner> myCorners;
            bool myHashed = false;
            bool myForced = false;
            size_t myWorkLeft = SIZE_MAX;  // unbounded until the first forced cut
            double myMinX = 0.0, myMinY = 0.0, myInverseSize = 0.0;

            const Point2& PointOf(int aCorner) const { return myPoints[static_cast<size_t>(aCorner)]; }

            static uint32_t Spread(uint32_t aValue)
            {
                aValue = (aValue | (aValue << 8)) & 0x00FF00FFu;
                aValue = (aValue | (aValue << 4)) & 0x0F0F0F0Fu;
                aValue = (aValue | (aValue << 2)) & 0x33333333u;
                return (aValue | (aValue << 1)) & 0x55555555u;
            }

            uint32_t ZOrder(double aX, double aY) const
            {
                const auto x = static_cast<uint32_t>(std::clamp((aX - myMinX) * myInverseSize, 0.0, 32767.0));
                const auto y = static_cast<uint32_t>(std::clamp((aY - myMinY) * myInverseSize, 0.0, 32767.0));
                return Spread(x) | (Spread(y) << 1);
            }

            void BuildZOrder()
            {
                double maxX = myPoints[0].x, maxY = myPoints[0].y;
                myMinX = maxX;
                myMinY = maxY;
                for (const Point2& point : myPoints)
                {
                    myMinX = std::min(myMinX, point.x);
                    myMinY = std::min(myMinY, point.y);
                    maxX = std::max(maxX, point.x);
                    maxY = std::max(maxY, point.y);
                }
                const double size = std::max(maxX - myMinX, maxY - myMinY);
                myInverseSize = size > 0.0 ? 32767.0 / size : 0.0;

                std::vector<int> order(myCorners.size());
                for (size_t i = 0; i < order.size(); ++i)
                {
                    order[i] = static_cast<int>(i);
                    myCorners[i].z = ZOrder(myPoints[i].x, myPoints[i].y);
                }
                std::sort(order.begin(), order.end(), [this](int aFirst, int aSecond) {
                    return myCorners[static_cast<size_t>(aFirst)].z < myCorners[static_cast<size_t>(aSecond)].z;
                });
                for (size_t i = 0; i < order.size(); ++i)
                {
                    Corner& corner = myCorners[static_cast<size_t>(order[i])];
                    corner.prevZ = i > 0 ? order[i - 1] : -1;
                    corner.nextZ = i + 1 < order.size() ? order[i + 1] : -1;
                }
            }

            // A corner inside the candidate blocks it only when it is reflex or flat: a convex one
            // inside implies a reflex one inside as well.
            bool Blocks(int aCorner, int aA, int aC, const Point2& aPointA, const Point2& aPointB, const Point2& aPointC)
            {
                Spend();
                if (aCorner == aA || aCorner == aC)
                    return false;
                const Corner& corner = myCorners[static_cast<size_t>(aCorner)];
                return InsideTriangle(PointOf(aCorner), aPointA, aPointB, aPointC) &&
                       Cross(PointOf(corner.prev), PointOf(aCorner), PointOf(corner.next)) <= 0.0;
            }

            // Counts one unit of work against the budget.
            void Spend() { myWorkLeft -= myWorkLeft > 0 ? 1 : 0; }

            bool IsEar(int aEar)
            {
                Spend();
                const Corner& ear = myCorners[static_cast<size_t>(aEar)];
                const Point2& a = PointOf(ear.prev);
                const Point2& b = PointOf(aEar);
                const Point2& c = PointOf(ear.next);
                if (Cross(a, b, c) <= 0.0)
                    return false;  // reflex or flat corner
                if (!myHashed)
                {
                    for (int other = myCorners[static_cast<size_t>(ear.next)].next; other != ear.prev; other = myCorners[static_cast<size_t>(other)].next)
                        if (Blocks(other, ear.prev, ear.next, a, b, c))
                            return false;
                    return true;
                }
                const double minX = std::min({a.x, b.x, c.x}), minY = std::min({a.y, b.y, c.y});
                const double maxX = std::max({a.x, b.x, c.x}), maxY = std::max({a.y, b.y, c.y});
                const uint32_t minZ = ZOrder(minX, minY);
                const uint32_t maxZ = ZOrder(maxX, maxY);
                auto inBox = [&](const Point2& aPoint) {
                    Spend();
                    return aPoint.x >= minX && aPoint.x <= maxX && aPoint.y >= minY && aPoint.y <= maxY;
                };
                for (int other = ear.prevZ; other >= 0 && myCorners[static_cast<size_t>(other)].z >= minZ; other = myCorners[static_cast<size_t>(other)].prevZ)
                    if (inBox(PointOf(other)) && Blocks(other, ear.prev, ear.next, a, b, c))
                        return false;
                for (int other = ear.nextZ; other >= 0 && myCorners[static_cast<size_t>(other)].z <= maxZ; other = myCorners[static_cast<size_t>(other)].nextZ)
                    if (inBox(PointOf(other)) && Blocks(other, ear.prev, ear.next, a, b, c))
                        return false;
                return true;
            }

            // Cuts every flat corner met in one lap from aEar (which stays in the ring and may move); true when any was cut.
            bool CutFlatCorners(int& aEar, std::vector<std::array<int, 3>>& someOut)
            {
                bool cut = false;
                int corner = aEar;
                int remaining = static_cast<int>(myCorners.size());
                while (remaining-- > 0 && myCorners[static_cast<size_t>(corner)].prev != myCorners[static_cast<size_t>(corner)].next)
                {
                    Spend();
                    const Corner& candidate = myCorners[static_cast<size_t>(corner)];
                    const int next = candidate.next;
                    if (Cross(PointOf(candidate.prev), PointOf(corner), PointOf(next)) == 0.0)
                    {
                        someOut.push_back({candidate.prev, corner, next});
                        Remove(corner);
                        cut = true;
                    }
                    corner = next;
                }
                aEar = corner;
                return cut;
            }

            int ForcedEar(int aStart)
            {
                int corner = aStart;
                do
                {
                    Spend();
                    const Corner& candidate = myCorners[static_cast<size_t>(corner)];
                    if (Cross(PointOf(candidate.prev), PointOf(corner), PointOf(candidate.next)) > 0.0)
                        return corner;
                    corner = candidate.next;
                } while (corner != aStart);
                return aStart;
            }

            // The corners still in the ring as a fan around aStart: n - 2 triangles in the ring's order.
            void FanRemaining(int aStart, std::vector<std::array<int, 3>>& someOut) const
            {
                for (int corner = myCorners[static_cast<size_t>(aStart)].next; myCorners[static_cast<size_t>(corner)].next != aStart;
                     corner = myCorners[static_cast<size_t>(corner)].next)
                    someOut.push_back({aStart, corner, myCorners[static_cast<size_t>(corner)].next});
            }

            void Remove(int aCorner)
            {
                Corner& corner = myCorners[static_cast<size_t>(aCorner)];
                myCorners[static_cast<size_t>(corner.prev)].next = corner.next;
                myCorners[static_cast<size_t>(corner.next)].prev = corner.prev;
                if (corner.prevZ >= 0)
                    myCorners[static_cast<size_t>(corner.prevZ)].nextZ = corner.nextZ;
                if (corner.nextZ >= 0)
                    myCorners[static_cast<size_t>(corner.nextZ)].prevZ = corner.prevZ;
            }
        };
    }

    void ClipEars(const std::vector<Point2>& somePoints, std::vector<std::array<int, 3>>& someOut)
    {
        if (somePoints.size() < 3)
            return;
        EarClipper clipper(somePoints);
        clipper.Run(someOut);
    }
}
