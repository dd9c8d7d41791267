#pragma once
// Writes small ASCII FBX 7.4 files for cases the real test files do not cover.
#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace VelaTest
{
    class FbxTestWriter
    {
    public:
        using Vec3 = std::array<double, 3>;

        struct MeshOptions
        {
            bool uvs = true;
            bool normals = true;
            bool colors = false;
            // Per polygon material slots (ByPolygon); empty writes no material element.
            std::vector<int> polygonMaterials;
            bool materialAllSame = false;  // one "AllSame" entry instead
        };

        void SetUnitScale(double aCentimetresPerUnit) { myUnitScale = aCentimetresPerUnit; }
        void SetTimeMode(int aMode) { myTimeMode = aMode; }

        // A node; aType "Null", "LimbNode", "LodGroup" or "Mesh" (mesh nodes get their geometry from AddMesh).
        int64_t AddModel(const std::string& aName, const std::string& aType, int64_t aParent, Vec3 aTranslation = {0, 0, 0})
        {
            const int64_t id = NextId();
            myObjects << "\tModel: " << id << ", \"Model::" << aName << "\", \"" << aType << "\" {\n\t\tVersion: 232\n"
                      << "\t\tProperties70:  {\n"
                      << "\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\"," << aTranslation[0] << "," << aTranslation[1] << "," << aTranslation[2] << "\n"
                      << "\t\t\tP: \"Lcl Scaling\", \"Lcl Scaling\", \"\", \"A\",1,1,1\n"
                      << "\t\t}\n\t\tShading: T\n\t\tCulling: \"CullingOff\"\n\t}\n";
            Connect(id, aParent);
            if (aType == "Null" || aType == "LimbNode")
            {
                const int64_t attribute = NextId();
                myObjects << "\tNodeAttribute: " << attribute << ", \"NodeAttribute::" << aName << "\", \"" << aType << "\" {\n"
                          << "\t\tTypeFlags: \"" << (aType == "LimbNode" ? "Skeleton" : "Null") << "\"\n\t}\n";
                Connect(attribute, id);
            }
            return id;
        }

        // An LOD group node with its thresholds.
        int64_t AddLodGroup(const std::string& aName, int64_t aParent, const std::vector<double>& someThresholds)
        {
            const int64_t id = AddModel(aName, "LodGroup", aParent);
            const int64_t attribute = NextId();
            myObjects << "\tNodeAttribute: " << attribute << ", \"NodeAttribute::\", \"LodGroup\" {\n\t\tProperties70:  {\n";
            for (size_t i = 0; i < someThresholds.size(); ++i)
                myObjects << "\t\t\tP: \"Thresholds|Level" << i << "\", \"Distance\", \"\", \"\"," << someThresholds[i] << ", \"cm\"\n";
            myObjects << "\t\t}\n\t}\n";
            Connect(attribute, id);
            return id;
        }

        // Geometry for a mesh node; returns the geometry id (for skins).
        int64_t AddMesh(int64_t aModel, const std::vector<Vec3>& somePoints, const std::vector<std::vector<int>>& somePolygons)
        {
            return AddMesh(aModel, somePoints, somePolygons, MeshOptions());
        }

        int64_t AddMesh(int64_t aModel, const std::vector<Vec3>& somePoints, const std::vector<std::vector<int>>& somePolygons,
                        const MeshOptions& aOptions)
        {
            const int64_t id = NextId();
            size_t corners = 0;
            myObjects << "\tGeometry: " << id << ", \"Geometry::\", \"Mesh\" {\n";
            myObjects << "\t\tVertices: *" << somePoints.size() * 3 << " {\n\t\t\ta: ";
            for (size_t i = 0; i < somePoints.size(); ++i)
                myObjects << (i ? "," : "") << somePoints[i][0] << "," << somePoints[i][1] << "," << somePoints[i][2];
            myObjects << "\n\t\t}\n";
            std::ostringstream indices;
            for (const auto& polygon : somePolygons)
            {
                for (size_t k = 0; k < polygon.size(); ++k)
                {
                    indices << (corners ? "," : "") << (k + 1 == polygon.size() ? -polygon[k] - 1 : polygon[k]);
                    ++corners;
                }
            }
            myObjects << "\t\tPolygonVertexIndex: *" << corners << " {\n\t\t\ta: " << indices.str() << "\n\t\t}\n";
            myObjects << "\t\tGeometryVersion: 124\n";
            if (aOptions.normals)
            {
                myObjects << "\t\tLayerElementNormal: 0 {\n\t\t\tVersion: 102\n\t\t\tName: \"\"\n"
                          << "\t\t\tMappingInformationType: \"ByPolygonVertex\"\n\t\t\tReferenceInformationType: \"Direct\"\n"
                          << "\t\t\tNormals: *" << corners * 3 << " {\n\t\t\t\ta: ";
                for (size_t i = 0; i < corners; ++i)
                    myObjects << (i ? "," : "") << "0,0,1";
                myObjects << "\n\t\t\t}\n\t\t}\n";
            }
            if (aOptions.uvs)
            {
                // One UV per control point, indexed per corner: u = x, v = y of the point.
                myObjects << "\t\tLayerElementUV: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"map1\"\n"
                          << "\t\t\tMappingInformationType: \"ByPolygonVertex\"\n\t\t\tReferenceInformationType: \"IndexToDirect\"\n"
                          << "\t\t\tUV: *" << somePoints.size() * 2 << " {\n\t\t\t\ta: ";
                for (size_t i = 0; i < somePoints.size(); ++i)
                    myObjects << (i ? "," : "") << somePoints[i][0] << "," << somePoints[i][1];
                myObjects << "\n\t\t\t}\n\t\t\tUVIndex: *" << corners << " {\n\t\t\t\ta: ";
                size_t written = 0;
                for (const auto& polygon : somePolygons)
                    for (int point : polygon)
                        myObjects << (written++ ? "," : "") << point;
                myObjects << "\n\t\t\t}\n\t\t}\n";
            }
            if (aOptions.colors)
            {
                myObjects << "\t\tLayerElementColor: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"colorSet1\"\n"
                          << "\t\t\tMappingInformationType: \"ByVertice\"\n\t\t\tReferenceInformationType: \"Direct\"\n"
                          << "\t\t\tColors: *" << somePoints.size() * 4 << " {\n\t\t\t\ta: ";
                for (size_t i = 0; i < somePoints.size(); ++i)
                    myObjects << (i ? "," : "") << "1,0,0,1";
                myObjects << "\n\t\t\t}\n\t\t}\n";
            }
            const bool hasMaterials = aOptions.materialAllSame || !aOptions.polygonMaterials.empty();
            if (hasMaterials)
            {
                myObjects << "\t\tLayerElementMaterial: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"\"\n";
                if (aOptions.materialAllSame)
                    myObjects << "\t\t\tMappingInformationType: \"AllSame\"\n\t\t\tReferenceInformationType: \"IndexToDirect\"\n"
                              << "\t\t\tMaterials: *1 {\n\t\t\t\ta: 0\n\t\t\t}\n\t\t}\n";
                else
                {
                    myObjects << "\t\t\tMappingInformationType: \"ByPolygon\"\n\t\t\tReferenceInformationType: \"IndexToDirect\"\n"
                              << "\t\t\tMaterials: *" << aOptions.polygonMaterials.size() << " {\n\t\t\t\ta: ";
                    for (size_t i = 0; i < aOptions.polygonMaterials.size(); ++i)
                        myObjects << (i ? "," : "") << aOptions.polygonMaterials[i];
                    myObjects << "\n\t\t\t}\n\t\t}\n";
                }
            }
            myObjects << "\t\tLayer: 0 {\n\t\t\tVersion: 100\n";
            if (aOptions.normals)
                myObjects << "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementNormal\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n";
            if (hasMaterials)
                myObjects << "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementMaterial\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n";
            if (aOptions.colors)
                myObjects << "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementColor\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n";
            if (aOptions.uvs)
                myObjects << "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementUV\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n";
            myObjects << "\t\t}\n\t}\n";
            Connect(id, aModel);
            return id;
        }

        // Another mesh node using an existing geometry (an instance).
        void ShareMesh(int64_t aGeometry, int64_t aModel) { Connect(aGeometry, aModel); }

        int64_t AddMaterial(const std::string& aName, int64_t aModel)
        {
            const int64_t id = NextId();
            myObjects << "\tMaterial: " << id << ", \"Material::" << aName << "\", \"\" {\n\t\tVersion: 102\n"
                      << "\t\tShadingModel: \"lambert\"\n\t\tMultiLayer: 0\n\t}\n";
            Connect(id, aModel);
            return id;
        }

        int64_t AddFileTexture(const std::string& aFileName, const std::string& aRelative, int64_t aMaterial, const std::string& aProperty)
        {
            const int64_t id = NextId();
            myObjects << "\tTexture: " << id << ", \"Texture::tex\", \"\" {\n\t\tType: \"TextureVideoClip\"\n\t\tVersion: 202\n"
                      << "\t\tTextureName: \"Texture::tex\"\n\t\tFileName: \"" << aFileName << "\"\n\t\tRelativeFilename: \"" << aRelative << "\"\n\t}\n";
            myConnections << "\tC: \"OP\"," << id << "," << aMaterial << ", \"" << aProperty << "\"\n";
            return id;
        }

        int64_t AddSkin(int64_t aGeometry)
        {
            const int64_t id = NextId();
            myObjects << "\tDeformer: " << id << ", \"Deformer::\", \"Skin\" {\n\t\tVersion: 101\n\t\tLink_DeformAcuracy: 50\n\t}\n";
            Connect(id, aGeometry);
            return id;
        }

        // aBone 0 writes a cluster linked to no bone.
        int64_t AddCluster(int64_t aSkin, int64_t aBone, const std::vector<int>& someIndices, const std::vector<double>& someWeights)
        {
            const int64_t id = NextId();
            myObjects << "\tDeformer: " << id << ", \"SubDeformer::\", \"Cluster\" {\n\t\tVersion: 100\n\t\tUserData: \"\", \"\"\n"
                      << "\t\tIndexes: *" << someIndices.size() << " {\n\t\t\ta: ";
            for (size_t i = 0; i < someIndices.size(); ++i)
                myObjects << (i ? "," : "") << someIndices[i];
            myObjects << "\n\t\t}\n\t\tWeights: *" << someWeights.size() << " {\n\t\t\ta: ";
            for (size_t i = 0; i < someWeights.size(); ++i)
                myObjects << (i ? "," : "") << someWeights[i];
            myObjects << "\n\t\t}\n"
                      << "\t\tTransform: *16 {\n\t\t\ta: 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n\t\t}\n"
                      << "\t\tTransformLink: *16 {\n\t\t\ta: 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n\t\t}\n\t}\n";
            Connect(id, aSkin);
            if (aBone != 0)
                Connect(aBone, id);
            return id;
        }

        // A stack with one layer; returns the layer id.
        int64_t AddAnimStack(const std::string& aName)
        {
            const int64_t stack = NextId();
            myObjects << "\tAnimationStack: " << stack << ", \"AnimStack::" << aName << "\", \"\" {\n\t}\n";
            const int64_t layer = NextId();
            myObjects << "\tAnimationLayer: " << layer << ", \"AnimLayer::BaseLayer\", \"\" {\n\t}\n";
            Connect(layer, stack);
            return layer;
        }

        // Linear "Lcl Translation" keys (times in seconds), the same times for x, y and z.
        void AddTranslationCurves(int64_t aLayer, int64_t aModel, const std::vector<double>& someSeconds, const std::vector<Vec3>& someValues)
        {
            const int64_t curveNode = NextId();
            myObjects << "\tAnimationCurveNode: " << curveNode << ", \"AnimCurveNode::T\", \"\" {\n\t\tProperties70:  {\n"
                      << "\t\t\tP: \"d|X\", \"Number\", \"\", \"A\"," << someValues[0][0] << "\n"
                      << "\t\t\tP: \"d|Y\", \"Number\", \"\", \"A\"," << someValues[0][1] << "\n"
                      << "\t\t\tP: \"d|Z\", \"Number\", \"\", \"A\"," << someValues[0][2] << "\n\t\t}\n\t}\n";
            Connect(curveNode, aLayer);
            myConnections << "\tC: \"OP\"," << curveNode << "," << aModel << ", \"Lcl Translation\"\n";
            const char* channels[] = {"d|X", "d|Y", "d|Z"};
            for (int axis = 0; axis < 3; ++axis)
            {
                const int64_t curve = NextId();
                myObjects << "\tAnimationCurve: " << curve << ", \"AnimCurve::\", \"\" {\n\t\tDefault: 0\n\t\tKeyVer: 4009\n"
                          << "\t\tKeyTime: *" << someSeconds.size() << " {\n\t\t\ta: ";
                for (size_t i = 0; i < someSeconds.size(); ++i)
                    myObjects << (i ? "," : "") << static_cast<int64_t>(someSeconds[i] * 46186158000.0);
                myObjects << "\n\t\t}\n\t\tKeyValueFloat: *" << someValues.size() << " {\n\t\t\ta: ";
                for (size_t i = 0; i < someValues.size(); ++i)
                    myObjects << (i ? "," : "") << someValues[i][static_cast<size_t>(axis)];
                myObjects << "\n\t\t}\n\t\tKeyAttrFlags: *1 {\n\t\t\ta: 4\n\t\t}\n"
                          << "\t\tKeyAttrDataFloat: *4 {\n\t\t\ta: 0,0,0,0\n\t\t}\n"
                          << "\t\tKeyAttrRefCount: *1 {\n\t\t\ta: " << someSeconds.size() << "\n\t\t}\n\t}\n";
                myConnections << "\tC: \"OP\"," << curve << "," << curveNode << ", \"" << channels[axis] << "\"\n";
            }
        }

        // A "Takes" entry (times in seconds).
        void AddTake(const std::string& aName, double aStart, double aStop)
        {
            myTakes << "\tTake: \"" << aName << "\" {\n\t\tFileName: \"" << aName << ".tak\"\n"
                    << "\t\tLocalTime: " << static_cast<int64_t>(aStart * 46186158000.0) << "," << static_cast<int64_t>(aStop * 46186158000.0) << "\n"
                    << "\t\tReferenceTime: " << static_cast<int64_t>(aStart * 46186158000.0) << "," << static_cast<int64_t>(aStop * 46186158000.0) << "\n\t}\n";
        }

        std::string Build() const
        {
            std::ostringstream file;
            file << "; FBX 7.4.0 project file\n"
                 << "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n\tCreator: \"Vela test writer\"\n}\n"
                 << "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
                 << "\t\tP: \"UpAxis\", \"int\", \"Integer\", \"\",1\n\t\tP: \"UpAxisSign\", \"int\", \"Integer\", \"\",1\n"
                 << "\t\tP: \"FrontAxis\", \"int\", \"Integer\", \"\",2\n\t\tP: \"FrontAxisSign\", \"int\", \"Integer\", \"\",1\n"
                 << "\t\tP: \"CoordAxis\", \"int\", \"Integer\", \"\",0\n\t\tP: \"CoordAxisSign\", \"int\", \"Integer\", \"\",1\n"
                 << "\t\tP: \"UnitScaleFactor\", \"double\", \"Number\", \"\"," << myUnitScale << "\n"
                 << "\t\tP: \"OriginalUnitScaleFactor\", \"double\", \"Number\", \"\"," << myUnitScale << "\n"
                 << "\t\tP: \"TimeMode\", \"enum\", \"\", \"\"," << myTimeMode << "\n"
                 << "\t}\n}\n"
                 << "Objects:  {\n" << myObjects.str() << "}\n"
                 << "Connections:  {\n" << myConnections.str() << "}\n";
            if (!myTakes.str().empty())
                file << "Takes:  {\n\tCurrent: \"\"\n" << myTakes.str() << "}\n";
            return file.str();
        }

    private:
        int64_t NextId() { return myNextId++; }
        void Connect(int64_t aChild, int64_t aParent) { myConnections << "\tC: \"OO\"," << aChild << "," << aParent << "\n"; }

        int64_t myNextId = 1000;
        double myUnitScale = 1.0;
        int myTimeMode = 6;
        std::ostringstream myObjects;
        std::ostringstream myConnections;
        std::ostringstream myTakes;
    };
}
