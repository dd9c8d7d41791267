// Expands the readable level layouts into the game's scene folders and writes the scene-object
// definitions, at build time: make_levels <layout folder> <game asset root>.
#include "LevelLayout.h"
#include "SceneFiles.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <layout folder> <game asset root>\n", argv[0]);
        return 2;
    }
    try
    {
        const std::filesystem::path gameRoot = argv[2];
        std::vector<std::filesystem::path> layouts;
        for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(argv[1]))
        {
            if (entry.path().extension() == ".json")
            {
                layouts.push_back(entry.path());
            }
        }
        std::sort(layouts.begin(), layouts.end());
        Levels::WriteDefinitions(gameRoot);
        for (const std::filesystem::path& layout : layouts)
        {
            std::ifstream file(layout);
            Levels::WriteScene(gameRoot, Levels::ExpandLevel(nlohmann::json::parse(file)));
        }
    }
    catch (const std::exception& anError)
    {
        std::fprintf(stderr, "make_levels: %s\n", anError.what());
        return 1;
    }
    return 0;
}
