#include "Platform/fbx/FbxTangentFrames.h"
#include "Platform/fbx/FbxParallel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>

namespace Vela::Fbx
{
    namespace
    {
        constexpr uint32_t EMPTY = UINT32_MAX;
        // Fewer corners than this per part are not worth a thread.
        constexpr int MIN_PART_CORNERS = 16384;
        // Corner values carry their part in the low bits when the mesh is split.
        constexpr int PART_BITS = 3;
        constexpr int MAX_PARTS = 1 << PART_BITS;
        // A control point's frames are walked, newest first, while it has at most this many.
        constexpr uint32_t MOST_WALKED = 8;

        // Any vector perpendicular to aNormal, for corners whose UVs give no direction.
        Vector4 AnyPerpendicular(const Vector4& aNormal)
        {
            const Vector4 axis = std::abs(aNormal.x) < 0.9 ? Vector4(1.0, 0.0, 0.0) : Vector4(0.0, 1.0, 0.0);
            return axis.Cross3(aNormal).Normalized3();
        }

        // Corners that share control point, UV and normal share one smooth tangent frame.
        struct Key
        {
            int controlPoint;
            int uv;
            int normal;  // index into the normals, -1 for none
        };

        // Sums of the UV-space directions; w is never read, so it is not summed.
        struct Frame
        {
            double tangent[3] = {0.0, 0.0, 0.0};
            double binormal[3] = {0.0, 0.0, 0.0};
        };

        // The key of a frame, with its control point's next older frame and how many it has up to this one.
        struct FrameKey
        {
            Key key;
            uint32_t older;
            uint32_t depth;
            bool normalIsNumber;  // no NaN in its normal (or none): a key with the same normal index is the same key
        };

        int ControlPointOf(const TangentSource& aSource, int aCorner)
        {
            const int controlPoint = aSource.cornerPoints[aCorner];
            return controlPoint >= 0 && controlPoint < aSource.pointCount ? controlPoint : -1;
        }

        int PolygonEnd(const TangentSource& aSource, int aPolygon)
        {
            return aPolygon + 1 < aSource.polygonCount ? aSource.polygonStarts[aPolygon + 1] : aSource.cornerCount;
        }

        // Control points are shared out in runs of 2^aPointShift; corners naming none go with the first.
        int PartOf(int aControlPoint, int aPointShift) { return aControlPoint < 0 ? 0 : aControlPoint >> aPointShift; }

        // CornerIndexer for data mapped by polygon vertex through an index array, without the mode switch.
        class IndexedPerCorner
        {
        public:
            explicit IndexedPerCorner(const CornerIndexer& aIndexer)
                : myIndices(aIndexer.GetIndices()), myIndexCount(aIndexer.GetIndexCount()), myDirectCount(aIndexer.GetDirectCount())
            {
            }

            // A negative int widened to size_t is beyond every count, so one test each covers both ends.
            int operator()(int /*aControlPoint*/, int aPolygonVertex, int /*aPolygon*/) const
            {
                if (static_cast<size_t>(aPolygonVertex) >= myIndexCount)
                    return -1;
                const int index = myIndices[aPolygonVertex];
                return static_cast<size_t>(index) < myDirectCount ? index : -1;
            }

        private:
            const int* myIndices;
            size_t myIndexCount;
            size_t myDirectCount;
        };

        // The frames and results of the control points one part owns: those numbered aIndex << aPointShift
        // up to the next part's, and for part 0 also the corners naming none (-1). Every corner value it
        // writes is its own (part number in the low aValueShift bits): the corner's result. Parts share nothing else they write. somePolygonParts (null for a single part) has bit p
        // set for the polygons with corners of part p.
        class Part
        {
        public:
            Part(const TangentSource& aSource, const uint8_t* somePolygonParts, int* someCornerValues, uint32_t* someNewestFrames, int aIndex,
                 int aPointShift, int aValueShift)
                : mySource(aSource), myPolygonParts(somePolygonParts), myCornerValues(someCornerValues), myNewestFrames(someNewestFrames),
                  myIndex(aIndex), myPointShift(aPointShift), myValueShift(aValueShift), myPolygonEnd(aSource.polygonCount)
            {
            }

            // Polygons outside [aBegin, aEnd) have no corners of this part.
            void SetPolygons(int aBegin, int aEnd)
            {
                myPolygonBegin = aBegin;
                myPolygonEnd = aEnd;
            }

