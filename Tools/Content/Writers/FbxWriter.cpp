#include "FbxWriter.h"

#include <cmath>
#include <cstdio>

namespace Vela::Content
{
    namespace
    {
        constexpr double TICKS_PER_SECOND = 46186158000.0;

        // Shortest exact-enough text of a number; never "-0".
        std::string Num(double aValue)
        {
            if (aValue == 0.0 || !std::isfinite(aValue))
                return "0";
            char text[32];
            std::snprintf(text, sizeof(text), "%.9g", aValue);
            return text;
        }

        int64_t Ticks(double aSeconds) { return int64_t(std::llround(aSeconds * TICKS_PER_SECOND)); }

        template <typename Values, typename Format>
        void Array(std::ostringstream& aStream, const char* aIndent, const char* aKey, size_t aCount, const Values& someValues, Format aFormat)
        {
            aStream << aIndent << aKey << ": *" << aCount << " {\n" << aIndent << "\ta: ";
            bool first = true;
            for (const auto& value : someValues)
            {
                aStream << (first ? "" : ",") << aFormat(value);
                first = false;
            }
            aStream << "\n" << aIndent << "}\n";
        }

        std::string Vec(const FbxVector& aVector) { return Num(aVector[0]) + "," + Num(aVector[1]) + "," + Num(aVector[2]); }

        std::string Matrix(const FbxMatrix& aMatrix)
        {
            std::string text;
            for (size_t i = 0; i < 16; ++i)
                text += (i ? "," : "") + Num(aMatrix[i]);
            return text;
        }

        const char* NodeType(FbxNodeKind aKind)
        {
            switch (aKind)
            {
            case FbxNodeKind::Mesh: return "Mesh";
            case FbxNodeKind::Bone: return "LimbNode";
            case FbxNodeKind::Null: return "Null";
            case FbxNodeKind::LodGroup: return "LodGroup";
            }
            return "Null";
        }
    }

    FbxMatrix FbxWriter::RigidInverse(const FbxMatrix& aMatrix)
    {
        // Rotation transposed; the translation moved back through it.
        FbxMatrix inverse = Translation({ 0, 0, 0 });
        for (size_t row = 0; row < 3; ++row)
            for (size_t column = 0; column < 3; ++column)
                inverse[row * 4 + column] = aMatrix[column * 4 + row];
        for (size_t column = 0; column < 3; ++column)
            inverse[12 + column] = -(aMatrix[12] * inverse[column] + aMatrix[13] * inverse[4 + column] + aMatrix[14] * inverse[8 + column]);
        return inverse;
    }

    FbxMatrix FbxWriter::Translation(const FbxVector& aTranslation)
    {
        return { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, aTranslation[0], aTranslation[1], aTranslation[2], 1 };
    }

    void FbxWriter::Connect(int64_t aChild, int64_t aParent) { myConnections << "\tC: \"OO\"," << aChild << "," << aParent << "\n"; }

    int64_t FbxWriter::AddNode(const std::string& aName, FbxNodeKind aKind, int64_t aParent, FbxVector aTranslation, FbxVector aRotationDegrees,
                               FbxVector aScaling)
    {
        const int64_t id = NextId();
        myObjects << "\tModel: " << id << ", \"Model::" << aName << "\", \"" << NodeType(aKind) << "\" {\n\t\tVersion: 232\n"
                  << "\t\tProperties70:  {\n"
                  << "\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\"," << Vec(aTranslation) << "\n"
                  << "\t\t\tP: \"Lcl Rotation\", \"Lcl Rotation\", \"\", \"A\"," << Vec(aRotationDegrees) << "\n"
                  << "\t\t\tP: \"Lcl Scaling\", \"Lcl Scaling\", \"\", \"A\"," << Vec(aScaling) << "\n"
                  << "\t\t\tP: \"InheritType\", \"enum\", \"\", \"\",1\n"
                  << "\t\t}\n\t\tShading: T\n\t\tCulling: \"CullingOff\"\n\t}\n";
        Connect(id, aParent);
        if (aKind == FbxNodeKind::Bone || aKind == FbxNodeKind::Null)
        {
            const int64_t attribute = NextId();
            const bool bone = aKind == FbxNodeKind::Bone;
            myObjects << "\tNodeAttribute: " << attribute << ", \"NodeAttribute::" << aName << "\", \"" << (bone ? "LimbNode" : "Null") << "\" {\n"
                      << "\t\tTypeFlags: \"" << (bone ? "Skeleton" : "Null") << "\"\n\t}\n";
            Connect(attribute, id);
        }
        return id;
    }

