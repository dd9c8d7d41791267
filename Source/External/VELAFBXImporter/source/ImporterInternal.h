#pragma once
// The steps shared by the model and animation imports.
#include "VelaFBXRecords.h"

#include "Platform/fbx/FbxScene.h"

#include <array>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace VelaFBX
{
    struct ImporterState
    {
        Vela::Fbx::Manager* manager = nullptr;
        Vela::Fbx::IoSettings* ioSettings = nullptr;
        Vela::Fbx::GeometryConverter* geometryConverter = nullptr;
        Vela::Fbx::AxisSystem targetAxisSystem;
        Vela::Fbx::Importer* importer = nullptr;
        // Serialises whole imports (and set-up/tear-down against them).
        std::mutex importMutex;
        std::string lastError;
    };
    ImporterState& GetImporterState();

    // Every import failure is raised as a runtime error carrying its message.
    [[noreturn]] void ThrowImportError(const std::string& aMessage);

    // Creates the per-import importer and scene and destroys them again when the import ends,
    // normally or by a thrown error.
    class ImportSession
    {
    public:
        explicit ImportSession(ImporterState& aState);
        ~ImportSession();
        ImportSession(const ImportSession&) = delete;
        ImportSession& operator=(const ImportSession&) = delete;

        // Checks the file, initialises the importer on it and creates the scene to import into. On failure
        // the state's last error says why (aNoImporterError when the library was not set up) and false is returned.
        bool Open(ImporterState& aState, const std::string& aPath, const char* aNoImporterError);

        Vela::Fbx::Importer* importer = nullptr;
        Vela::Fbx::Scene* scene = nullptr;
    };

    bool GatherBones(const Vela::Fbx::Node* aNode, Skeleton& aSkeleton, std::vector<Bone>& someEvents,
                     std::vector<Socket>& someSockets, int32_t aParentIndex);
    uint32_t FindMeshNodes(Vela::Fbx::Node* aNode, std::vector<Vela::Fbx::Node*>& someNodes);
    int32_t FindLodGroupNodes(Vela::Fbx::Node* aNode, std::vector<Vela::Fbx::Node*>& someNodes);

    bool ExtractMesh(const Vela::Fbx::Scene* aScene, const Vela::Fbx::Node* aNode, Skeleton& aSkeleton,
                     std::vector<ImportedMesh>& someOut, bool aDeduplicate);
    // Extracts mesh nodes' parts, once for geometry that several nodes share (keyed by the geometry
    // and the node's material list); every node still gets its own copy of the parts, under its name.
    class SharedMeshParts
    {
    public:
        explicit SharedMeshParts(const std::vector<Vela::Fbx::Node*>& someMeshNodes);
        void Extract(const Vela::Fbx::Scene* aScene, const Vela::Fbx::Node* aNode, Skeleton& aSkeleton,
                     std::vector<ImportedMesh>& someOut, bool aDeduplicate);

    private:
        struct Key
        {
            const Vela::Fbx::Mesh* mesh;
            std::vector<const Vela::Fbx::Material*> materials;
            bool operator<(const Key& aOther) const { return mesh != aOther.mesh ? mesh < aOther.mesh : materials < aOther.materials; }
        };
        std::map<const Vela::Fbx::Mesh*, int> myUsers;
        std::map<Key, std::vector<ImportedMesh>> myParts;
    };

    // The de-duplication of one part's vertices: a vertex whose VertexHash is already known takes
    // that vertex's index (equal hashes are equal vertices). Corners with the same hashed values are
    // recognised by a cheaper hash of those values first, so VertexHash runs once per distinct vertex.
    class VertexDeduplicator
    {
    public:
        static constexpr size_t HASHED_VALUES = 44;
        using Values = std::array<uint32_t, HASHED_VALUES>;
        // The hashed four-byte values in layout order (position x, y, z, then all after the position's w),
        // with -0.0 read as +0.0 (bone indices as they are).
        static void GetHashedValues(const Vertex& aVertex, Values& aOut);
        static uint64_t HashValues(const Values& someValues);

        // Empties the tables, sized for up to aCorners corners of a mesh of aControlPoints control points.
        void Reset(size_t aCorners, size_t aControlPoints);
        // The index of aVertex (made from control point aControlPoint) in someVertices, appended there when it is new.
        uint32_t Add(const Vertex& aVertex, uint32_t aControlPoint, std::vector<Vertex>& someVertices);

    private:
        static constexpr uint32_t EMPTY = UINT32_MAX;
        void Rebuild(size_t aCapacity);  // power of two
        // The entry of these values, made (with its vertex index) when they are new.
        uint32_t FindEntry(const Values& someValues, const Vertex& aVertex, std::vector<Vertex>& someVertices);

        // Open addressing with linear probing; slots hold entry numbers. An entry is one distinct set of
        // values met; they are those of its vertex unless they collided with another vertex's hash.
        std::vector<uint32_t> myByValues;      // -> entry
        std::vector<uint32_t> myByHash;        // -> entry of myHashes
        std::vector<uint64_t> myValueKeys;     // by entry: the cheap hash of its values
        std::vector<uint32_t> myValueIndices;  // by entry: its vertex index
        std::vector<uint32_t> myCollisionOf;   // by entry: its values in myCollidedValues, or EMPTY
        std::vector<Values> myCollidedValues;
        std::vector<uint64_t> myHashes;        // each distinct VertexHash met
        std::vector<uint32_t> myHashIndices;   // the index of its vertex
        std::vector<uint32_t> myRecentIndices; // by control point: the vertex index its latest corner got
        uint64_t myMask = 0;
    };

    uint64_t VertexHash(const Vertex& aVertex);

    void ConvertMatrix(const Vela::Fbx::AMatrix& aMatrix, Matrix4x4f& aOut);
    void ReadMaterial(const Vela::Fbx::Material* aMaterial, Material& aOut);
    MaterialTexture FindTextureFile(const Vela::Fbx::Material* aMaterial, const char* aPropertyName);

    // The node name with everything up to and including its last ':' removed.
    std::string StripNamespace(const std::string& aNodeName);
}
