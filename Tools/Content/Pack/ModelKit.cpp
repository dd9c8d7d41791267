#include "ModelKit.h"

#include <algorithm>
#include <cmath>

namespace Vela::Content
{
    namespace
    {
        constexpr double DEGREES = 3.14159265358979 / 180.0;

        FbxVector Sub(const FbxVector& a, const FbxVector& b) { return { a[0] - b[0], a[1] - b[1], a[2] - b[2] }; }
        FbxVector Add(const FbxVector& a, const FbxVector& b) { return { a[0] + b[0], a[1] + b[1], a[2] + b[2] }; }
        FbxVector Cross(const FbxVector& a, const FbxVector& b)
        {
            return { a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0] };
        }
        double Dot(const FbxVector& a, const FbxVector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
        FbxVector Normalised(const FbxVector& a)
        {
            const double length = std::sqrt(Dot(a, a));
            return length > 0.0 ? FbxVector{ a[0] / length, a[1] / length, a[2] / length } : a;
        }

        // The bones as nodes under the scene root; answers the node id of each bone.
        std::vector<int64_t> AddBones(FbxWriter& aWriter, const std::vector<Bone>& someBones)
        {
            std::vector<int64_t> nodes;
            for (const Bone& bone : someBones)
            {
                const FbxVector parentPosition = bone.myParent < 0 ? FbxVector{ 0, 0, 0 } : someBones[size_t(bone.myParent)].myPosition;
                const int64_t parent = bone.myParent < 0 ? FbxWriter::SCENE_ROOT : nodes[size_t(bone.myParent)];
                nodes.push_back(aWriter.AddNode(bone.myName, FbxNodeKind::Bone, parent, Sub(bone.myPosition, parentPosition)));
            }
            return nodes;
        }
    }

    void MeshBuilder::SetFrame(FbxVector anOrigin, double aRotationZ, double aRotationY)
    {
        myOrigin = anOrigin;
        myRotationZ = aRotationZ;
        myRotationY = aRotationY;
    }

    FbxVector MeshBuilder::Turn(const FbxVector& aVector) const
    {
        const double cz = std::cos(myRotationZ * DEGREES), sz = std::sin(myRotationZ * DEGREES);
        const FbxVector aboutZ = { aVector[0] * cz - aVector[1] * sz, aVector[0] * sz + aVector[1] * cz, aVector[2] };
        const double cy = std::cos(myRotationY * DEGREES), sy = std::sin(myRotationY * DEGREES);
        return { aboutZ[0] * cy + aboutZ[2] * sy, aboutZ[1], -aboutZ[0] * sy + aboutZ[2] * cy };
    }

    FbxVector MeshBuilder::Place(const FbxVector& aPoint) const { return Add(Turn(aPoint), myOrigin); }

    std::array<double, 2> MeshBuilder::PaletteUv() const
    {
        const int index = int(myShade);
        const double u = (index % PALETTE_COLUMNS + 0.5) / PALETTE_COLUMNS;
        const double v = (index / PALETTE_COLUMNS + 0.5) / PALETTE_COLUMNS;
        return { u, 1.0 - v }; // FBX stores v upwards; the texture's rows run downwards
    }

    void MeshBuilder::AddCorner(int aPoint, const FbxVector& aNormal, const std::array<double, 2>& aUv)
    {
        myMesh.myPolygons.back().push_back(aPoint);
        myMesh.myNormals.push_back(aNormal);
        myMesh.myUvs.push_back(aUv);
        const Rgba color = Color(myWorldUvs ? Shade::White : myShade);
        myMesh.myColors.push_back({ color[0] / 255.0, color[1] / 255.0, color[2] / 255.0, 1.0 });
    }

