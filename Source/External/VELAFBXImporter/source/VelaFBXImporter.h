#pragma once
// The FBX import library: model and animation files into the plain records of VelaFBXRecords.h.
// One import runs at a time across the whole library; concurrent calls wait for each other.
#include "VelaFBXRecords.h"

#include <string>

namespace VelaFBX
{
    // Sets the library up; a second call does nothing.
    void InitImporter();
    // Tears it down; the library may be initialised again afterwards.
    void UninitImporter();

    // True on success. False with a message in the last error when the file cannot be opened or read
    // as FBX; other failures (no UV layers, duplicate bone names, ...) are thrown as runtime errors.
    // A file with neither meshes nor LOD groups returns true and leaves aOut as it was.
    bool LoadModel(const std::string& aPath, ImportedModel& aOut, bool aForceTangents, bool aDeduplicate);

    // The first take sampled at every frame. Same failure rules as LoadModel; a file without a skeleton
    // or an animation stack throws.
    bool LoadAnimation(const std::string& aPath, ImportedAnimation& aOut);

    // The message of the last failure that returned false (never cleared on success).
    std::string GetLastError();
}
