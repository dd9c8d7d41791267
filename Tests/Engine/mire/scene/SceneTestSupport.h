#pragma once
#include "Support/TestSupport.h"
#include "mire/settings/Settings.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

namespace VelaTest
{
    // A temporary game asset root for the duration of a test.
    class GameRoot
    {
    public:
        GameRoot() { Vela::Settings::SetAssetRootsForTesting(myDirectory.Path() / "engine", myDirectory.Path(), myDirectory.Path() / "cooked"); }
        ~GameRoot() { Vela::Settings::SetAssetRootsForTesting({}, {}, {}); }

        std::filesystem::path Write(const std::filesystem::path& aRelative, std::string_view aContent) const
        {
            return myDirectory.Write(aRelative, aContent);
        }
        const std::filesystem::path& Path() const { return myDirectory.Path(); }

    private:
        TempDirectory myDirectory;
    };

    // Runs aAction, which must raise a JSON library error of this id; gives its message.
    template <typename Action>
    std::string JsonErrorOf(Action&& aAction, int aId)
    {
        try
        {
            aAction();
        }
        catch (const nlohmann::json::exception& anError)
        {
            EXPECT_EQ(anError.id, aId) << anError.what();
            return anError.what();
        }
        ADD_FAILURE() << "no JSON error raised";
        return {};
    }
}