            // Reserves about one frame and result per control point. Called on the thread that frees the
            // parts, so their memory comes back to that thread's heap for the next import.
            void Reserve()
            {
                const size_t ownPoints = std::min<size_t>(static_cast<size_t>(mySource.pointCount), size_t{1} << std::min(myPointShift, 31));
                const size_t frames = std::min(ownPoints, static_cast<size_t>(mySource.cornerCount));
                myFrames.reserve(frames);
                myKeys.reserve(frames);
                myMadeAt.reserve(frames);
                myMadeWith.reserve(frames);
                myMadeFrom.reserve(frames);
                myTangents.reserve(frames);
                myBinormals.reserve(frames);
                myFirstCorners.reserve(frames);
            }

            void Run()
            {
                const bool uvFast = mySource.uvOf.IsIndexedPerCorner();
                const bool normalFast = mySource.normalOf.IsIndexedPerCorner();
                if (uvFast && normalFast)
                    RunWith(IndexedPerCorner(mySource.uvOf), IndexedPerCorner(mySource.normalOf));
                else if (uvFast)
                    RunWith(IndexedPerCorner(mySource.uvOf), mySource.normalOf);
                else if (normalFast)
                    RunWith(mySource.uvOf, IndexedPerCorner(mySource.normalOf));
                else
                    RunWith(mySource.uvOf, mySource.normalOf);
            }

            std::vector<Vector4>& GetTangents() { return myTangents; }
            std::vector<Vector4>& GetBinormals() { return myBinormals; }
            const std::vector<int>& GetFirstCorners() const { return myFirstCorners; }

        private:
            // Up to this many corners a polygon's scratch lives on the stack.
            static constexpr int SMALL_POLYGON = 16;

            bool Owns(int aControlPoint) const { return PartOf(aControlPoint, myPointShift) == myIndex; }
            bool Touches(int aPolygon) const { return !myPolygonParts || (myPolygonParts[aPolygon] >> myIndex & 1) != 0; }
            int Encode(uint32_t aLocal) const { return static_cast<int>((aLocal << myValueShift) | static_cast<uint32_t>(myIndex)); }
            uint32_t Local(int aValue) const { return static_cast<uint32_t>(aValue) >> myValueShift; }

            // A normal without w; zero for none.
            Vector4 NormalOf(int aNormal) const
            {
                if (aNormal < 0)
                    return Vector4();
                const Vector4& normal = mySource.normals[aNormal];
                return Vector4(normal.x, normal.y, normal.z, 0.0);
            }

            // Normals compare by value (-0 equals +0, NaN equals nothing).
            bool SameKey(const Key& aFirst, const Key& aSecond) const
            {
                if (aFirst.controlPoint != aSecond.controlPoint || aFirst.uv != aSecond.uv)
                    return false;
                if (aFirst.normal == aSecond.normal)
                {
                    // One normal read: only NaN makes it differ from itself.
                    if (aFirst.normal < 0)
                        return true;
                    const Vector4& normal = mySource.normals[aFirst.normal];
                    return normal.x == normal.x && normal.y == normal.y && normal.z == normal.z;
                }
                const Vector4 first = NormalOf(aFirst.normal);
                const Vector4 second = NormalOf(aSecond.normal);
                return first.x == second.x && first.y == second.y && first.z == second.z;
            }

            // SameKey against a frame's key; when the indices match, the frame knows the answer without reading the normal.
            [[gnu::always_inline]] bool SameAsFrame(uint32_t aFrame, const Key& aKey) const
            {
                const FrameKey& frame = myKeys[aFrame];
                if (frame.key.controlPoint == aKey.controlPoint && frame.key.uv == aKey.uv && frame.key.normal == aKey.normal)
                    return frame.normalIsNumber;
                return SameKey(frame.key, aKey);
            }

            uint64_t HashOf(const Key& aKey) const
            {
                uint64_t hash = (static_cast<uint64_t>(static_cast<uint32_t>(aKey.controlPoint)) << 32) ^ static_cast<uint32_t>(aKey.uv);
                const Vector4 normal = NormalOf(aKey.normal);
                for (double value : {normal.x, normal.y, normal.z})
                {
                    const double positiveZero = value + 0.0;  // -0 and +0 are equal keys
                    uint64_t bits;
                    std::memcpy(&bits, &positiveZero, sizeof(bits));
                    hash = (hash ^ bits) * 0x9E3779B97F4A7C15ull;
                    hash ^= hash >> 29;
                }
                return hash;
            }

