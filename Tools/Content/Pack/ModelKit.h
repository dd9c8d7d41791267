#pragma once
// Building blocks of the demo models: a mesh builder for boxes, ellipsoids and cylinders coloured from
// the palette, rigs of bones with rigid skinning, and clips sampled from pose functions.
#include "Palette.h"
#include "Writers/FbxWriter.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Vela::Content
{
    class MeshBuilder
    {
    public:
        void SetBone(int aBone) { myBone = aBone; }
        void SetShade(Shade aShade) { myShade = aShade; myWorldUvs = false; }
        // Following parts take UVs from their position (aScale units per texture repeat) instead of a palette cell.
        void SetWorldUvs(double aScale) { myWorldUvs = true; myUvScale = aScale; }
        void SetMaterial(int aMaterial) { myMaterial = aMaterial; }
        // Following parts are rotated (degrees about Z, then about Y) and moved by anOrigin.
        void SetFrame(FbxVector anOrigin, double aRotationZ = 0.0, double aRotationY = 0.0);

        void Box(FbxVector aCentre, FbxVector aHalfSize);
        void Ellipsoid(FbxVector aCentre, FbxVector aRadii, int aSlices = 14, int aStacks = 9);
        // Upright, from aBase up by aHeight.
        void Cylinder(FbxVector aBase, double aRadius, double aHeight, int aSides = 14);
        // One quad or triangle given in any order; it is wound to face aNormal.
        void Polygon(std::vector<FbxVector> somePoints, FbxVector aNormal, const std::vector<std::array<double, 2>>& someUvs = {});

        const FbxMesh& Mesh() const { return myMesh; }
        const std::vector<int>& PointBones() const { return myPointBones; }
        // Lowest and highest point on each axis.
        std::array<FbxVector, 2> Bounds() const;

    private:
        FbxVector Place(const FbxVector& aPoint) const;
        FbxVector Turn(const FbxVector& aVector) const;
        std::array<double, 2> PaletteUv() const;
        void AddCorner(int aPoint, const FbxVector& aNormal, const std::array<double, 2>& aUv);

        FbxMesh myMesh;
        std::vector<int> myPointBones;
        int myBone = 0;
        int myMaterial = 0;
        Shade myShade = Shade::White;
        bool myWorldUvs = false;
        double myUvScale = 100.0;
        FbxVector myOrigin = { 0, 0, 0 };
        double myRotationZ = 0.0, myRotationY = 0.0;
    };

    struct Bone
    {
        std::string myName;
        int myParent = -1;
        FbxVector myPosition; // model space at bind time
    };

    // A pose: per bone, an offset from its bind translation and a rotation (degrees), and a scale.
    struct BonePose
    {
        FbxVector myOffset = { 0, 0, 0 };
        FbxVector myRotation = { 0, 0, 0 };
        FbxVector myScale = { 1, 1, 1 };
    };
    using Pose = std::map<std::string, BonePose>;

    struct ClipSpec
    {
        std::string myFile;    // relative to the game asset root
        double mySeconds = 1.0;
        std::function<Pose(double aSeconds)> myPose;
    };

    struct NullNode
    {
        std::string myName;    // ends in "_socket" or "_evt"
        int myBone = -1;
        FbxVector myOffset;    // from the bone
    };

    // Writes a skinned model: the bones under the scene root, one mesh node with the palette
    // material(s), one cluster per bone (every point follows one bone fully) and the bind pose.
    std::string BuildSkinnedModel(const std::vector<Bone>& someBones, const MeshBuilder& aMesh, const std::vector<std::string>& someMaterials,
                                  const std::vector<NullNode>& someNulls = {});
    // Writes a static model: one mesh node with its materials.
    std::string BuildStaticModel(const std::string& aName, const MeshBuilder& aMesh, const std::vector<std::string>& someMaterials);
    // Writes a clip: the same bones, keyed every frame (30 per second) from the clip's pose function.
    std::string BuildClip(const std::vector<Bone>& someBones, const ClipSpec& aClip);

    // Handy pose shapes: a value swinging as a sine over a period, and a smooth step from 0 to 1.
    double Swing(double aSeconds, double aPeriod, double anAmplitude, double aPhase = 0.0);
    double Ease(double aFrom, double aTo, double aSeconds, double aDuration);
}
