#include "mire/model/ModelFactory.h"

namespace Vela
{
    const Texture* ModelFactory::LoadFirstFound(std::initializer_list<std::string> somePaths, const char* aDefaultPath, TextureSrgbMode aMode)
    {
        if (myServices.myLoadTexture)
        {
            for (const std::string& path : somePaths)
            {
                if (const Texture* texture = myServices.myLoadTexture(path, aMode))
                {
                    return texture;
                }
            }
        }
        return myServices.myGetTexture ? myServices.myGetTexture(aDefaultPath, aMode) : nullptr;
    }

    // A texture named after the model's material, next to the model file, wins over one named after the file.
    const Texture* ModelFactory::LoadColorTexture(const std::string& aBasePath, const std::string& aMaterialPath)
    {
        return LoadFirstFound({ aMaterialPath + "_C.dds", aMaterialPath + "_D.dds", aBasePath + "_C.dds", aBasePath + "_D.dds" },
                              "Textures/T_Default_c.dds", TextureSrgbMode::ForceSrgb);
    }

    const Texture* ModelFactory::LoadNormalTexture(const std::string& aBasePath, const std::string& aMaterialPath)
    {
        return LoadFirstFound({ aMaterialPath + "_N.dds", aBasePath + "_N.dds" }, "Textures/T_Default_n.dds", TextureSrgbMode::IgnoreSrgb);
    }

    const Texture* ModelFactory::LoadMaterialTexture(const std::string& aBasePath, const std::string& aMaterialPath)
    {
        return LoadFirstFound({ aMaterialPath + "_M.dds", aBasePath + "_M.dds" }, "Textures/T_Default_m.dds", TextureSrgbMode::IgnoreSrgb);
    }

    const Texture* ModelFactory::LoadEffectsTexture(const std::string& aBasePath, const std::string& aMaterialPath)
    {
        return LoadFirstFound({ aMaterialPath + "_FX.dds", aBasePath + "_FX.dds" }, "Textures/T_Default_fx.dds", TextureSrgbMode::IgnoreSrgb);
    }

    void ModelFactory::LoadMaterialTextures(const std::string& aModelPath, Model& aModel)
    {
        const size_t dot = aModelPath.find_last_of('.');
        const std::string base = dot == std::string::npos ? aModelPath : aModelPath.substr(0, dot);
        const size_t slash = aModelPath.find_last_of("/\\");
        const std::string directory = slash == std::string::npos ? std::string() : aModelPath.substr(0, slash + 1);

        const size_t meshCount = std::min<size_t>(aModel.GetMeshes().size(), MAX_MESHES_PER_MODEL);
        for (size_t i = 0; i < meshCount; ++i)
        {
            const std::string materialPath = directory + aModel.GetMeshes()[i].myMaterialName;
            aModel.SetMeshTextures(i, { LoadColorTexture(base, materialPath), LoadNormalTexture(base, materialPath),
                                        LoadMaterialTexture(base, materialPath), LoadEffectsTexture(base, materialPath) });
        }
    }
}
