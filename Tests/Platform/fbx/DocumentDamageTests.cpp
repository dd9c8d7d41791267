// Damaged copies of every real file: the parser may refuse them or read garbage values,
// but it must never crash or read outside the buffer (run under the sanitizer build too).
#include "Platform/fbx/FbxDocument.h"

#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    std::vector<std::string> FixtureContents()
    {
        std::vector<std::string> contents;
        for (const auto& entry : std::filesystem::directory_iterator(VelaTest::FixturePath("fbx")))
        {
            if (entry.path().extension() == ".fbx")
                contents.push_back(VelaTest::ReadFile(entry.path()));
        }
        return contents;
    }

    bool Parse(const std::string& aBytes)
    {
        Vela::Fbx::Document document;
        std::string error;
        const bool parsed = Vela::Fbx::ParseDocument({reinterpret_cast<const std::byte*>(aBytes.data()), aBytes.size()}, document, error);
        if (!parsed)
        {
            EXPECT_FALSE(error.empty());
        }
        return parsed;
    }
}

TEST(DocumentDamage, TruncatedCopiesNeverCrash)
{
    for (const std::string& content : FixtureContents())
    {
        // Every cut in the first kilobyte (headers), then cuts spread over the rest.
        const size_t step = std::max<size_t>(1, content.size() / 200);
        for (size_t length = 0; length < content.size(); length += length < 1024 ? 1 : step)
            Parse(content.substr(0, length));
    }
}

TEST(DocumentDamage, BitFlippedCopiesNeverCrash)
{
    std::mt19937 random(1234);
    for (const std::string& content : FixtureContents())
    {
        std::uniform_int_distribution<size_t> position(0, content.size() - 1);
        std::uniform_int_distribution<int> bit(0, 7);
        for (int trial = 0; trial < 150; ++trial)
        {
            std::string damaged = content;
            const int flips = 1 + trial % 4;
            for (int i = 0; i < flips; ++i)
                damaged[position(random)] ^= static_cast<char>(1 << bit(random));
            Parse(damaged);
        }
    }
}
