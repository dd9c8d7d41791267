// Prints one digest per file of everything LoadModel and LoadAnimation put in their records, so a
// change meant to keep results can be checked bit for bit: run before and after, compare the lines.
// Arguments: FBX files or folders (default: the real files and the large files the import benchmark writes).
#include "VelaFBXImporter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace
{
    // FNV-1a over raw bytes.
    class Digest
    {
    public:
        void Bytes(const void* aData, size_t aSize)
        {
            const auto* bytes = static_cast<const unsigned char*>(aData);
            for (size_t i = 0; i < aSize; ++i)
                myValue = (myValue ^ bytes[i]) * 0x100000001b3ull;
        }
        template <class T> void Value(const T& aValue) { Bytes(&aValue, sizeof(aValue)); }
        void Text(const std::string& aText)
        {
            Value(aText.size());
            Bytes(aText.data(), aText.size());
        }
        template <class T> void Array(const std::vector<T>& someValues)
        {
            Value(someValues.size());
            Bytes(someValues.data(), someValues.size() * sizeof(T));
        }
        uint64_t Get() const { return myValue; }

    private:
        uint64_t myValue = 0xcbf29ce484222325ull;
    };

    template <class T> std::map<std::string, T> Sorted(const std::unordered_map<std::string, T>& someValues)
    {
        return {someValues.begin(), someValues.end()};
    }

    void AddMeshes(Digest& aDigest, const std::vector<VelaFBX::ImportedMesh>& someMeshes)
    {
        aDigest.Value(someMeshes.size());
        for (const VelaFBX::ImportedMesh& mesh : someMeshes)
        {
            aDigest.Array(mesh.vertices);
            aDigest.Array(mesh.indices);
            aDigest.Value(mesh.materialIndex);
            aDigest.Text(mesh.name);
            aDigest.Value(mesh.bounds);
            aDigest.Value(mesh.box);
        }
    }

    uint64_t ModelDigest(const VelaFBX::ImportedModel& aModel)
    {
        Digest digest;
        AddMeshes(digest, aModel.meshes);
        for (const auto& group : aModel.lodGroups)
            for (const VelaFBX::LodLevel& level : group)
            {
                digest.Value(level.level);
                digest.Value(level.threshold);
                AddMeshes(digest, level.meshes);
                digest.Value(level.bounds);
            }
        for (const VelaFBX::Material& material : aModel.materials)
        {
            digest.Text(material.name);
            for (const VelaFBX::MaterialTexture& texture : material.textures)
            {
                digest.Text(texture.fileName);
                digest.Text(texture.filePath);
                digest.Text(texture.relativeFilePath);
            }
        }
        digest.Text(aModel.skeleton.name);
        for (const VelaFBX::Bone& bone : aModel.skeleton.bones)
        {
            digest.Value(bone.matrix);
            digest.Value(bone.parent);
            digest.Text(bone.nodeName);
            digest.Text(bone.name);
            digest.Array(bone.children);
        }
        for (const auto& [name, socket] : Sorted(aModel.skeleton.sockets))
        {
            digest.Text(name);
            digest.Value(socket.matrix);
            digest.Value(socket.parent);
        }
        digest.Text(aModel.name);
        digest.Value(aModel.bounds);
        digest.Value(aModel.box);
        return digest.Get();
    }

    uint64_t AnimationDigest(const VelaFBX::ImportedAnimation& aAnimation)
    {
        Digest digest;
        for (const VelaFBX::AnimationFrame& frame : aAnimation.frames)
        {
            for (const auto* transforms : {&frame.globalTransforms, &frame.localTransforms, &frame.socketTransforms})
                for (const auto& [name, matrix] : Sorted(*transforms))
                {
                    digest.Text(name);
                    digest.Value(matrix);
                }
            for (const auto& [name, active] : Sorted(frame.activeEvents))
            {
                digest.Text(name);
                digest.Value(active);
            }
        }
        for (const std::string& name : aAnimation.eventNames)
            digest.Text(name);
        digest.Value(aAnimation.frameCount);
        digest.Value(aAnimation.duration);
        digest.Value(aAnimation.frameRate);
        return digest.Get();
    }

    // Paths are made canonical: the model's name is its path, which enters the digest.
    void AddFiles(const std::filesystem::path& aGiven, std::vector<std::string>& someFiles)
    {
        const std::filesystem::path path = std::filesystem::weakly_canonical(aGiven);
        if (!std::filesystem::is_directory(path))
        {
            someFiles.push_back(path.string());
            return;
        }
        for (const auto& entry : std::filesystem::directory_iterator(path))
            if (entry.path().extension() == ".fbx")
                someFiles.push_back(entry.path().string());
    }
}

int main(int aCount, char** someArguments)
{
    std::vector<std::string> files;
    for (int i = 1; i < aCount; ++i)
        AddFiles(someArguments[i], files);
    if (aCount < 2)
    {
        AddFiles(std::filesystem::path(VELA_FIXTURES_DIR) / "fbx", files);
        const std::filesystem::path written = std::filesystem::temp_directory_path() / "vela_import_bench";
        if (std::filesystem::exists(written))
            AddFiles(written, files);
    }
    std::sort(files.begin(), files.end());
    VelaFBX::InitImporter();
    for (const std::string& file : files)
    {
        std::string model = "-", animation = "-";
        try
        {
            VelaFBX::ImportedModel imported;
            char text[32];
            if (VelaFBX::LoadModel(file, imported, false, true))
            {
                std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(ModelDigest(imported)));
                model = text;
            }
        }
        catch (const std::exception& aError)
        {
            model = std::string("error: ") + aError.what();
        }
        try
        {
            VelaFBX::ImportedAnimation imported;
            char text[32];
            if (VelaFBX::LoadAnimation(file, imported))
            {
                std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(AnimationDigest(imported)));
                animation = text;
            }
        }
        catch (const std::exception& aError)
        {
            animation = std::string("error: ") + aError.what();
        }
        std::printf("%s model %s animation %s\n", std::filesystem::path(file).filename().c_str(), model.c_str(), animation.c_str());
    }
    VelaFBX::UninitImporter();
    return 0;
}
