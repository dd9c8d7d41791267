#include "mire/model/ModelFactoryServices.h"

#include "mire/graphics/GraphicsServices.h"
#include "mire/texture/TextureManager.h"

#include <mutex>

namespace Vela
{
    namespace
    {
        std::mutex ourWatchMutex;
        ModelFileWatchRegistration ourWatchRegistration;
    }

    void SetModelFileWatchRegistration(ModelFileWatchRegistration aRegistration)
    {
        std::lock_guard lock(ourWatchMutex);
        ourWatchRegistration = std::move(aRegistration);
    }

    ModelFactoryServices GetEngineModelFactoryServices()
    {
        ModelFactoryServices services;
        services.myGetDevice = []() { return GraphicsServices::GetDevice(); };
        services.myLoadTexture = [](const std::string& aPath, TextureSrgbMode aMode) -> const Texture* {
            TextureManager* manager = GraphicsServices::GetTextureManager();
            return manager ? manager->LoadTexture(aPath.c_str(), aMode) : nullptr;
        };
        services.myGetTexture = [](const std::string& aPath, TextureSrgbMode aMode) -> const Texture* {
            TextureManager* manager = GraphicsServices::GetTextureManager();
            return manager ? manager->GetTexture(aPath.c_str(), aMode) : nullptr;
        };
        services.myWatchFile = [](const std::string& aResolvedPath, std::function<void()> aCallback) {
            ModelFileWatchRegistration registration;
            {
                std::lock_guard lock(ourWatchMutex);
                registration = ourWatchRegistration;
            }
            return registration ? registration(aResolvedPath, std::move(aCallback)) : false;
        };
        return services;
    }
}