    int64_t FbxWriter::AddLodGroup(const std::string& aName, int64_t aParent, const std::vector<double>& someThresholds)
    {
        const int64_t id = AddNode(aName, FbxNodeKind::LodGroup, aParent);
        const int64_t attribute = NextId();
        myObjects << "\tNodeAttribute: " << attribute << ", \"NodeAttribute::" << aName << "\", \"LodGroup\" {\n\t\tProperties70:  {\n";
        for (size_t i = 0; i < someThresholds.size(); ++i)
            myObjects << "\t\t\tP: \"Thresholds|Level" << i << "\", \"Distance\", \"\", \"\"," << Num(someThresholds[i]) << ", \"cm\"\n";
        myObjects << "\t\t}\n\t}\n";
        Connect(attribute, id);
        return id;
    }

    int64_t FbxWriter::AddGeometry(int64_t aMeshNode, const FbxMesh& aMesh)
    {
        const int64_t id = NextId();
        size_t corners = 0;
        std::vector<int> indices;
        for (const std::vector<int>& polygon : aMesh.myPolygons)
            for (size_t k = 0; k < polygon.size(); ++k, ++corners)
                indices.push_back(k + 1 == polygon.size() ? -polygon[k] - 1 : polygon[k]);

        myObjects << "\tGeometry: " << id << ", \"Geometry::\", \"Mesh\" {\n";
        Array(myObjects, "\t\t", "Vertices", aMesh.myPoints.size() * 3, aMesh.myPoints, Vec);
        Array(myObjects, "\t\t", "PolygonVertexIndex", indices.size(), indices, [](int aValue) { return std::to_string(aValue); });
        myObjects << "\t\tGeometryVersion: 124\n";

        auto layerHead = [this](const char* aElement, const char* aName, const char* aMapping, const char* aReference) {
            myObjects << "\t\t" << aElement << ": 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"" << aName << "\"\n"
                      << "\t\t\tMappingInformationType: \"" << aMapping << "\"\n\t\t\tReferenceInformationType: \"" << aReference << "\"\n";
        };
        layerHead("LayerElementNormal", "", "ByPolygonVertex", "Direct");
        Array(myObjects, "\t\t\t", "Normals", aMesh.myNormals.size() * 3, aMesh.myNormals, Vec);
        myObjects << "\t\t}\n";
        layerHead("LayerElementUV", "map1", "ByPolygonVertex", "IndexToDirect");
        Array(myObjects, "\t\t\t", "UV", aMesh.myUvs.size() * 2, aMesh.myUvs,
              [](const std::array<double, 2>& aUv) { return Num(aUv[0]) + "," + Num(aUv[1]); });
        std::vector<size_t> uvIndices(corners);
        for (size_t i = 0; i < corners; ++i)
            uvIndices[i] = i;
        Array(myObjects, "\t\t\t", "UVIndex", corners, uvIndices, [](size_t aValue) { return std::to_string(aValue); });
        myObjects << "\t\t}\n";
        if (!aMesh.myColors.empty())
        {
            layerHead("LayerElementColor", "colorSet1", "ByPolygonVertex", "Direct");
            Array(myObjects, "\t\t\t", "Colors", aMesh.myColors.size() * 4, aMesh.myColors, [](const std::array<double, 4>& aColor) {
                return Num(aColor[0]) + "," + Num(aColor[1]) + "," + Num(aColor[2]) + "," + Num(aColor[3]);
            });
            myObjects << "\t\t}\n";
        }
        if (!aMesh.myPolygonMaterials.empty())
        {
            layerHead("LayerElementMaterial", "", "ByPolygon", "IndexToDirect");
            Array(myObjects, "\t\t\t", "Materials", aMesh.myPolygonMaterials.size(), aMesh.myPolygonMaterials,
                  [](int aValue) { return std::to_string(aValue); });
            myObjects << "\t\t}\n";
        }
        myObjects << "\t\tLayer: 0 {\n\t\t\tVersion: 100\n";
        auto layerEntry = [this](const char* aType) {
            myObjects << "\t\t\tLayerElement:  {\n\t\t\t\tType: \"" << aType << "\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n";
        };
        layerEntry("LayerElementNormal");
        if (!aMesh.myPolygonMaterials.empty())
            layerEntry("LayerElementMaterial");
        if (!aMesh.myColors.empty())
            layerEntry("LayerElementColor");
        layerEntry("LayerElementUV");
        myObjects << "\t\t}\n\t}\n";
        Connect(id, aMeshNode);
        return id;
    }