            // The open-addressed table (kept at most half full) of the frames of control points with
            // many, and of corners naming none; made only when needed.
            void Place(uint32_t aFrame)
            {
                const size_t mask = mySlots.size() - 1;
                size_t slot = static_cast<size_t>(HashOf(myKeys[aFrame].key)) & mask;
                while (mySlots[slot] != EMPTY)
                    slot = (slot + 1) & mask;
                mySlots[slot] = aFrame;
            }

            void AddToTable(uint32_t aFrame)
            {
                if ((myHashed.size() + 1) * 2 > mySlots.size())
                {
                    mySlots.assign(std::max<size_t>(16, mySlots.size() * 2), EMPTY);
                    for (uint32_t frame : myHashed)
                        Place(frame);
                }
                myHashed.push_back(aFrame);
                Place(aFrame);
            }

            uint32_t FindInTable(const Key& aKey) const
            {
                if (mySlots.empty())
                    return EMPTY;
                const size_t mask = mySlots.size() - 1;
                for (size_t slot = static_cast<size_t>(HashOf(aKey)) & mask; mySlots[slot] != EMPTY; slot = (slot + 1) & mask)
                    if (SameAsFrame(mySlots[slot], aKey))
                        return mySlots[slot];
                return EMPTY;
            }

            uint32_t NewFrame(const Key& aKey, uint32_t aOlder, uint32_t aDepth)
            {
                myFrames.emplace_back();
                myKeys.push_back({aKey, aOlder, aDepth, SameKey(aKey, aKey)});
                myMadeAt.push_back(EMPTY);
                return static_cast<uint32_t>(myFrames.size() - 1);
            }

            uint32_t FrameFor(const Key& aKey)
            {
                if (aKey.controlPoint < 0)
                {
                    uint32_t frame = FindInTable(aKey);
                    if (frame == EMPTY)
                    {
                        frame = NewFrame(aKey, EMPTY, 1);
                        AddToTable(frame);
                    }
                    return frame;
                }
                uint32_t& newest = myNewestFrames[aKey.controlPoint];
                const uint32_t depth = newest == EMPTY ? 0 : myKeys[newest].depth;
                if (depth <= MOST_WALKED)
                {
                    for (uint32_t frame = newest; frame != EMPTY; frame = myKeys[frame].older)
                        if (SameAsFrame(frame, aKey))
                            return frame;
                }
                else if (const uint32_t frame = FindInTable(aKey); frame != EMPTY)
                    return frame;
                const uint32_t frame = NewFrame(aKey, newest, depth + 1);
                newest = frame;
                if (depth + 1 == MOST_WALKED + 1)
                {
                    // From now on this control point is looked up in the table, which needs all its frames.
                    for (uint32_t older = frame; older != EMPTY; older = myKeys[older].older)
                        AddToTable(older);
                }
                else if (depth + 1 > MOST_WALKED + 1)
                    AddToTable(frame);
                return frame;
            }

            // Gives each own corner its frame and result in one pass, and adds the UV-space directions of every
            // fan triangle (0, i, i + 1) to the frames of its own corners. A triangle touching no own corner is skipped.
            template <class UvOf, class NormalOf>
            void RunWith(const UvOf& aUvOf, const NormalOf& aNormalOf)
            {
                SumFrames(aUvOf, aNormalOf);
                ComputeResults();
            }

