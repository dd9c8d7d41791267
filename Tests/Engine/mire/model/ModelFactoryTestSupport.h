#pragma once
// A model factory bound to a fake device, fake textures and a recording file watch, with the shared FBX
// fixtures as the engine asset root and a fresh temporary folder as the game asset root.
#include "FakeDevice.h"

#include "Support/TestSupport.h"

#include "mire/model/ModelFactory.h"
#include "mire/settings/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace VelaTest
{
    class ModelFactoryTest : public testing::Test
    {
    protected:
        void SetUp() override
        {
            Vela::Settings::SetAssetRootsForTesting(FixturePath(""), myGameRoot.Path(), myGameRoot.Path() / "cooked");
            Vela::ModelFactoryServices services;
            services.myGetDevice = [this]() -> Vela::Gfx::Device* { return myDeviceAvailable ? &myDevice : nullptr; };
            services.myLoadTexture = [this](const std::string& aPath, Vela::TextureSrgbMode aMode) -> const Vela::Texture* {
                std::lock_guard lock(myMutex);
                myTextureRequests.push_back(aPath);
                myTextureModes.push_back(aMode);
                return myExistingTextures.count(aPath) ? FakeTexture(aPath) : nullptr;
            };
            services.myGetTexture = [this](const std::string& aPath, Vela::TextureSrgbMode aMode) -> const Vela::Texture* {
                std::lock_guard lock(myMutex);
                myTextureRequests.push_back("default:" + aPath);
                myTextureModes.push_back(aMode);
                return FakeTexture(aPath);
            };
            services.myWatchFile = [this](const std::string& aPath, std::function<void()> aCallback) {
                std::lock_guard lock(myMutex);
                myWatches.emplace_back(aPath, std::move(aCallback));
                return true;
            };
            Vela::ModelFactory::SetServices(services);
        }

        void TearDown() override
        {
            Vela::ModelFactory::DestroyInstance();
            Vela::ModelFactory::SetServices(Vela::GetEngineModelFactoryServices());
        }

        Vela::ModelFactory& Factory() { return Vela::ModelFactory::GetInstance(); }

        // A stand-in texture: a distinct address per path, never dereferenced.
        const Vela::Texture* FakeTexture(const std::string& aPath)
        {
            auto [entry, inserted] = myFakeTextureIds.try_emplace(aPath, myFakeTextureIds.size());
            return reinterpret_cast<const Vela::Texture*>(&myFakeTextureStorage[entry->second % FAKE_TEXTURES]);
        }

        // Copies a shared fixture into the game root under a new relative path (a temporary folder only).
        std::filesystem::path PlaceFixture(const std::string& aFixture, const std::string& aRelative)
        {
            const std::filesystem::path target = myGameRoot.Path() / aRelative;
            std::filesystem::create_directories(target.parent_path());
            std::filesystem::copy_file(FixturePath("fbx/" + aFixture), target, std::filesystem::copy_options::overwrite_existing);
            return target;
        }

        static constexpr size_t FAKE_TEXTURES = 64;
        TempDirectory myGameRoot;
        FakeDevice myDevice;
        bool myDeviceAvailable = true;
        std::mutex myMutex;
        std::set<std::string> myExistingTextures;
        std::vector<std::string> myTextureRequests;
        std::vector<Vela::TextureSrgbMode> myTextureModes;
        std::vector<std::pair<std::string, std::function<void()>>> myWatches;
        std::map<std::string, size_t> myFakeTextureIds;
        char myFakeTextureStorage[FAKE_TEXTURES] = {};
    };
}