    int64_t FbxWriter::AddMaterial(const std::string& aName, int64_t aMeshNode)
    {
        const int64_t id = NextId();
        myObjects << "\tMaterial: " << id << ", \"Material::" << aName << "\", \"\" {\n\t\tVersion: 102\n"
                  << "\t\tShadingModel: \"lambert\"\n\t\tMultiLayer: 0\n\t}\n";
        Connect(id, aMeshNode);
        return id;
    }

    int64_t FbxWriter::AddSkin(int64_t aGeometry)
    {
        const int64_t id = NextId();
        myObjects << "\tDeformer: " << id << ", \"Deformer::\", \"Skin\" {\n\t\tVersion: 101\n\t\tLink_DeformAcuracy: 50\n\t}\n";
        Connect(id, aGeometry);
        return id;
    }

    void FbxWriter::AddCluster(int64_t aSkin, int64_t aBone, const std::vector<int>& someIndices, const std::vector<double>& someWeights,
                               const FbxMatrix& aBoneBindGlobal)
    {
        const int64_t id = NextId();
        myObjects << "\tDeformer: " << id << ", \"SubDeformer::\", \"Cluster\" {\n\t\tVersion: 100\n\t\tUserData: \"\", \"\"\n";
        Array(myObjects, "\t\t", "Indexes", someIndices.size(), someIndices, [](int aValue) { return std::to_string(aValue); });
        Array(myObjects, "\t\t", "Weights", someWeights.size(), someWeights, Num);
        // "Transform" is the mesh relative to the bone at bind time; the mesh node sits at the origin.
        myObjects << "\t\tTransform: *16 {\n\t\t\ta: " << Matrix(RigidInverse(aBoneBindGlobal)) << "\n\t\t}\n"
                  << "\t\tTransformLink: *16 {\n\t\t\ta: " << Matrix(aBoneBindGlobal) << "\n\t\t}\n\t}\n";
        Connect(id, aSkin);
        Connect(aBone, id);
    }

    void FbxWriter::AddBindPose(const std::vector<std::pair<int64_t, FbxMatrix>>& someNodes)
    {
        const int64_t id = NextId();
        myObjects << "\tPose: " << id << ", \"Pose::BIND_POSES\", \"BindPose\" {\n\t\tType: \"BindPose\"\n\t\tVersion: 100\n"
                  << "\t\tNbPoseNodes: " << someNodes.size() << "\n";
        for (const auto& [node, matrix] : someNodes)
            myObjects << "\t\tPoseNode:  {\n\t\t\tNode: " << node << "\n\t\t\tMatrix: *16 {\n\t\t\t\ta: " << Matrix(matrix) << "\n\t\t\t}\n\t\t}\n";
        myObjects << "\t}\n";
    }

    int64_t FbxWriter::AddAnimation(const std::string& aName, double aSeconds)
    {
        myAnimationSeconds = aSeconds;
        const int64_t stack = NextId();
        myObjects << "\tAnimationStack: " << stack << ", \"AnimStack::" << aName << "\", \"\" {\n\t\tProperties70:  {\n"
                  << "\t\t\tP: \"LocalStart\", \"KTime\", \"Time\", \"\",0\n"
                  << "\t\t\tP: \"LocalStop\", \"KTime\", \"Time\", \"\"," << Ticks(aSeconds) << "\n\t\t}\n\t}\n";
        const int64_t layer = NextId();
        myObjects << "\tAnimationLayer: " << layer << ", \"AnimLayer::BaseLayer\", \"\" {\n\t}\n";
        Connect(layer, stack);
        myTakes << "\tTake: \"" << aName << "\" {\n\t\tFileName: \"" << aName << ".tak\"\n"
                << "\t\tLocalTime: 0," << Ticks(aSeconds) << "\n\t\tReferenceTime: 0," << Ticks(aSeconds) << "\n\t}\n";
        return layer;
    }

