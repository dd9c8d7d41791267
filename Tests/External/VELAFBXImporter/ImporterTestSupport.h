#pragma once
// Shared helpers of the import library tests: set-up per test, invariants every import must keep.
#include "VelaFBXImporter.h"

#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace VelaTest
{
    class ImporterTest : public ::testing::Test
    {
    protected:
        void SetUp() override { VelaFBX::InitImporter(); }
        void TearDown() override { VelaFBX::UninitImporter(); }
    };

    inline std::vector<std::filesystem::path> FbxFixtures()
    {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(FixturePath("fbx")))
        {
            if (entry.path().extension() == ".fbx")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    // Real files of other tools from Debian's assimp test models, when installed.
    inline std::vector<std::filesystem::path> OtherToolFbxFiles()
    {
        std::vector<std::filesystem::path> files;
        const std::filesystem::path folder = "/usr/share/assimp/models/FBX";
        if (!std::filesystem::exists(folder))
            return files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        {
            std::string extension = entry.path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), [](char aChar) { return static_cast<char>(std::tolower(aChar)); });
            if (extension == ".fbx")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    inline bool BoxContainsOrigin(const VelaFBX::MinMaxBox& aBox)
    {
        for (int axis = 0; axis < 3; ++axis)
        {
            if (aBox.minimum[axis] > 0.0f || aBox.maximum[axis] < 0.0f)
                return false;
        }
        return aBox.valid == 1;
    }

    inline void ExpectValidMesh(const VelaFBX::ImportedMesh& aMesh, size_t aMaterialCount, const std::string& aContext)
    {
        EXPECT_FALSE(aMesh.vertices.empty()) << aContext;
        EXPECT_EQ(aMesh.indices.size() % 3, 0u) << aContext;
        for (uint32_t index : aMesh.indices)
        {
            ASSERT_LT(index, aMesh.vertices.size()) << aContext;
        }
        if (aMaterialCount > 0)
        {
            EXPECT_LT(aMesh.materialIndex, aMaterialCount) << aContext;
        }
        else
        {
            EXPECT_EQ(aMesh.materialIndex, 0u) << aContext;
        }
        EXPECT_TRUE(BoxContainsOrigin(aMesh.box)) << aContext;
    }

    inline void ExpectValidSkeleton(const VelaFBX::Skeleton& aSkeleton, const std::string& aContext)
    {
        for (size_t i = 0; i < aSkeleton.bones.size(); ++i)
        {
            const VelaFBX::Bone& bone = aSkeleton.bones[i];
            EXPECT_LT(bone.parent, static_cast<int32_t>(i)) << aContext << " bone " << bone.nodeName;
            for (uint32_t child : bone.children)
            {
                ASSERT_LT(child, aSkeleton.bones.size()) << aContext;
                EXPECT_EQ(aSkeleton.bones[child].parent, static_cast<int32_t>(i)) << aContext;
            }
            const auto found = aSkeleton.boneIndices.find(bone.name);
            ASSERT_NE(found, aSkeleton.boneIndices.end()) << aContext << " " << bone.name;
            EXPECT_EQ(found->second, i) << aContext;
        }
    }

    inline void ExpectValidModel(const VelaFBX::ImportedModel& aModel, const std::string& aContext)
    {
        ExpectValidSkeleton(aModel.skeleton, aContext);
        for (const VelaFBX::ImportedMesh& mesh : aModel.meshes)
            ExpectValidMesh(mesh, aModel.materials.size(), aContext + " mesh " + mesh.name);
        for (const auto& group : aModel.lodGroups)
        {
            for (size_t level = 0; level < group.size(); ++level)
            {
                EXPECT_EQ(group[level].level, level) << aContext;
                for (const VelaFBX::ImportedMesh& mesh : group[level].meshes)
                    ExpectValidMesh(mesh, aModel.materials.size(), aContext + " lod mesh " + mesh.name);
            }
        }
        if (!aModel.meshes.empty() || !aModel.lodGroups.empty())
        {
            EXPECT_TRUE(BoxContainsOrigin(aModel.box)) << aContext;
        }
        for (const VelaFBX::ImportedMesh& mesh : aModel.meshes)
        {
            for (const VelaFBX::Vertex& vertex : mesh.vertices)
            {
                for (int slot = 0; slot < 4; ++slot)
                {
                    if (vertex.boneWeights[slot] != 0.0f)
                    {
                        ASSERT_LT(vertex.boneIndices[slot], std::max<size_t>(aModel.skeleton.bones.size(), 1)) << aContext;
                    }
                }
            }
        }
    }

    // The import's result for a file; false/throw reported as a failure message.
    inline bool TryLoadModel(const std::string& aPath, VelaFBX::ImportedModel& aOut, std::string& aFailure, bool aDeduplicate = true)
    {
        try
        {
            if (VelaFBX::LoadModel(aPath, aOut, false, aDeduplicate))
                return true;
            aFailure = VelaFBX::GetLastError();
        }
        catch (const std::exception& aError)
        {
            aFailure = aError.what();
        }
        return false;
    }
}
