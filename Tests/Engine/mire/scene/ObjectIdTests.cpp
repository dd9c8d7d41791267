#include "mire/scene/ObjectIdTable.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

using namespace Vela;

namespace
{
    // XXH64 as published, for inputs below 32 bytes, written independently of the engine's version.
    uint64_t Rotl(uint64_t aValue, int aBits) { return (aValue << aBits) | (aValue >> (64 - aBits)); }
    uint64_t Read64(const uint8_t* aBytes) { uint64_t v = 0; for (int i = 0; i < 8; ++i) v |= uint64_t(aBytes[i]) << (8 * i); return v; }
    uint32_t Read32(const uint8_t* aBytes) { uint32_t v = 0; for (int i = 0; i < 4; ++i) v |= uint32_t(aBytes[i]) << (8 * i); return v; }

    uint64_t ReferenceXxh64(const void* aData, size_t aLength, uint64_t aSeed)
    {
        const uint64_t p1 = 11400714785074694791ull, p2 = 14029467366897019727ull, p3 = 1609587929392839161ull;
        const uint64_t p4 = 9650029242287828579ull, p5 = 2870177450012600261ull;
        const auto* p = static_cast<const uint8_t*>(aData);
        const uint8_t* end = p + aLength;
        uint64_t h = aSeed + p5 + aLength;
        for (; p + 8 <= end; p += 8) h = Rotl(h ^ (Rotl(Read64(p) * p2, 31) * p1), 27) * p1 + p4;
        if (p + 4 <= end) { h = Rotl(h ^ (uint64_t(Read32(p)) * p1), 23) * p2 + p3; p += 4; }
        for (; p < end; ++p) h = Rotl(h ^ (*p * p5), 11) * p1;
        h ^= h >> 33; h *= p2; h ^= h >> 29; h *= p3; h ^= h >> 32;
        return h;
    }
}

TEST(HashBytes, MatchesPublishedXxh64ForShortInputs)
{
    // Published values of XXH64 with seed 0: the reference must reproduce them first.
    EXPECT_EQ(ReferenceXxh64("", 0, 0), 0xEF46DB3751D8E999ull);
    EXPECT_EQ(ReferenceXxh64("abc", 3, 0), 0x44BC2CF5AD770999ull);

    EXPECT_EQ(XXH64_START_FOR_16_BYTES, 0x27D4EB2F165667D5ull);
    std::mt19937 random(12345);
    for (size_t length = 0; length < 32; ++length)
    {
        std::vector<uint8_t> bytes(length);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        for (uint64_t seed : { 0ull, 1ull, 0x123456789ABCDEFull })
        {
            const uint64_t start = seed + 0x27D4EB2F165667C5ull + length;
            EXPECT_EQ(HashBytes(start, bytes.data(), length), ReferenceXxh64(bytes.data(), length, seed)) << length;
        }
    }
    const auto guid = ParseUuid("6f1c2a3b-4d5e-4f60-8172-93a4b5c6d7e8");
    ASSERT_TRUE(guid);
    EXPECT_EQ(HashBytes(XXH64_START_FOR_16_BYTES, guid->data(), 16), ReferenceXxh64(guid->data(), 16, 0));
}

TEST(ParseUuid, AcceptsOnlyTheHyphenatedFormAndStoresFieldsInMemoryOrder)
{
    const auto guid = ParseUuid("00112233-4455-6677-8899-AaBbCcDdEeFf");
    ASSERT_TRUE(guid);
    const Guid expected = { 0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF };
    EXPECT_EQ(*guid, expected);

    for (const char* bad : { "", "00112233-4455-6677-8899-aabbccddeef", "00112233-4455-6677-8899-aabbccddeeff0",
                             "{00112233-4455-6677-8899-aabbccddeeff}", "00112233-4455-6677-8899_aabbccddeeff",
                             "0011223-34455-6677-8899-aabbccddeeff", "00112233-4455-6677-8899-aabbccddeegf",
                             "00112233-4455-6677-8899-aabbccdd ee", "Level 1", "0x112233-4455-6677-8899-aabbccddeeff" })
    {
        EXPECT_FALSE(ParseUuid(bad)) << bad;
    }
}

TEST(ObjectIds, AreHandedOutInFirstSeenOrderAndStayStable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process, so that this is the first UUID of the run.
    EXPECT_EXIT(std::exit(FindIdByGuidString("aaaaaaaa-0000-0000-0000-000000000001") == 1 ? 0 : 1), testing::ExitedWithCode(0), "");

    const uint32_t first = FindIdByGuidString("aaaaaaaa-0000-0000-0000-0000000000a1");
    const uint32_t second = FindIdByGuidString("aaaaaaaa-0000-0000-0000-0000000000a2");
    EXPECT_NE(first, 0u);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(FindIdByGuidString("AAAAAAAA-0000-0000-0000-0000000000A1"), first);
    EXPECT_EQ(FindIdByGuidString("00000000-0000-0000-0000-000000000000"), 0u);
    EXPECT_EQ(FindIdByGuidString("not a uuid"), 0u);
    EXPECT_EQ(FindIdByGuidString(nullptr), 0u);
}

TEST(ObjectIds, ConcurrentLookupsAgree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 500; ++i)
    {
        char text[37];
        snprintf(text, sizeof(text), "bbbbbbbb-0000-0000-0000-%012d", i);
        texts.emplace_back(text);
    }
    std::vector<uint32_t> ids[2] = { std::vector<uint32_t>(texts.size()), std::vector<uint32_t>(texts.size()) };
    auto work = [&](int aThread) {
        for (size_t i = 0; i < texts.size(); ++i)
        {
            const size_t index = aThread == 0 ? i : texts.size() - 1 - i;
            ids[aThread][index] = FindIdByGuidString(texts[index].c_str());
        }
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    first.join();
    second.join();
    EXPECT_EQ(ids[0], ids[1]);
    std::sort(ids[0].begin(), ids[0].end());
    EXPECT_EQ(std::adjacent_find(ids[0].begin(), ids[0].end()), ids[0].end());
    EXPECT_EQ(ids[0].back() - ids[0].front(), texts.size() - 1);
}
