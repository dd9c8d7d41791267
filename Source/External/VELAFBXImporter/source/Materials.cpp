#include "ImporterInternal.h"

namespace VelaFBX
{
    namespace
    {
        // In the order of the material's texture slots.
        constexpr const char* SLOT_PROPERTIES[] = {
            Vela::Fbx::Material::EMISSIVE,
            Vela::Fbx::Material::AMBIENT,
            Vela::Fbx::Material::DIFFUSE,
            Vela::Fbx::Material::SPECULAR,
            Vela::Fbx::Material::SHININESS,
            Vela::Fbx::Material::BUMP,
            Vela::Fbx::Material::NORMAL_MAP,
            Vela::Fbx::Material::TRANSPARENT_COLOR,
            Vela::Fbx::Material::REFLECTION,
            Vela::Fbx::Material::DISPLACEMENT_COLOR,
            Vela::Fbx::Material::VECTOR_DISPLACEMENT_COLOR,
        };
        static_assert(std::size(SLOT_PROPERTIES) == static_cast<size_t>(MaterialSlot::Count));
    }

    MaterialTexture FindTextureFile(const Vela::Fbx::Material* aMaterial, const char* aPropertyName)
    {
        MaterialTexture result;
        const Vela::Fbx::ObjectProperty* property = aMaterial ? aMaterial->FindProperty(aPropertyName, true) : nullptr;
        if (!property)
            return result;
        // A layered texture needs blending the engine does not do: leave the slot empty.
        if (property->GetSrcObjectCount<Vela::Fbx::LayeredTexture>() > 0)
            return result;
        const Vela::Fbx::Texture* texture = property->GetSrcObject<Vela::Fbx::Texture>(0);
        const Vela::Fbx::FileTexture* file = texture ? texture->As<Vela::Fbx::FileTexture>() : nullptr;
        if (!file)
            return result;
        result.filePath = file->GetFileName();
        result.relativeFilePath = file->GetRelativeFileName();
        const size_t backslash = result.relativeFilePath.rfind('\\');
        result.fileName = backslash == std::string::npos ? result.relativeFilePath : result.relativeFilePath.substr(backslash + 1);
        return result;
    }

    void ReadMaterial(const Vela::Fbx::Material* aMaterial, Material& aOut)
    {
        aOut.name = aMaterial ? aMaterial->GetName() : std::string();
        for (size_t slot = 0; slot < std::size(SLOT_PROPERTIES); ++slot)
            aOut.textures[slot] = FindTextureFile(aMaterial, SLOT_PROPERTIES[slot]);
    }
}