            template <class UvOf, class NormalOf>
            void SumFrames(const UvOf aUvOf, const NormalOf aNormalOf)
            {
                // Copies: the corner values written below would otherwise make every use re-read them.
                const TangentSource source = mySource;
                int* const cornerValues = myCornerValues;
                Key smallKeys[SMALL_POLYGON];  // the current polygon's corners (uv for all, normal for own ones)
                uint32_t smallFrames[SMALL_POLYGON];  // and the frames of its own corners
                char smallOwned[SMALL_POLYGON];
                std::vector<Key> largeKeys;
                std::vector<uint32_t> largeFrames;
                std::vector<char> largeOwned;
                for (int polygon = myPolygonBegin; polygon < myPolygonEnd; ++polygon)
                {
                    if (!Touches(polygon))
                        continue;
                    const int start = source.polygonStarts[polygon];
                    const int size = PolygonEnd(source, polygon) - start;
                    if (size <= 0)
                        continue;
                    if (size == 3 && !myPolygonParts)
                    {
                        AddWholeTriangle(source, cornerValues, polygon, start, aUvOf, aNormalOf);
                        continue;
                    }
                    if (size == 3)
                    {
                        AddPolygon(source, cornerValues, polygon, start, std::integral_constant<int, 3>(), smallKeys, smallFrames, smallOwned, aUvOf,
                                   aNormalOf);
                        continue;
                    }
                    Key* keys = smallKeys;
                    uint32_t* frames = smallFrames;
                    char* owned = smallOwned;
                    if (size > SMALL_POLYGON)
                    {
                        largeKeys.resize(static_cast<size_t>(size));
                        largeFrames.resize(static_cast<size_t>(size));
                        largeOwned.resize(static_cast<size_t>(size));
                        keys = largeKeys.data();
                        frames = largeFrames.data();
                        owned = largeOwned.data();
                    }
                    AddPolygon(source, cornerValues, polygon, start, size, keys, frames, owned, aUvOf, aNormalOf);
                }
            }

            // One polygon of the pass above. aSize is an int, or a constant for triangles (all of them
            // after triangulation), whose loops then unroll.
            template <class Size, class UvOf, class NormalOf>
            void AddPolygon(const TangentSource& aSource, int* someCornerValues, int aPolygon, int aStart, Size aSize, Key* someKeys,
                            uint32_t* someFrames, char* someOwned, const UvOf& aUvOf, const NormalOf& aNormalOf)
            {
                const int size = aSize;
                bool anyOwned = false;
                for (int corner = 0; corner < size; ++corner)
                {
                    const int controlPoint = ControlPointOf(aSource, aStart + corner);
                    someKeys[corner].controlPoint = controlPoint;
                    someOwned[corner] = Owns(controlPoint);
                    anyOwned = anyOwned || someOwned[corner];
                }
                if (!anyOwned)
                    return;
                for (int corner = 0; corner < size; ++corner)
                {
                    Key& key = someKeys[corner];
                    key.uv = aUvOf(key.controlPoint, aStart + corner, aPolygon);
                    if (!someOwned[corner])
                        continue;
                    key.normal = aNormalOf(key.controlPoint, aStart + corner, aPolygon);
                    someCornerValues[aStart + corner] = Encode(NumberCorner(key, aStart + corner, someFrames[corner]));
                }
                for (int corner = 1; corner + 1 < size; ++corner)
                {
                    const int triangle[3] = {0, corner, corner + 1};
                    if (someOwned[0] || someOwned[corner] || someOwned[corner + 1])
                        AddTriangle(aSource, someKeys, someFrames, someOwned, triangle);
                }
            }

            // The frame a corner's key sums into (aFrame) and the result it takes, numbered now: it needs the
            // frame's number, not its sums. Most corners repeat their control point's newest frame; keys never
            // repeat among the frames.
            [[gnu::always_inline]] uint32_t NumberCorner(const Key& aKey, int aPolygonVertex, uint32_t& aFrame)
            {
                const uint32_t newest = aKey.controlPoint >= 0 ? myNewestFrames[aKey.controlPoint] : EMPTY;
                aFrame = newest != EMPTY && SameAsFrame(newest, aKey) ? newest : FrameFor(aKey);
                const uint32_t made = myMadeAt[aFrame];
                const uint32_t result = made != EMPTY && myMadeWith[made] == aKey.normal ? made : ResultFor(aFrame, aKey.normal);
                if (result == myFirstCorners.size())
                    myFirstCorners.push_back(aPolygonVertex);
                return result;
            }

            // AddPolygon for a triangle of a mesh kept in one part, whose corners are all its own: the same
            // frames, results and sums, without asking which corners are.
            template <class UvOf, class NormalOf>
            [[gnu::always_inline]] void AddWholeTriangle(const TangentSource& aSource, int* someCornerValues, int aPolygon, int aStart,
                                                         const UvOf& aUvOf, const NormalOf& aNormalOf)
            {
                static constexpr char ALL_OWN[3] = {1, 1, 1};
                static constexpr int TRIANGLE[3] = {0, 1, 2};
                Key keys[3];
                uint32_t frames[3];
#pragma GCC unroll 3
                for (int corner = 0; corner < 3; ++corner)
                {
                    Key& key = keys[corner];
                    const int polygonVertex = aStart + corner;
                    key.controlPoint = ControlPointOf(aSource, polygonVertex);
                    key.uv = aUvOf(key.controlPoint, polygonVertex, aPolygon);
                    key.normal = aNormalOf(key.controlPoint, polygonVertex, aPolygon);
                    someCornerValues[polygonVertex] = static_cast<int>(NumberCorner(key, polygonVertex, frames[corner]));
                }
                AddTriangle(aSource, keys, frames, ALL_OWN, TRIANGLE);
            }