    void FbxWriter::AddCurves(int64_t aLayer, int64_t aNode, const std::string& aProperty, const std::vector<double>& someSeconds,
                              const std::vector<FbxVector>& someValues)
    {
        const int64_t curveNode = NextId();
        const char* shortName = aProperty == "Lcl Translation" ? "T" : aProperty == "Lcl Rotation" ? "R" : "S";
        myObjects << "\tAnimationCurveNode: " << curveNode << ", \"AnimCurveNode::" << shortName << "\", \"\" {\n\t\tProperties70:  {\n"
                  << "\t\t\tP: \"d|X\", \"Number\", \"\", \"A\"," << Num(someValues[0][0]) << "\n"
                  << "\t\t\tP: \"d|Y\", \"Number\", \"\", \"A\"," << Num(someValues[0][1]) << "\n"
                  << "\t\t\tP: \"d|Z\", \"Number\", \"\", \"A\"," << Num(someValues[0][2]) << "\n\t\t}\n\t}\n";
        Connect(curveNode, aLayer);
        myConnections << "\tC: \"OP\"," << curveNode << "," << aNode << ", \"" << aProperty << "\"\n";
        const char* channels[] = { "d|X", "d|Y", "d|Z" };
        for (size_t axis = 0; axis < 3; ++axis)
        {
            const int64_t curve = NextId();
            myObjects << "\tAnimationCurve: " << curve << ", \"AnimCurve::\", \"\" {\n\t\tDefault: " << Num(someValues[0][axis]) << "\n\t\tKeyVer: 4009\n";
            Array(myObjects, "\t\t", "KeyTime", someSeconds.size(), someSeconds, [](double aSeconds) { return std::to_string(Ticks(aSeconds)); });
            Array(myObjects, "\t\t", "KeyValueFloat", someValues.size(), someValues, [axis](const FbxVector& aValue) { return Num(float(aValue[axis])); });
            myObjects << "\t\tKeyAttrFlags: *1 {\n\t\t\ta: 4\n\t\t}\n"
                      << "\t\tKeyAttrDataFloat: *4 {\n\t\t\ta: 0,0,0,0\n\t\t}\n"
                      << "\t\tKeyAttrRefCount: *1 {\n\t\t\ta: " << someSeconds.size() << "\n\t\t}\n\t}\n";
            myConnections << "\tC: \"OP\"," << curve << "," << curveNode << ", \"" << channels[axis] << "\"\n";
        }
    }

    std::string FbxWriter::Build() const
    {
        std::ostringstream file;
        file << "; FBX 7.4.0 project file\n"
             << "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n\tCreator: \"Vela content tools\"\n}\n"
             << "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
             << "\t\tP: \"UpAxis\", \"int\", \"Integer\", \"\",1\n\t\tP: \"UpAxisSign\", \"int\", \"Integer\", \"\",1\n"
             << "\t\tP: \"FrontAxis\", \"int\", \"Integer\", \"\",2\n\t\tP: \"FrontAxisSign\", \"int\", \"Integer\", \"\",-1\n"
             << "\t\tP: \"CoordAxis\", \"int\", \"Integer\", \"\",0\n\t\tP: \"CoordAxisSign\", \"int\", \"Integer\", \"\",1\n"
             << "\t\tP: \"UnitScaleFactor\", \"double\", \"Number\", \"\",1\n"
             << "\t\tP: \"OriginalUnitScaleFactor\", \"double\", \"Number\", \"\",1\n"
             << "\t\tP: \"TimeMode\", \"enum\", \"\", \"\",6\n"
             << "\t\tP: \"TimeSpanStart\", \"KTime\", \"Time\", \"\",0\n"
             << "\t\tP: \"TimeSpanStop\", \"KTime\", \"Time\", \"\"," << Ticks(myAnimationSeconds) << "\n"
             << "\t}\n}\n"
             << "Objects:  {\n" << myObjects.str() << "}\n"
             << "Connections:  {\n" << myConnections.str() << "}\n";
        if (!myTakes.str().empty())
            file << "Takes:  {\n\tCurrent: \"\"\n" << myTakes.str() << "}\n";
        return file.str();
    }
}