    void MeshBuilder::Polygon(std::vector<FbxVector> somePoints, FbxVector aNormal, const std::vector<std::array<double, 2>>& someUvs)
    {
        for (FbxVector& point : somePoints)
            point = Place(point);
        const FbxVector normal = Normalised(Turn(aNormal));
        // Clockwise seen from the side the normal faces: the corner cross product points along the normal.
        std::vector<size_t> order(somePoints.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        if (Dot(Cross(Sub(somePoints[1], somePoints[0]), Sub(somePoints[2], somePoints[0])), normal) < 0.0)
            std::reverse(order.begin(), order.end());
        myMesh.myPolygons.emplace_back();
        myMesh.myPolygonMaterials.push_back(myMaterial);
        for (size_t i : order)
        {
            myMesh.myPoints.push_back(somePoints[i]);
            myPointBones.push_back(myBone);
            std::array<double, 2> uv = PaletteUv();
            if (!someUvs.empty())
                uv = someUvs[i];
            else if (myWorldUvs)
            {
                // Project on the plane the face lies in most.
                const FbxVector& p = somePoints[i];
                const double ax = std::abs(normal[0]), ay = std::abs(normal[1]);
                uv = ay >= ax && ay >= std::abs(normal[2]) ? std::array<double, 2>{ p[0] / myUvScale, p[2] / myUvScale }
                     : ax >= std::abs(normal[2])         ? std::array<double, 2>{ p[2] / myUvScale, p[1] / myUvScale }
                                                         : std::array<double, 2>{ p[0] / myUvScale, p[1] / myUvScale };
            }
            AddCorner(int(myMesh.myPoints.size() - 1), normal, uv);
        }
    }

    void MeshBuilder::Box(FbxVector aCentre, FbxVector aHalfSize)
    {
        for (int axis = 0; axis < 3; ++axis)
            for (int sign = -1; sign <= 1; sign += 2)
            {
                const int u = (axis + 1) % 3, v = (axis + 2) % 3;
                FbxVector normal = { 0, 0, 0 };
                normal[size_t(axis)] = sign;
                std::vector<FbxVector> corners;
                for (auto [du, dv] : { std::pair{ -1, -1 }, std::pair{ 1, -1 }, std::pair{ 1, 1 }, std::pair{ -1, 1 } })
                {
                    FbxVector corner = aCentre;
                    corner[size_t(axis)] += sign * aHalfSize[size_t(axis)];
                    corner[size_t(u)] += du * aHalfSize[size_t(u)];
                    corner[size_t(v)] += dv * aHalfSize[size_t(v)];
                    corners.push_back(corner);
                }
                Polygon(corners, normal);
            }
    }

    void MeshBuilder::Ellipsoid(FbxVector aCentre, FbxVector aRadii, int aSlices, int aStacks)
    {
        auto point = [&](int aSlice, int aStack) {
            const double theta = 3.14159265358979 * aStack / aStacks; // from the top
            const double phi = 2.0 * 3.14159265358979 * aSlice / aSlices;
            const FbxVector unit = { std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi) };
            return std::pair{ FbxVector{ aCentre[0] + aRadii[0] * unit[0], aCentre[1] + aRadii[1] * unit[1], aCentre[2] + aRadii[2] * unit[2] },
                              Normalised({ unit[0] / aRadii[0], unit[1] / aRadii[1], unit[2] / aRadii[2] }) };
        };
        for (int stack = 0; stack < aStacks; ++stack)
            for (int slice = 0; slice < aSlices; ++slice)
            {
                const auto corners = { point(slice, stack), point(slice + 1, stack), point(slice + 1, stack + 1), point(slice, stack + 1) };
                std::vector<FbxVector> points;
                FbxVector outward = { 0, 0, 0 };
                for (const auto& [position, normal] : corners)
                {
                    // The poles repeat one point; a triangle is enough there.
                    if (!points.empty() && Dot(Sub(position, points.back()), Sub(position, points.back())) < 1e-12)
                        continue;
                    if (points.size() == 3 && Dot(Sub(position, points.front()), Sub(position, points.front())) < 1e-12)
                        continue;
                    points.push_back(position);
                    outward = Add(outward, normal);
                }
                if (points.size() < 3)
                    continue;
                // Smooth shading: each corner keeps its own normal.
                const size_t first = myMesh.myNormals.size();
                Polygon(points, outward);
                for (size_t i = first; i < myMesh.myNormals.size(); ++i)
                {
                    const FbxVector& p = myMesh.myPoints[size_t(myMesh.myPolygons.back()[i - first])];
                    // The corner's normal from its place on the (turned) ellipsoid.
                    const FbxVector offset = Sub(p, Place(aCentre));
                    myMesh.myNormals[i] = Normalised(Turn({ Dot(offset, Turn({ 1, 0, 0 })) / (aRadii[0] * aRadii[0]),
                                                            Dot(offset, Turn({ 0, 1, 0 })) / (aRadii[1] * aRadii[1]),
                                                            Dot(offset, Turn({ 0, 0, 1 })) / (aRadii[2] * aRadii[2]) }));
                }
            }
    }

    void MeshBuilder::Cylinder(FbxVector aBase, double aRadius, double aHeight, int aSides)
    {
        for (int side = 0; side < aSides; ++side)
        {
            const double a0 = 2.0 * 3.14159265358979 * side / aSides, a1 = 2.0 * 3.14159265358979 * (side + 1) / aSides;
            const FbxVector p0 = { aBase[0] + aRadius * std::cos(a0), aBase[1], aBase[2] + aRadius * std::sin(a0) };
            const FbxVector p1 = { aBase[0] + aRadius * std::cos(a1), aBase[1], aBase[2] + aRadius * std::sin(a1) };
            const FbxVector top0 = { p0[0], aBase[1] + aHeight, p0[2] }, top1 = { p1[0], aBase[1] + aHeight, p1[2] };
            const double middle = (a0 + a1) * 0.5;
            Polygon({ p0, p1, top1, top0 }, { std::cos(middle), 0, std::sin(middle) });
            Polygon({ { aBase[0], aBase[1] + aHeight, aBase[2] }, top0, top1 }, { 0, 1, 0 });
            Polygon({ aBase, p0, p1 }, { 0, -1, 0 });
        }
    }

