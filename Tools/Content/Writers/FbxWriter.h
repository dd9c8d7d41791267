#pragma once
// Builds ASCII FBX 7.4 files: nodes (meshes, skeleton bones, null nodes for sockets and events,
// level-of-detail groups), meshes with normals, UVs, colours and per-polygon materials, skin
// clusters with a bind pose, and animation stacks with linear curves.
//
// The file's axis system is the importer's target (Y up, front -Z, X right, centimetres), so an
// import converts nothing: positions, winding and matrices arrive exactly as written.
#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace Vela::Content
{
    using FbxVector = std::array<double, 3>;
    using FbxMatrix = std::array<double, 16>; // translation in elements 12, 13, 14

    enum class FbxNodeKind
    {
        Mesh,
        Bone, // "LimbNode" with a skeleton attribute
        Null, // sockets ("_socket") and event markers ("_evt")
        LodGroup,
    };

    struct FbxMesh
    {
        std::vector<FbxVector> myPoints;
        std::vector<std::vector<int>> myPolygons;
        // One per polygon corner, in polygon order.
        std::vector<FbxVector> myNormals;
        std::vector<std::array<double, 2>> myUvs; // (u, v) with v up, as FBX stores it
        std::vector<std::array<double, 4>> myColors; // empty: no colour layer
        // One per polygon: an index into the node's materials. Empty: no material layer.
        std::vector<int> myPolygonMaterials;
    };

    class FbxWriter
    {
    public:
        static constexpr int64_t SCENE_ROOT = 0;

        // Frames per second of the scene's time mode (30).
        static constexpr double FRAME_RATE = 30.0;

        int64_t AddNode(const std::string& aName, FbxNodeKind aKind, int64_t aParent, FbxVector aTranslation = { 0, 0, 0 },
                        FbxVector aRotationDegrees = { 0, 0, 0 }, FbxVector aScaling = { 1, 1, 1 });
        // Each child of the group is one level: a node (a null) holding that level's mesh nodes.
        int64_t AddLodGroup(const std::string& aName, int64_t aParent, const std::vector<double>& someThresholds);
        // Geometry of a mesh node; returns the geometry id (for a skin).
        int64_t AddGeometry(int64_t aMeshNode, const FbxMesh& aMesh);
        // Materials are numbered per node in the order they are added.
        int64_t AddMaterial(const std::string& aName, int64_t aMeshNode);
        int64_t AddSkin(int64_t aGeometry);
        // aBoneBindGlobal: the bone's global matrix at bind time, rotation and translation only (the mesh
        // node itself is at the origin).
        void AddCluster(int64_t aSkin, int64_t aBone, const std::vector<int>& someIndices, const std::vector<double>& someWeights,
                        const FbxMatrix& aBoneBindGlobal);
        // A bind pose listing nodes with their global matrices.
        void AddBindPose(const std::vector<std::pair<int64_t, FbxMatrix>>& someNodes);
        // A stack with one layer and its take, spanning 0 to aSeconds; returns the layer id.
        int64_t AddAnimation(const std::string& aName, double aSeconds);
        // Linear keys for "Lcl Translation", "Lcl Rotation" or "Lcl Scaling" (times in seconds).
        void AddCurves(int64_t aLayer, int64_t aNode, const std::string& aProperty, const std::vector<double>& someSeconds,
                       const std::vector<FbxVector>& someValues);

        std::string Build() const;

        static FbxMatrix Translation(const FbxVector& aTranslation);
        // The inverse of a rotation-and-translation matrix.
        static FbxMatrix RigidInverse(const FbxMatrix& aMatrix);

    private:
        int64_t NextId() { return myNextId++; }
        void Connect(int64_t aChild, int64_t aParent);

        int64_t myNextId = 100000;
        double myAnimationSeconds = 0.0;
        std::ostringstream myObjects;
        std::ostringstream myConnections;
        std::ostringstream myTakes;
    };
}
