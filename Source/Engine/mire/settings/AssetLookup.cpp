#include "mire/settings/AssetLookup.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Vela
{
    namespace
    {
        std::vector<std::string> SplitComponents(std::string_view aRelativePath)
        {
            std::vector<std::string> components;
            std::string current;
            for (const char character : aRelativePath)
            {
                if (character == '/' || character == '\\')
                {
                    if (!current.empty() && current != ".")
                    {
                        components.push_back(current);
                    }
                    current.clear();
                }
                else
                {
                    current += character;
                }
            }
            if (!current.empty() && current != ".")
            {
                components.push_back(current);
            }
            return components;
        }

        bool EqualsIgnoringCase(std::string_view aLeft, std::string_view aRight)
        {
            return std::equal(aLeft.begin(), aLeft.end(), aRight.begin(), aRight.end(), [](char a, char b) {
                const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
                return lower(a) == lower(b);
            });
        }

        bool IsRegularFile(const std::filesystem::path& aPath)
        {
            std::error_code error;
            return std::filesystem::is_regular_file(aPath, error);
        }

        // The entry of aDirectory whose name equals aName ignoring case, first in sorted order.
        std::optional<std::filesystem::path> FindEntryIgnoringCase(const std::filesystem::path& aDirectory, std::string_view aName)
        {
            std::error_code error;
            std::filesystem::directory_iterator entries(aDirectory, error);
            if (error)
            {
                return std::nullopt;
            }
            std::vector<std::string> matches;
            for (const auto& entry : entries)
            {
                const std::string name = entry.path().filename().string();
                if (EqualsIgnoringCase(name, aName))
                {
                    matches.push_back(name);
                }
            }
            if (matches.empty())
            {
                return std::nullopt;
            }
            std::sort(matches.begin(), matches.end());
            return aDirectory / matches.front();
        }

        std::optional<std::filesystem::path> FindIgnoringCase(const std::filesystem::path& aRoot, const std::vector<std::string>& someComponents)
        {
            std::filesystem::path current = aRoot;
            for (const std::string& component : someComponents)
            {
                std::error_code error;
                const std::filesystem::path exact = current / component;
                if (component == ".." || std::filesystem::exists(exact, error))
                {
                    current = exact;
                    continue;
                }
                const auto match = FindEntryIgnoringCase(current, component);
                if (!match)
                {
                    return std::nullopt;
                }
                current = *match;
            }
            return IsRegularFile(current) ? std::optional(current) : std::nullopt;
        }
    }

    std::optional<std::filesystem::path> FindAssetFile(std::span<const std::filesystem::path> someRoots, std::string_view aRelativePath)
    {
        const std::vector<std::string> components = SplitComponents(aRelativePath);
        if (components.empty())
        {
            return std::nullopt;
        }
        for (const auto& root : someRoots)
        {
            std::filesystem::path exact = root;
            for (const auto& component : components)
            {
                exact /= component;
            }
            if (IsRegularFile(exact))
            {
                return exact;
            }
            if (auto match = FindIgnoringCase(root, components))
            {
                return match;
            }
        }
        return std::nullopt;
    }
}