    std::array<FbxVector, 2> MeshBuilder::Bounds() const
    {
        FbxVector low = { 1e30, 1e30, 1e30 }, high = { -1e30, -1e30, -1e30 };
        for (const FbxVector& point : myMesh.myPoints)
            for (size_t axis = 0; axis < 3; ++axis)
            {
                low[axis] = std::min(low[axis], point[axis]);
                high[axis] = std::max(high[axis], point[axis]);
            }
        return { low, high };
    }

    std::string BuildSkinnedModel(const std::vector<Bone>& someBones, const MeshBuilder& aMesh, const std::vector<std::string>& someMaterials,
                                  const std::vector<NullNode>& someNulls)
    {
        FbxWriter writer;
        const std::vector<int64_t> boneNodes = AddBones(writer, someBones);
        for (const NullNode& null : someNulls)
            writer.AddNode(null.myName, FbxNodeKind::Null, boneNodes[size_t(null.myBone)], null.myOffset);
        const int64_t meshNode = writer.AddNode("Body", FbxNodeKind::Mesh, FbxWriter::SCENE_ROOT);
        const int64_t geometry = writer.AddGeometry(meshNode, aMesh.Mesh());
        for (const std::string& material : someMaterials)
            writer.AddMaterial(material, meshNode);
        const int64_t skin = writer.AddSkin(geometry);
        std::vector<std::pair<int64_t, FbxMatrix>> pose = { { meshNode, FbxWriter::Translation({ 0, 0, 0 }) } };
        for (size_t bone = 0; bone < someBones.size(); ++bone)
        {
            std::vector<int> points;
            for (size_t point = 0; point < aMesh.PointBones().size(); ++point)
                if (aMesh.PointBones()[point] == int(bone))
                    points.push_back(int(point));
            const FbxMatrix bind = FbxWriter::Translation(someBones[bone].myPosition);
            if (!points.empty())
                writer.AddCluster(skin, boneNodes[bone], points, std::vector<double>(points.size(), 1.0), bind);
            pose.emplace_back(boneNodes[bone], bind);
        }
        writer.AddBindPose(pose);
        return writer.Build();
    }

    std::string BuildStaticModel(const std::string& aName, const MeshBuilder& aMesh, const std::vector<std::string>& someMaterials)
    {
        FbxWriter writer;
        const int64_t meshNode = writer.AddNode(aName, FbxNodeKind::Mesh, FbxWriter::SCENE_ROOT);
        writer.AddGeometry(meshNode, aMesh.Mesh());
        for (const std::string& material : someMaterials)
            writer.AddMaterial(material, meshNode);
        return writer.Build();
    }

    std::string BuildClip(const std::vector<Bone>& someBones, const ClipSpec& aClip)
    {
        FbxWriter writer;
        const std::vector<int64_t> boneNodes = AddBones(writer, someBones);
        const std::string take = std::filesystem::path(aClip.myFile).stem().string();
        const int64_t layer = writer.AddAnimation(take, aClip.mySeconds);
        const int frames = int(std::lround(aClip.mySeconds * FbxWriter::FRAME_RATE));
        std::vector<double> times;
        std::vector<Pose> poses;
        for (int frame = 0; frame <= frames; ++frame)
        {
            times.push_back(frame / FbxWriter::FRAME_RATE);
            poses.push_back(aClip.myPose(times.back()));
        }
        for (size_t bone = 0; bone < someBones.size(); ++bone)
        {
            const Bone& info = someBones[bone];
            const FbxVector parentPosition = info.myParent < 0 ? FbxVector{ 0, 0, 0 } : someBones[size_t(info.myParent)].myPosition;
            const FbxVector rest = Sub(info.myPosition, parentPosition);
            std::vector<FbxVector> translations, rotations, scales;
            for (const Pose& pose : poses)
            {
                const auto found = pose.find(info.myName);
                const BonePose value = found == pose.end() ? BonePose() : found->second;
                translations.push_back(Add(rest, value.myOffset));
                rotations.push_back(value.myRotation);
                scales.push_back(value.myScale);
            }
            writer.AddCurves(layer, boneNodes[bone], "Lcl Translation", times, translations);
            writer.AddCurves(layer, boneNodes[bone], "Lcl Rotation", times, rotations);
            writer.AddCurves(layer, boneNodes[bone], "Lcl Scaling", times, scales);
        }
        return writer.Build();
    }

    double Swing(double aSeconds, double aPeriod, double anAmplitude, double aPhase)
    {
        return anAmplitude * std::sin(2.0 * 3.14159265358979 * (aSeconds / aPeriod + aPhase));
    }

    double Ease(double aFrom, double aTo, double aSeconds, double aDuration)
    {
        const double t = std::clamp(aSeconds / aDuration, 0.0, 1.0);
        return aFrom + (aTo - aFrom) * t * t * (3.0 - 2.0 * t);
    }
}
