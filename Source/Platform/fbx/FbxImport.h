#pragma once
// Reading a file into a scene: the manager, its IO settings and the importer.
#include "Platform/fbx/FbxScene.h"

#include <string>
#include <string_view>

namespace Vela::Fbx
{
    // ---- Import ------------------------------------------------------------------------------

    class Status
    {
    public:
        enum class Code { Success = 0, Failure, InvalidFile, InvalidFileVersion, InvalidParameter };
        Code GetCode() const { return myCode; }
        bool Error() const { return myCode != Code::Success; }
        const std::string& GetErrorString() const { return myText; }  // "" on success
        void Set(Code aCode, std::string aText) { myCode = aCode; myText = std::move(aText); }
        void Clear() { myCode = Code::Success; myText.clear(); }

    private:
        Code myCode = Code::Success;
        std::string myText;
    };

    // Import options by path name (e.g. "Import|AdvOptGrp|FileFormat|Fbx|Texture"); kept, not interpreted.
    class IoSettings
    {
    public:
        static IoSettings* Create(Manager* aManager, std::string_view aName);
        void SetBoolProp(std::string_view aName, bool aValue);
        bool GetBoolProp(std::string_view aName, bool aDefault) const;
        void Destroy();

    private:
        friend class Manager;
        IoSettings() = default;
        Manager* myManager = nullptr;
        std::unordered_map<std::string, bool> myValues;
    };

    class Importer
    {
    public:
        static Importer* Create(Manager* aManager, std::string_view aName);
        void Destroy();

        // Reads and parses the file. False with the reason in GetStatus() for a missing/unreadable
        // file, a file that is not FBX 7.x, or a damaged one. aFormat is ignored (-1: detect).
        bool Initialize(std::string_view aPath, int aFormat = -1, IoSettings* aSettings = nullptr);
        bool IsFBX() const { return myIsFbx; }
        void GetFileVersion(int& aMajor, int& aMinor, int& aRevision) const;
        // Builds the scene from the initialised file (replacing what aScene held). False with a
        // status when nothing was initialised or the file's object graph is unusable.
        bool Import(Scene* aScene, bool aNonBlocking = false);
        // Animation stacks in the file (valid after Initialize).
        int GetAnimStackCount() const { return myAnimStackCount; }
        const Status& GetStatus() const { return myStatus; }
        Status& GetStatus() { return myStatus; }

    private:
        friend class Manager;
        Importer() = default;
        Manager* myManager = nullptr;
        Status myStatus;
        Document myDocument;
        bool myIsInitialised = false;
        bool myIsFbx = false;
        int myAnimStackCount = 0;
    };

    // Owns everything made through it; Destroy() disposes of all of it.
    class Manager
    {
    public:
        static Manager* Create();
        void Destroy();

    private:
        friend class Scene;
        friend class Importer;
        friend class IoSettings;
        Manager() = default;
        ~Manager();
        void Release(const void* aObject);
        std::mutex myMutex;
        std::vector<std::unique_ptr<Scene>> myScenes;
        std::vector<std::unique_ptr<Importer>> myImporters;
        std::vector<std::unique_ptr<IoSettings>> mySettings;
    };
}
