#pragma once
// Plain records that the FBX import library fills for the model factory. Everything is held by value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace VelaFBX
{
    // 16 floats, row-major in the engine's element order: translation in flat elements 12, 13, 14.
    struct Matrix4x4f
    {
        float values[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

        float& operator[](size_t aIndex) { return values[aIndex]; }
        float operator[](size_t aIndex) const { return values[aIndex]; }
        // 1-based row and column.
        float& operator()(size_t aRow, size_t aColumn) { return values[aRow * 4 - 5 + aColumn]; }
        float operator()(size_t aRow, size_t aColumn) const { return values[aRow * 4 - 5 + aColumn]; }
    };

    // The GPU vertex layout (180 bytes); every field starts at zero.
    struct Vertex
    {
        float position[4] = {};
        float colors[4][4] = {};
        float uvs[4][2] = {};
        float normal[3] = {};
        float tangent[3] = {};
        float binormal[3] = {};
        uint32_t boneIndices[4] = {};
        float boneWeights[4] = {};
    };
    static_assert(sizeof(Vertex) == 180, "the vertex is uploaded as is");

    // Centre/extent form.
    struct BoundingBox
    {
        float halfExtents[3] = {};
        float centre[3] = {};
        float largestHalfExtent = 0.0f;
    };

    struct MinMaxBox
    {
        float minimum[3] = {};
        float maximum[3] = {};
        int32_t valid = 0;
    };

    struct Bone
    {
        Matrix4x4f matrix;
        int32_t parent = -1;
        std::string nodeName;
        std::string name;
        std::vector<uint32_t> children;
    };

    struct Socket
    {
        Matrix4x4f matrix;
        int32_t parent = -1;
        std::string nodeName;
        std::string name;
    };

    struct Skeleton
    {
        Skeleton();

        std::string name;
        std::vector<Bone> bones;
        std::unordered_map<std::string, Socket> sockets;
        std::unordered_map<std::string, uint64_t> boneIndices;
    };

    struct ImportedMesh
    {
        std::vector<Vertex> vertices;
        std::vector<uint32_t> indices;
        uint64_t materialIndex = 0;
        std::string name;
        BoundingBox bounds;
        MinMaxBox box;
    };

    struct LodLevel
    {
        uint32_t level = 0;
        float threshold = 0.0f;
        std::vector<ImportedMesh> meshes;
        BoundingBox bounds;
    };

    struct MaterialTexture
    {
        std::string fileName;
        std::string filePath;
        std::string relativeFilePath;
    };

    enum class MaterialSlot : size_t
    {
        Emissive, Ambient, Diffuse, Specular, Shininess, Bump, NormalMap, TransparentColor, Reflection,
        DisplacementColor, VectorDisplacementColor, Count
    };

    struct Material
    {
        std::string name;
        MaterialTexture textures[static_cast<size_t>(MaterialSlot::Count)];
    };

    struct ImportedModel
    {
        Skeleton skeleton;
        std::vector<ImportedMesh> meshes;
        std::vector<Material> materials;
        std::vector<std::vector<LodLevel>> lodGroups;
        std::string name;
        BoundingBox bounds;
        MinMaxBox box;
    };

    struct AnimationFrame
    {
        std::unordered_map<std::string, Matrix4x4f> globalTransforms;
        std::unordered_map<std::string, Matrix4x4f> localTransforms;
        std::unordered_map<std::string, bool> activeEvents;
        std::unordered_map<std::string, Matrix4x4f> socketTransforms;
    };

    struct ImportedAnimation
    {
        std::vector<AnimationFrame> frames;
        std::vector<std::string> eventNames;
        int64_t frameCount = 0;
        double duration = 0.0;
        float frameRate = 0.0f;
        std::string name;
    };

    BoundingBox CombineBounds(const BoundingBox& aFirst, const BoundingBox& aSecond);
    MinMaxBox MakeMinMaxBox(const float aCentre[3], const float aHalfExtents[3]);
}
