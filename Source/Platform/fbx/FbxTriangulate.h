#pragma once
// Triangulation of a scene's meshes.
#include "Platform/fbx/FbxScene.h"

namespace Vela::Fbx
{
    // ---- Triangulation -----------------------------------------------------------------------

    // Polygon operations on whole scenes.
    class GeometryConverter
    {
    public:
        explicit GeometryConverter(Manager* aManager) : myManager(aManager) {}
        // Triangulates every mesh of the scene. Always succeeds: convex polygons as fans, others by
        // ear clipping, whatever their size (a self-intersecting remainder is finished as a fan). Every layer element mapped by polygon vertex or by
        // polygon (and every index array) is carried over to the new corners and triangles, so
        // per-corner data and per-polygon materials stay with their triangles. Polygons with fewer
        // than three corners are dropped. aReplace and aLegacy are accepted for the call's shape.
        bool Triangulate(Scene* aScene, bool aReplace = true, bool aLegacy = false);
        bool Triangulate(Mesh* aMesh);

    private:
        Manager* myManager;
    };
}
