#include "LevelRoute.h"

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace LevelRuns
{
    std::vector<RouteStep> ReadRoute(const std::filesystem::path& aFile)
    {
        static const std::set<std::string> WITHOUT_VALUE = { "jump", "interact", "armed", "exit", "to-right", "to-left", "grab-to-right", "grab-to-left" };
        static const std::set<std::string> WITH_VALUE = { "right", "left", "jump-right", "jump-left", "crouch-right", "crouch-left", "grab-right",
                                                          "grab-left", "crouch", "wait", "glomp-left", "glomp-right", "sweep-left", "sweep-right",
                                                          "crouch-glomp-left", "crouch-glomp-right", "crouch-sweep-left", "crouch-sweep-right" };
        std::ifstream file(aFile);
        if (!file)
        {
            throw std::runtime_error("cannot read " + aFile.string());
        }
        std::vector<RouteStep> steps;
        std::string line;
        for (int number = 1; std::getline(file, line); ++number)
        {
            line = line.substr(0, line.find('#'));
            std::istringstream words(line);
            RouteStep step;
            step.myLine = number;
            if (!(words >> step.myCommand))
            {
                continue;
            }
            const bool takesValue = WITH_VALUE.count(step.myCommand) != 0;
            if (!takesValue && WITHOUT_VALUE.count(step.myCommand) == 0)
            {
                throw std::runtime_error(aFile.filename().string() + ":" + std::to_string(number) + ": unknown step " + step.myCommand);
            }
            if (takesValue && !(words >> step.myValue))
            {
                throw std::runtime_error(aFile.filename().string() + ":" + std::to_string(number) + ": " + step.myCommand + " needs a number");
            }
            steps.push_back(step);
        }
        return steps;
    }
}