            // x, y and z only, in the order the Vector4 operators would take them. Inlined, so that a
            // triangle's own corners (0, 1, 2) are known when it is built.
            [[gnu::always_inline]] void AddTriangle(const TangentSource& aSource, const Key* someKeys, const uint32_t* someFrames, const char* someOwned, const int* someCorners)
            {
                static const Vector4 ORIGIN;
                const Key& key0 = someKeys[someCorners[0]];
                const Key& key1 = someKeys[someCorners[1]];
                const Key& key2 = someKeys[someCorners[2]];
                if (key0.uv < 0 || key1.uv < 0 || key2.uv < 0)
                    return;
                const Vector4& position0 = key0.controlPoint >= 0 ? aSource.points[key0.controlPoint] : ORIGIN;
                const Vector4& position1 = key1.controlPoint >= 0 ? aSource.points[key1.controlPoint] : ORIGIN;
                const Vector4& position2 = key2.controlPoint >= 0 ? aSource.points[key2.controlPoint] : ORIGIN;
                const Vector2& texture0 = aSource.uvs[key0.uv];
                const Vector2& texture1 = aSource.uvs[key1.uv];
                const Vector2& texture2 = aSource.uvs[key2.uv];
                const double du1 = texture1.x - texture0.x, dv1 = texture1.y - texture0.y;
                const double du2 = texture2.x - texture0.x, dv2 = texture2.y - texture0.y;
                const double determinant = du1 * dv2 - du2 * dv1;
                if (std::abs(determinant) < 1e-20)
                    return;
                const double inverse = 1.0 / determinant;
                const double edge1x = position1.x - position0.x, edge1y = position1.y - position0.y, edge1z = position1.z - position0.z;
                const double edge2x = position2.x - position0.x, edge2y = position2.y - position0.y, edge2z = position2.z - position0.z;
                const double tangentX = (edge1x * dv2 - edge2x * dv1) * inverse;
                const double tangentY = (edge1y * dv2 - edge2y * dv1) * inverse;
                const double tangentZ = (edge1z * dv2 - edge2z * dv1) * inverse;
                const double binormalX = (edge2x * du1 - edge1x * du2) * inverse;
                const double binormalY = (edge2y * du1 - edge1y * du2) * inverse;
                const double binormalZ = (edge2z * du1 - edge1z * du2) * inverse;
                for (int i = 0; i < 3; ++i)
                {
                    if (!someOwned[someCorners[i]])
                        continue;
                    Frame& frame = myFrames[someFrames[someCorners[i]]];
                    frame.tangent[0] += tangentX;
                    frame.tangent[1] += tangentY;
                    frame.tangent[2] += tangentZ;
                    frame.binormal[0] += binormalX;
                    frame.binormal[1] += binormalY;
                    frame.binormal[2] += binormalZ;
                }
            }

            // The result depends on the frame and the normal's exact bits only: a corner repeating
            // both of the frame's latest result shares it. New results are only noted here and
            // computed together afterwards, where their square roots and divisions overlap.
            uint32_t ResultFor(uint32_t aFrame, int aNormal)
            {
                uint32_t& made = myMadeAt[aFrame];
                if (made != EMPTY && myMadeWith[made] == aNormal)
                    return made;
                const Vector4 keyNormal = NormalOf(aNormal);
                const Vector4 madeNormal = made != EMPTY ? NormalOf(myMadeWith[made]) : Vector4();
                if (made != EMPTY && std::memcmp(&madeNormal, &keyNormal, sizeof(Vector4)) == 0)
                    return made;
                made = static_cast<uint32_t>(myMadeWith.size());
                myMadeWith.push_back(aNormal);
                myMadeFrom.push_back(aFrame);
                return made;
            }

