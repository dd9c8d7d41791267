#pragma once
// Lines about what a level's build had to leave out (a definition or model file that is missing), one
// per problem, naming the level and the object. The builder keeps doing what it does with such an
// object; these lines only say why it is incomplete.
#include <set>
#include <string>

namespace Vela
{
    struct SceneObject;
}

class LevelBuildReport
{
public:
    // Active on this thread for the life of the object: the level whose objects are being built.
    explicit LevelBuildReport(const std::string& aLevel);
    ~LevelBuildReport();
    LevelBuildReport(const LevelBuildReport&) = delete;
    LevelBuildReport& operator=(const LevelBuildReport&) = delete;

    // Prints "Level "<level>", object "<name>": <problem>" to standard output, once per distinct line.
    static void Note(const Vela::SceneObject& anObject, const std::string& aProblem);

private:
    std::string myLevel;
    std::set<std::string> someNotedLines;
    LevelBuildReport* myOuter = nullptr;
};
