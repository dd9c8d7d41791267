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
    struct ImporterState;
    struct MeshScratch;

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
                     std::vector<ImportedMesh>& someOut, bool aDeduplicate, MeshScratch& aScratch);
    // Extracts mesh nodes' parts, once for geometry that several nodes share (keyed by the geometry
    // and the node's material list); every node still gets its own copy of the parts, under its name.
    class SharedMeshParts
    {
    public:
        SharedMeshParts(const std::vector<Vela::Fbx::Node*>& someMeshNodes, MeshScratch& aScratch);
        void Extract(const Vela::Fbx::Scene* aScene, const Vela::Fbx::Node* aNode, Skeleton& aSkeleton,
                     std::vector<ImportedMesh>& someOut, bool aDeduplicate);

    private:
        struct Key
        {
            const Vela::Fbx::Mesh* mesh;
            std::vector<const Vela::Fbx::Material*> materials;
            bool operator<(const Key& aOther) const { return mesh != aOther.mesh ? mesh < aOther.mesh : materials < aOther.materials; }
        };
        MeshScratch& myScratch;
        struct Users
        {
            int total = 0;  // mesh nodes of the geometry
            int left = 0;   // of those, not extracted yet
        };
        std::map<const Vela::Fbx::Mesh*, Users> myUsers;
        std::map<Key, std::vector<ImportedMesh>> myParts;
    };

    // The de-duplication of one part's vertices: a vertex takes the index of the first vertex with an equal
    // VertexHash (equal hashes are equal vertices), so the hash of every candidate vertex is needed; they
    // are worked out beforehand, several at a time, and only looked up here in corner order.
    class VertexDeduplicator
    {
    public:
        static constexpr size_t HASHED_VALUES = 44;
        using Values = std::array<uint32_t, HASHED_VALUES>;
        // The hashed four-byte values in layout order (position x, y, z, then all after the position's w),
        // with -0.0 read as +0.0 (bone indices as they are).
        static void GetHashedValues(const Vertex& aVertex, Values& aOut);
        static uint64_t HashValues(const Values& someValues);
        // The VertexHash of each of aCount vertices. Bit i of aZeroValues set: hashed value i is zero in all of them.
        static void HashVertices(const Vertex* someVertices, size_t aCount, uint64_t* someOut, uint64_t aZeroValues = 0);

        // Empties the table, sized for about aExpected distinct hashes (it grows when there are more).
        void Reset(size_t aExpected);
        // The index of the first vertex added with aHash; a hash not met before takes the next index.
        uint32_t Add(uint64_t aHash);
        // Add for each of aCount hashes in order, into someIndices; someFirsts gets the number of each hash
        // that took a new index.
        void AddAll(const uint64_t* someHashes, size_t aCount, uint32_t* someIndices, std::vector<uint32_t>& someFirsts);
        size_t HeldBytes() const { return mySlots.capacity() * sizeof(Slot); }

    private:
        static constexpr uint32_t EMPTY = UINT32_MAX;
        struct Slot
        {
            uint64_t hash = 0;
            uint32_t index = EMPTY;
        };
        void Rebuild(size_t aCapacity);  // power of two

        // Open addressing with linear probing, at most half full.
        std::vector<Slot> mySlots;
        uint64_t myMask = 0;
        uint32_t myCount = 0;
    };

    // Tables ExtractMesh needs for every mesh, kept from import to import so their memory is reused.
    struct MeshScratch
    {
        // Where a corner's vertex values are read: the direct-array index (-1 for none) in each of the mesh's
        // mapping layers (at most 4 uv sets, normal, tangent, binormal, 4 colour sets); the rest is unused.
        static constexpr size_t LAYER_SLOTS = 11;
        using CornerSources = std::array<int, LAYER_SLOTS>;
        // The first corner of a distinct (control point, sources) pair in a part: its vertex is hashed.
        struct Candidate
        {
            int controlPoint;
            int corner;
            int polygon;
        };
        // By control point: the sources and candidate of its latest corner in the part stamped partStamp.
        struct LatestCorner
        {
            CornerSources sources;
            uint32_t candidate = 0;
            uint32_t partStamp = 0;
        };
        std::vector<LatestCorner> latestCorners;
        uint32_t partStamp = 0;
        std::vector<Candidate> candidates;
        std::vector<uint64_t> candidateHashes;
        std::vector<uint32_t> candidateIndices;  // the vertex index each candidate takes
        std::vector<uint32_t> keptCandidates;    // the candidate each vertex is made from
        VertexDeduplicator deduplicator;

        // Scratch kept between imports at most; a larger one is freed when its import ends.
        static constexpr size_t KEPT_BYTES = size_t(8) << 20;  // a 65,000-triangle mesh's worth
        size_t HeldBytes() const;
        // Frees everything when more than KEPT_BYTES is held; true when it did.
        bool Trim();
    };

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
        MeshScratch meshScratch;
    };
    ImporterState& GetImporterState();

    uint64_t VertexHash(const Vertex& aVertex);

    void ConvertMatrix(const Vela::Fbx::AMatrix& aMatrix, Matrix4x4f& aOut);
    void ReadMaterial(const Vela::Fbx::Material* aMaterial, Material& aOut);
    MaterialTexture FindTextureFile(const Vela::Fbx::Material* aMaterial, const char* aPropertyName);

    // The node name with everything up to and including its last ':' removed.
    std::string StripNamespace(const std::string& aNodeName);
}