            void ComputeResults()
            {
                // Appended, not zero-filled first: every result is written.
                const size_t count = myMadeWith.size();
                myTangents.clear();
                myBinormals.clear();
                myTangents.reserve(count);
                myBinormals.reserve(count);
                // Neighbouring results often share a normal's value (flat faces): its unit vector, a
                // square root and three divisions, is then made once.
                Vector4 lastNormal;
                Vector4 lastUnit;
                bool anyNormal = false;
                for (size_t result = 0; result < count; ++result)
                {
                    const Vector4 rawNormal = NormalOf(myMadeWith[result]);
                    if (!anyNormal || std::memcmp(&rawNormal, &lastNormal, sizeof(Vector4)) != 0)
                    {
                        lastNormal = rawNormal;
                        lastUnit = rawNormal.Normalized3();
                        anyNormal = true;
                    }
                    const Vector4 normal = lastUnit;
                    const Frame& frame = myFrames[myMadeFrom[result]];
                    const Vector4 frameTangent(frame.tangent[0], frame.tangent[1], frame.tangent[2]);
                    const Vector4 frameBinormal(frame.binormal[0], frame.binormal[1], frame.binormal[2]);
                    // Gram-Schmidt against the normal; the sign says whether the UVs are mirrored.
                    Vector4 tangent = (frameTangent - normal * normal.Dot3(frameTangent)).Normalized3();
                    // The square root of the squared length is zero exactly when that is.
                    if (tangent.Dot3(tangent) == 0.0)
                        tangent = normal.Length3() > 0.0 ? AnyPerpendicular(normal) : Vector4(1.0, 0.0, 0.0);
                    const double handedness = normal.Cross3(tangent).Dot3(frameBinormal) < 0.0 ? -1.0 : 1.0;
                    const Vector4 binormal = normal.Cross3(tangent) * handedness;
                    myTangents.emplace_back(tangent.x, tangent.y, tangent.z, handedness);
                    myBinormals.emplace_back(binormal.x, binormal.y, binormal.z, 0.0);
                }
            }

            const TangentSource& mySource;
            const uint8_t* myPolygonParts;
            int* myCornerValues;
            uint32_t* myNewestFrames;
            int myIndex;
            int myPointShift;
            int myValueShift;
            int myPolygonBegin = 0;
            int myPolygonEnd;
            std::vector<Frame> myFrames;
            std::vector<FrameKey> myKeys;
            std::vector<uint32_t> mySlots;
            std::vector<uint32_t> myHashed;  // the frames in the table
            std::vector<uint32_t> myMadeAt;  // each frame's latest result
            std::vector<int> myMadeWith;     // the normal each result was made with
            std::vector<uint32_t> myMadeFrom;  // and its frame
            std::vector<Vector4> myTangents;
            std::vector<Vector4> myBinormals;
            std::vector<int> myFirstCorners;  // the corner each result was made for
        };
        // How the control points are split into parts (by their top bits), each part taking the
        // corners of its own points; one part for small meshes.
        struct PartSplit
        {
            int partCount = 1;
            int pointShift = 31;
            int valueShift = 0;  // part numbers sit in the low bits of the corner values when split
        };

        PartSplit ChoosePartSplit(int aCornerCount, int aPointCount)
        {
            PartSplit split;
            // Small meshes do not even ask for the worker pool.
            int partCount = aCornerCount / MIN_PART_CORNERS;
            if (partCount >= 2)
                partCount = std::min(partCount, static_cast<int>(std::min<size_t>(ParallelThreadCount(), MAX_PARTS)));
            // Part numbers must fit beside the frame and result numbers.
            if (partCount < 2 || aPointCount < partCount || aCornerCount >= (INT32_MAX >> PART_BITS))
                return split;
            split.pointShift = 0;
            while (((aPointCount - 1) >> split.pointShift) >= partCount)
                ++split.pointShift;
            split.partCount = ((aPointCount - 1) >> split.pointShift) + 1;
            split.valueShift = split.partCount > 1 ? PART_BITS : 0;
            return split;
        }

