#include "mire/settings/AssetLookup.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Vela
{
    namespace
    {
        // The path's folders and file name with "." dropped and each ".." taking back the name before it. Nothing when
        // a ".." would climb above the start: such a name would leave every root it is looked up in.
        std::optional<std::vector<std::string>> SplitComponents(std::string_view aRelativePath)
        {
            std::vector<std::string> components;
            std::string current;
            bool escapes = false;
            const auto take = [&]() {
                if (current == "..")
                {
                    if (components.empty())
                    {
                        escapes = true;
                    }
                    else
                    {
                        components.pop_back();
                    }
                }
                else if (!current.empty() && current != ".")
                {
                    components.push_back(current);
                }
                current.clear();
            };
            for (const char character : aRelativePath)
            {
                if (character == '/' || character == '\\')
                {
                    take();
                }
                else
                {
                    current += character;
                }
            }
            take();
            if (escapes)
            {
                return std::nullopt;
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

        // The entries of aDirectory whose names equal aName ignoring case, in sorted order.
        std::vector<std::string> FindEntriesIgnoringCase(const std::filesystem::path& aDirectory, std::string_view aName)
        {
            std::vector<std::string> matches;
            std::error_code error;
            std::filesystem::directory_iterator entries(aDirectory, error);
            if (error)
            {
                return matches;
            }
            for (const auto& entry : entries)
            {
                const std::string name = entry.path().filename().string();
                if (EqualsIgnoringCase(name, aName))
                {
                    matches.push_back(name);
                }
            }
            std::sort(matches.begin(), matches.end());
            return matches;
        }

        // Below aDirectory, the components from aFirst on: the exact name first, then every other name that differs only
        // in case, in sorted order, until one leads to a regular file.
        std::optional<std::filesystem::path> FindIgnoringCase(const std::filesystem::path& aDirectory, const std::vector<std::string>& someComponents,
                                                              size_t aFirst)
        {
            if (aFirst == someComponents.size())
            {
                return IsRegularFile(aDirectory) ? std::optional(aDirectory) : std::nullopt;
            }
            const std::string& component = someComponents[aFirst];
            std::error_code error;
            const std::filesystem::path exact = aDirectory / component;
            if (std::filesystem::exists(exact, error))
            {
                if (auto found = FindIgnoringCase(exact, someComponents, aFirst + 1))
                {
                    return found;
                }
            }
            for (const std::string& name : FindEntriesIgnoringCase(aDirectory, component))
            {
                if (name == component)
                {
                    continue;
                }
                if (auto found = FindIgnoringCase(aDirectory / name, someComponents, aFirst + 1))
                {
                    return found;
                }
            }
            return std::nullopt;
        }
    }

    std::optional<std::filesystem::path> FindAssetFile(std::span<const std::filesystem::path> someRoots, std::string_view aRelativePath)
    {
        const std::optional<std::vector<std::string>> split = SplitComponents(aRelativePath);
        if (!split || split->empty())
        {
            return std::nullopt;
        }
        const std::vector<std::string>& components = *split;
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
            if (auto match = FindIgnoringCase(root, components, 0))
            {
                return match;
            }
        }
        return std::nullopt;
    }
}
