#include "Platform/fbx/FbxScene.h"
#include "Platform/fbx/FbxSceneBuilder.h"

#include <algorithm>

namespace Vela::Fbx
{
    namespace
    {
        template <class T>
        void EraseOwned(std::vector<std::unique_ptr<T>>& someOwned, const void* aObject)
        {
            someOwned.erase(std::remove_if(someOwned.begin(), someOwned.end(),
                                           [aObject](const std::unique_ptr<T>& aOwned) { return aOwned.get() == aObject; }),
                            someOwned.end());
        }
    }

    // ---- Manager ----

    Manager* Manager::Create() { return new Manager(); }

    void Manager::Destroy() { delete this; }

    Manager::~Manager() = default;

    void Manager::Release(const void* aObject)
    {
        // Moved out under the lock, destroyed outside it.
        std::unique_ptr<Scene> scene;
        std::unique_ptr<Importer> importer;
        std::unique_ptr<IoSettings> settings;
        {
            std::lock_guard lock(myMutex);
            for (auto& owned : myScenes)
                if (owned.get() == aObject)
                    scene = std::move(owned);
            for (auto& owned : myImporters)
                if (owned.get() == aObject)
                    importer = std::move(owned);
            for (auto& owned : mySettings)
                if (owned.get() == aObject)
                    settings = std::move(owned);
            EraseOwned(myScenes, nullptr);
            EraseOwned(myImporters, nullptr);
            EraseOwned(mySettings, nullptr);
        }
    }

    // ---- Scene ----

    Scene::Scene() : Object(ObjectClass::Scene) {}
    Scene::~Scene() = default;

    Scene* Scene::Create(Manager* aManager, std::string_view aName)
    {
        if (!aManager)
            return nullptr;
        std::unique_ptr<Scene> scene(new Scene());
        scene->myManager = aManager;
        scene->myName = std::string(aName);
        scene->myScene = scene.get();
        SceneBuilder::Reset(*scene);
        Scene* result = scene.get();
        std::lock_guard lock(aManager->myMutex);
        aManager->myScenes.push_back(std::move(scene));
        return result;
    }

    void Scene::Destroy()
    {
        if (myManager)
            myManager->Release(this);
    }

    // ---- IO settings ----

    IoSettings* IoSettings::Create(Manager* aManager, std::string_view /*aName*/)
    {
        if (!aManager)
            return nullptr;
        std::unique_ptr<IoSettings> settings(new IoSettings());
        settings->myManager = aManager;
        IoSettings* result = settings.get();
        std::lock_guard lock(aManager->myMutex);
        aManager->mySettings.push_back(std::move(settings));
        return result;
    }

    void IoSettings::SetBoolProp(std::string_view aName, bool aValue) { myValues[std::string(aName)] = aValue; }

    bool IoSettings::GetBoolProp(std::string_view aName, bool aDefault) const
    {
        const auto found = myValues.find(std::string(aName));
        return found == myValues.end() ? aDefault : found->second;
    }

    void IoSettings::Destroy()
    {
        if (myManager)
            myManager->Release(this);
    }

    // ---- Importer ----

    Importer* Importer::Create(Manager* aManager, std::string_view /*aName*/)
    {
        if (!aManager)
            return nullptr;
        std::unique_ptr<Importer> importer(new Importer());
        importer->myManager = aManager;
        Importer* result = importer.get();
        std::lock_guard lock(aManager->myMutex);
        aManager->myImporters.push_back(std::move(importer));
        return result;
    }

    void Importer::Destroy()
    {
        if (myManager)
            myManager->Release(this);
    }

    bool Importer::Initialize(std::string_view aPath, int /*aFormat*/, IoSettings* /*aSettings*/)
    {
        myStatus.Clear();
        myDocument = Document();
        myIsInitialised = false;
        myIsFbx = false;
        myAnimStackCount = 0;
        std::string error;
        if (!LoadDocument(std::filesystem::path(std::string(aPath)), myDocument, error))
        {
            myDocument = Document();
            myStatus.Set(Status::Code::InvalidFile, error.empty() ? "The file could not be read." : error);
            return false;
        }
        myIsInitialised = true;
        myIsFbx = true;
        if (const Record* objects = myDocument.root.Find("Objects"))
            myAnimStackCount = static_cast<int>(objects->FindAll("AnimationStack").size());
        return true;
    }

    void Importer::GetFileVersion(int& aMajor, int& aMinor, int& aRevision) const
    {
        const uint32_t version = myDocument.version;
        aMajor = static_cast<int>(version / 1000);
        aMinor = static_cast<int>(version / 100 % 10);
        aRevision = static_cast<int>(version % 100);
    }

    bool Importer::Import(Scene* aScene, bool /*aNonBlocking*/)
    {
        if (!aScene)
        {
            myStatus.Set(Status::Code::InvalidParameter, "No scene to import into.");
            return false;
        }
        if (!myIsInitialised)
        {
            myStatus.Set(Status::Code::Failure, "The importer was not initialised with a file.");
            return false;
        }
        std::string error;
        const bool built = SceneBuilder::Build(myDocument, *aScene, error);
        // The scene keeps everything it needs; the records are not needed again.
        const uint32_t version = myDocument.version;
        myDocument.Clear();
        myDocument.version = version;
        myIsInitialised = false;
        if (!built)
        {
            myStatus.Set(Status::Code::InvalidFile, error);
            return false;
        }
        return true;
    }
}