        // The parts that own the corners of each polygon, and each part's first and last polygon:
        // with corners in mesh order, a part's polygons mostly sit together. aFill runs beside that
        // work on the pool: on fresh memory filling an array costs as much.
        void FindPartPolygons(const TangentSource& aSource, const PartSplit& aSplit, std::vector<uint8_t>& somePolygonParts,
                              std::vector<int>& someBegins, std::vector<int>& someEnds, const std::function<void()>& aFill)
        {
            constexpr size_t SPAN_POLYGONS = 8192;
            somePolygonParts.resize(static_cast<size_t>(aSource.polygonCount));
            const size_t spanCount = (somePolygonParts.size() + SPAN_POLYGONS - 1) / SPAN_POLYGONS;
            std::vector<int> spanBegins(spanCount * MAX_PARTS, aSource.polygonCount);
            std::vector<int> spanEnds(spanCount * MAX_PARTS, 0);
            ParallelFor(spanCount + 1, 1, [&](size_t aBegin, size_t aEnd) {
                for (size_t item = aBegin; item < aEnd; ++item)
                {
                    if (item == 0)
                    {
                        aFill();
                        continue;
                    }
                    const size_t span = item - 1;
                    int* spanBegin = &spanBegins[span * MAX_PARTS];
                    int* spanEnd = &spanEnds[span * MAX_PARTS];
                    const int last = static_cast<int>(std::min(somePolygonParts.size(), (span + 1) * SPAN_POLYGONS));
                    for (int polygon = static_cast<int>(span * SPAN_POLYGONS); polygon < last; ++polygon)
                    {
                        uint8_t parts = 0;
                        const int end = PolygonEnd(aSource, polygon);
                        for (int corner = aSource.polygonStarts[polygon]; corner < end; ++corner)
                            parts = static_cast<uint8_t>(parts | 1 << PartOf(ControlPointOf(aSource, corner), aSplit.pointShift));
                        somePolygonParts[static_cast<size_t>(polygon)] = parts;
                        for (uint32_t bits = parts; bits != 0; bits &= bits - 1)
                        {
                            const int part = std::countr_zero(bits);
                            spanBegin[part] = std::min(spanBegin[part], polygon);
                            spanEnd[part] = polygon + 1;
                        }
                    }
                }
            });
            for (size_t span = 0; span < spanCount; ++span)
                for (size_t part = 0; part < someBegins.size(); ++part)
                {
                    someBegins[part] = std::min(someBegins[part], spanBegins[span * MAX_PARTS + part]);
                    someEnds[part] = std::max(someEnds[part], spanEnds[span * MAX_PARTS + part]);
                }
        }

        // A run of one part's results that comes next in the merged numbering.
        struct ResultRun
        {
            size_t part, first, count;
        };

        // Numbers the parts' results in the order of the corners they were made for, as one pass over
        // all corners would number them: each part's come in that order, so they merge, a run at a
        // time (the earliest part takes all its results before the next part's earliest). someNumbers
        // gets each part's results' numbers; the runs, in order, say where the merged results come from.
        size_t NumberResults(const std::vector<Part>& someParts, std::vector<std::vector<int>>& someNumbers, std::vector<ResultRun>& someRuns)
        {
            someNumbers.resize(someParts.size());
            size_t resultCount = 0;
            for (size_t part = 0; part < someParts.size(); ++part)
            {
                someNumbers[part].resize(someParts[part].GetFirstCorners().size());
                resultCount += someNumbers[part].size();
            }
            std::vector<size_t> merged(someParts.size(), 0);
            for (size_t number = 0; number < resultCount;)
            {
                size_t earliest = someParts.size();
                int earliestCorner = INT32_MAX;
                int nextCorner = INT32_MAX;
                for (size_t part = 0; part < someParts.size(); ++part)
                {
                    if (merged[part] >= someNumbers[part].size())
                        continue;
                    const int corner = someParts[part].GetFirstCorners()[merged[part]];
                    if (corner < earliestCorner)
                    {
                        nextCorner = earliestCorner;
                        earliest = part;
                        earliestCorner = corner;
                    }
                    else if (corner < nextCorner)
                        nextCorner = corner;
                }
                const std::vector<int>& firstCorners = someParts[earliest].GetFirstCorners();
                std::vector<int>& earliestNumbers = someNumbers[earliest];
                size_t& taken = merged[earliest];
                const size_t first = taken;
                do
                    earliestNumbers[taken++] = static_cast<int>(number++);
                while (taken < firstCorners.size() && firstCorners[taken] < nextCorner);
                someRuns.push_back({earliest, first, taken - first});
            }
            return resultCount;
        }

