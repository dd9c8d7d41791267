#include "Levels/LevelBuildReport.h"

#include "mire/scene/Scene.h"

#include <cstdio>

namespace
{
    // The main thread and the loader's worker each build their own levels.
    thread_local LevelBuildReport* theActiveReport = nullptr;
}

LevelBuildReport::LevelBuildReport(const std::string& aLevel)
    : myLevel(aLevel)
    , myOuter(theActiveReport)
{
    theActiveReport = this;
}

LevelBuildReport::~LevelBuildReport()
{
    theActiveReport = myOuter;
}

void LevelBuildReport::Note(const Vela::SceneObject& anObject, const std::string& aProblem)
{
    const std::string level = theActiveReport ? theActiveReport->myLevel : std::string("?");
    const std::string line = "Level \"" + level + "\", object \"" + anObject.name + "\": " + aProblem;
    // The player's and the boxes' models are read twice (animated and static): one line is enough.
    if (theActiveReport && !theActiveReport->someNotedLines.insert(line).second)
    {
        return;
    }
    std::printf("%s\n", line.c_str());
}
