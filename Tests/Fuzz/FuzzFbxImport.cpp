// Feeds arbitrary bytes through the whole import (scene building, conversions, extraction, sampling).
// The import may refuse the file or throw its runtime errors; anything else is a bug.
#include "VelaFBXImporter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    static const std::string path = "/tmp/vela-fuzz-import-" + std::to_string(::getpid()) + ".fbx";
    static const bool initialised = (VelaFBX::InitImporter(), true);
    (void)initialised;
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(aData, 1, aSize, file);
        std::fclose(file);
    }
    try
    {
        VelaFBX::ImportedModel model;
        VelaFBX::LoadModel(path, model, false, true);
        for (const VelaFBX::ImportedMesh& mesh : model.meshes)
        {
            for (uint32_t index : mesh.indices)
            {
                if (index >= mesh.vertices.size())
                    __builtin_trap();
            }
        }
    }
    catch (const std::runtime_error&)
    {
    }
    try
    {
        VelaFBX::ImportedAnimation animation;
        VelaFBX::LoadAnimation(path, animation);
    }
    catch (const std::runtime_error&)
    {
    }
    return 0;
}
