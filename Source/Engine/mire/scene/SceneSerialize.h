#pragma once
#include "mire/scene/Scene.h"

namespace Vela
{
    // Loads "<game asset root>/<aPath>.leveldata": every extension-less file in it is one scene object
    // in JSON, named by its UUID. Files are read in sorted name order. A missing directory gives an
    // empty scene. Malformed content raises the JSON library's error (after a line naming the file);
    // the scene is then incomplete. Returns true whenever it returns.
    bool LoadScene(const char* aPath, Scene& aOutScene);

    // Reads one scene object from its JSON document. A property whose type is not registered is
    // skipped with a line naming aSourceName and the type.
    void ReadSceneObject(const nlohmann::json& aDocument, SceneObject& aOut, const char* aSourceName);
}
