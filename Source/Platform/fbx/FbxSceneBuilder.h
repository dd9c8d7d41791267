#pragma once
// Turns a parsed record tree into a scene: objects, connections, settings and takes.
#include "Platform/fbx/FbxScene.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Vela::Fbx
{
    class SceneBuilder
    {
    public:
        // Replaces aScene's contents with the file's. False with a one-line reason when the
        // document has no object graph at all (the scene is then left with only a root node).
        static bool Build(const Document& aDocument, Scene& aScene, std::string& aError);

        // Empties a scene down to a fresh root node and default settings.
        static void Reset(Scene& aScene);

    private:
        SceneBuilder(const Document& aDocument, Scene& aScene) : myDocument(aDocument), myScene(aScene) {}

        void ReadProperties70(const Record* aRecord, std::vector<ObjectProperty>& someOut);
        // aText as the scene may keep it: viewed in the file's bytes, or copied into the scene.
        std::string_view Keep(std::string_view aText);

        void ReadSettings();
        void ReadTemplates();
        void ReadObjects(const Record& aObjects);
        Object* MakeObject(const Record& aRecord);
        void ApplyTemplate(Object& aObject, std::string_view aRecordName);
        static void CopyTemplateIn(Object& aObject);
        void ReadConnections();
        void ReadTakes();
        void CutCycles();
        void Finish();

        void ReadNode(Node& aNode, const Record& aRecord);
        void ReadMesh(Mesh& aMesh, const Record& aRecord);
        void ReadCluster(Cluster& aCluster, const Record& aRecord);
        void ReadCurve(AnimCurve& aCurve, const Record& aRecord);
        void ReadExtrapolation(const Record* aRecord, AnimCurve::ExtrapolationMode& aOut);
        void ReadCurveNode(AnimCurveNode& aCurveNode);
        void ReadLodGroup(LodGroup& aGroup);
        void ReadTexture(FileTexture& aTexture, const Record& aRecord);
        void ReadStack(AnimStack& aStack, size_t aOwnCount);

        void ConnectObjects(Object& aChild, Object& aParent);
        void ConnectProperty(Object& aChild, Object& aParent, std::string_view aProperty);
        Object* Adopt(std::unique_ptr<Object> aObject);

        const Document& myDocument;
        Scene& myScene;
        std::unordered_map<uint64_t, Object*> myById;
        // Per object type: its template's entries in the file, read into a scene-owned list on first use.
        struct Template
        {
            const Record* entries = nullptr;
            const std::vector<ObjectProperty>* read = nullptr;
        };
        std::unordered_map<std::string_view, Template> myTemplates;
    };
}
