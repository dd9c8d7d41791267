#include "mire/stringRegistry/StringRegistry.h"
#include "Support/AssertionCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

using Vela::StringId;
using Vela::StringRegistry;

TEST(StringRegistry, SizeLimitCountsTheTerminator)
{
    VelaTest::AssertionCapture capture;
    const std::string longest(1023, 'a');
    const StringId kept = StringRegistry::RegisterOrGetString(longest);
    EXPECT_EQ(std::string(kept.GetString()), longest);
    EXPECT_EQ(capture.Count(), 0u);

    const size_t before = StringRegistry::GetStringCount();
    const StringId refused = StringRegistry::RegisterOrGetString(std::string(1024, 'b'));
    EXPECT_TRUE(refused.IsEmpty());
    EXPECT_EQ(StringRegistry::GetStringCount(), before);
    EXPECT_TRUE(capture.Contains("aString.size() + 1 <= STRING_REGISTRY_SIZE_LIMIT"));
}

TEST(StringRegistry, EqualTextGivesTheSamePointerThroughEitherEntry)
{
    std::string text = "Player_Jump";
    const StringId first = StringRegistry::RegisterOrGetString(text);
    text[0] = 'X'; // the registry holds its own copy
    const StringId second = StringRegistry::RegisterOrGetString(std::string("Player_Jump"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.GetPointer(), second.GetPointer());
    EXPECT_STREQ(first.GetString(), "Player_Jump");
    EXPECT_EQ(StringRegistry::RegisterStaticString("Player_Jump", 11), first);
    EXPECT_NE(StringRegistry::RegisterOrGetString("Player_Land"), first);
}

TEST(StringRegistry, ALiteralRegisteredFirstIsTheId)
{
    static const char LITERAL[] = "a literal that was registered first";
    const StringId fromLiteral = StringRegistry::RegisterStaticString(LITERAL, sizeof(LITERAL) - 1);
    EXPECT_EQ(fromLiteral.GetPointer(), LITERAL);
    EXPECT_EQ(StringRegistry::RegisterOrGetString(std::string(LITERAL)).GetPointer(), LITERAL);
}

TEST(StringRegistry, EmptyTextIsTheEmptyId)
{
    EXPECT_TRUE(StringRegistry::RegisterOrGetString("").IsEmpty());
    EXPECT_TRUE(StringRegistry::RegisterStaticString("abc", 0).IsEmpty());
    const StringId empty;
    EXPECT_STREQ(empty.GetString(), "");
    EXPECT_EQ(std::hash<StringId>()(empty), static_cast<size_t>(Vela::FNV_OFFSET_BASIS));
    EXPECT_EQ(std::hash<StringId>()(StringRegistry::RegisterOrGetString("a")), static_cast<size_t>(0xaf63dc4c8601ec8cull));
}

TEST(StringRegistry, TextIsCutAtTheFirstNul)
{
    const std::string withNul("Door\0Hidden", 11);
    const StringId id = StringRegistry::RegisterOrGetString(withNul);
    EXPECT_STREQ(id.GetString(), "Door");
    EXPECT_EQ(id, StringRegistry::RegisterOrGetString("Door"));
    EXPECT_EQ(StringRegistry::RegisterOrGetString(std::string("\0x", 2)), StringId());
}

TEST(StringRegistry, NewBlocksKeepEarlierIdsValid)
{
    const StringId early = StringRegistry::RegisterOrGetString("registered before the block fills");
    const size_t blocksBefore = StringRegistry::GetBlockCount();
    std::vector<StringId> ids;
    for (int i = 0; i < 1200; ++i)
    {
        ids.push_back(StringRegistry::RegisterOrGetString(std::to_string(i) + std::string(1000, 'z')));
    }
    EXPECT_GE(StringRegistry::GetBlockCount(), blocksBefore + 1);
    EXPECT_STREQ(early.GetString(), "registered before the block fills");
    for (int i = 0; i < 1200; ++i)
    {
        ASSERT_EQ(std::string(ids[static_cast<size_t>(i)].GetString()), std::to_string(i) + std::string(1000, 'z'));
    }
}

TEST(StringRegistry, ConcurrentRegistrationAgreesOnOnePointerPerText)
{
    constexpr int THREADS = 6;
    constexpr int TEXTS = 2000;
    std::vector<std::vector<StringId>> results(THREADS);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
    {
        threads.emplace_back([t, &results] {
            for (int i = 0; i < TEXTS; ++i)
            {
                // Each thread walks the same texts in a different order.
                const int index = (i * 7 + t * 131) % TEXTS;
                results[static_cast<size_t>(t)].push_back(StringRegistry::RegisterOrGetString("concurrent-" + std::to_string(index)));
            }
        });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    std::unordered_map<std::string, const char*> seen;
    for (const auto& perThread : results)
    {
        for (const StringId id : perThread)
        {
            auto [entry, inserted] = seen.emplace(id.GetString(), id.GetPointer());
            ASSERT_EQ(entry->second, id.GetPointer()) << id.GetString();
        }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(TEXTS));
}
