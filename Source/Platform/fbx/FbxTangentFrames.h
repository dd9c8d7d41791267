#pragma once
// Smooth tangent frames of a polygon mesh from its UVs and normals, one result per distinct frame
// and normal, indexed by corner. Large meshes are split by control point over the worker pool; the
// results do not depend on the split.
#include "Platform/fbx/FbxScene.h"

#include <vector>

namespace Vela::Fbx
{
    // A layer element's GetDirectIndex with its mode and arrays held apart from the element: the
    // per-corner loops write int arrays, which would otherwise make every call re-read them.
    class CornerIndexer
    {
    public:
        CornerIndexer(const LayerElement& aElement, size_t aDirectCount)
            : myMode(aElement.GetMappingMode()), myIndexed(aElement.GetReferenceMode() != ReferenceMode::Direct),
              myIndices(aElement.GetIndexArray().data()), myIndexCount(aElement.GetIndexArray().size()), myDirectCount(aDirectCount)
        {
        }

        // Mapped by polygon vertex through an index array, as UVs and shared normals mostly are.
        bool IsIndexedPerCorner() const { return myMode == MappingMode::ByPolygonVertex && myIndexed; }
        const int* GetIndices() const { return myIndices; }
        size_t GetIndexCount() const { return myIndexCount; }
        size_t GetDirectCount() const { return myDirectCount; }

        int operator()(int aControlPoint, int aPolygonVertex, int aPolygon) const
        {
            return MapLayerIndex(myMode, myIndexed, myIndices, myIndexCount, myDirectCount, aControlPoint, aPolygonVertex, aPolygon);
        }

    private:
        MappingMode myMode;
        bool myIndexed;
        const int* myIndices;
        size_t myIndexCount;
        size_t myDirectCount;
    };

    // The mesh as the frames read it. Polygons run from their start to the next one's (the last to
    // aCornerCount); a corner's control point outside the points reads as none (-1, at the origin).
    struct TangentSource
    {
        const int* polygonStarts;
        int polygonCount;
        const int* cornerPoints;
        int cornerCount;
        const Vector4* points;
        int pointCount;
        CornerIndexer uvOf;
        const Vector2* uvs;
        CornerIndexer normalOf;
        const Vector4* normals;
    };

    struct TangentFrames
    {
        std::vector<int> indices;  // per corner
        std::vector<int> binormalIndices;  // the same again, for the binormals' own element
        std::vector<Vector4> tangents;  // w = handedness
        std::vector<Vector4> binormals;
    };

    TangentFrames MakeTangentFrames(const TangentSource& aSource);
}