        // The merged results, and every corner's part-local value turned into its merged number (in
        // both index arrays), in one pool call: the first two items gather tangents and binormals,
        // the rest renumber runs of corners.
        void MergeResults(std::vector<Part>& someParts, const PartSplit& aSplit, TangentFrames& aMade)
        {
            std::vector<std::vector<int>> numbers;
            std::vector<ResultRun> runs;
            const size_t resultCount = NumberResults(someParts, numbers, runs);
            constexpr size_t RUN_CORNERS = 32768;
            const size_t runCount = (aMade.indices.size() + RUN_CORNERS - 1) / RUN_CORNERS;
            const uint32_t partMask = (1u << aSplit.valueShift) - 1;
            auto gather = [&](std::vector<Vector4>& someOut, std::vector<Vector4>& (Part::*aResults)()) {
                someOut.reserve(resultCount);
                for (const ResultRun& run : runs)
                {
                    const auto from = (someParts[run.part].*aResults)().begin() + static_cast<std::ptrdiff_t>(run.first);
                    someOut.insert(someOut.end(), from, from + static_cast<std::ptrdiff_t>(run.count));
                }
            };
            ParallelFor(2 + runCount, 1, [&](size_t aBegin, size_t aEnd) {
                for (size_t item = aBegin; item < aEnd; ++item)
                {
                    if (item < 2)
                    {
                        if (item == 0)
                            gather(aMade.tangents, &Part::GetTangents);
                        else
                            gather(aMade.binormals, &Part::GetBinormals);
                        continue;
                    }
                    const size_t first = (item - 2) * RUN_CORNERS;
                    const size_t last = std::min(aMade.indices.size(), first + RUN_CORNERS);
                    for (size_t corner = first; corner < last; ++corner)
                    {
                        int& value = aMade.indices[corner];
                        if (value >= 0)
                            value = numbers[static_cast<uint32_t>(value) & partMask][static_cast<uint32_t>(value) >> aSplit.valueShift];
                        else
                            value = 0;
                        aMade.binormalIndices[corner] = value;
                    }
                }
            });
        }
    }

    TangentFrames MakeTangentFrames(const TangentSource& aSource)
    {
        const int cornerCount = std::max(aSource.cornerCount, 0);
        const int pointCount = std::max(aSource.pointCount, 0);
        const PartSplit split = ChoosePartSplit(cornerCount, pointCount);
        const bool several = split.partCount > 1;

        TangentFrames made;
        // A corner outside every polygon (none in a mesh as read) keeps result 0. Split meshes mark such
        // corners (-1) until their parts' results are merged; a single part's own numbers are final.
        auto fillIndices = [&] { made.indices.assign(static_cast<size_t>(cornerCount), several ? -1 : 0); };
        std::vector<uint8_t> polygonParts;
        std::vector<int> begins(static_cast<size_t>(split.partCount), aSource.polygonCount);
        std::vector<int> ends(static_cast<size_t>(split.partCount), 0);
        if (several)
            FindPartPolygons(aSource, split, polygonParts, begins, ends, fillIndices);
        else
            fillIndices();

        std::vector<uint32_t> newestFrames(static_cast<size_t>(pointCount), EMPTY);
        std::vector<Part> parts;
        parts.reserve(static_cast<size_t>(split.partCount));
        for (int part = 0; part < split.partCount; ++part)
            parts.emplace_back(aSource, several ? polygonParts.data() : nullptr, made.indices.data(), newestFrames.data(), part, split.pointShift,
                               split.valueShift);
        if (several)
            for (size_t part = 0; part < parts.size(); ++part)
                parts[part].SetPolygons(begins[part], std::max(begins[part], ends[part]));
        for (Part& part : parts)
            part.Reserve();
        // With several parts, the last item sizes the binormal indices, written when merging.
        const size_t itemCount = several ? parts.size() + 1 : 1;
        ParallelFor(itemCount, 1, [&](size_t aBegin, size_t aEnd) {
            for (size_t item = aBegin; item < aEnd; ++item)
            {
                if (item < parts.size())
                    parts[item].Run();
                else
                    made.binormalIndices.resize(made.indices.size());
            }
        });

        if (!several)
        {
            made.tangents = std::move(parts[0].GetTangents());
            made.binormals = std::move(parts[0].GetBinormals());
            made.binormalIndices = made.indices;
            return made;
        }
        MergeResults(parts, split, made);
        return made;
    }
}
