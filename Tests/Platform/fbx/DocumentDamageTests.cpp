// Damaged copies of every real file: the parser may refuse them or read garbage values,
// but it must never crash or read outside the buffer (run under the sanitizer build too).
#include "Platform/fbx/FbxDocument.h"

#include "DocumentBinaryWriter.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

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

    std::string ParseError(const std::string& aBytes)
    {
        Vela::Fbx::Document document;
        std::string error;
        if (Vela::Fbx::ParseDocument({reinterpret_cast<const std::byte*>(aBytes.data()), aBytes.size()}, document, error))
            return "parsed";
        return error;
    }

    std::vector<double> Ramp(size_t aCount, double aStart)
    {
        std::vector<double> values(aCount);
        for (size_t i = 0; i < aCount; ++i)
            values[i] = aStart + 0.25 * static_cast<double>(i);
        return values;
    }

    // Where a value's bytes first sit in the file.
    size_t Find(const std::string& aFile, const double& aValue)
    {
        const size_t at = aFile.find(std::string(reinterpret_cast<const char*>(&aValue), sizeof(double)));
        EXPECT_NE(at, std::string::npos);
        return at;
    }
}

TEST(DocumentDamage, AlteredDataInACompressedArrayIsRefusedByItsChecksum)
{
    // Stored deflate blocks: a changed value still inflates cleanly, only the checksum can tell.
    VelaTest::FbxBinaryWriter writer(7400);
    writer.Begin("Values");
    writer.Array<double>('d', Ramp(64, 1.0), true, 0);
    writer.End();
    const std::string good = writer.Finish();
    ASSERT_EQ(ParseError(good), "parsed");

    std::string altered = good;
    const double value = 3.0;
    const size_t at = Find(altered, value);
    altered[at + 7] ^= 0x01;
    EXPECT_NE(ParseError(altered), "parsed");
    EXPECT_NE(ParseError(altered).find("Compressed array is damaged"), std::string::npos) << ParseError(altered);
}

TEST(DocumentDamage, FirstDamagedCompressedArrayInTheFileIsTheOneReported)
{
    // Large enough arrays that they inflate side by side; the error still names the earliest one.
    VelaTest::FbxBinaryWriter writer(7500);
    writer.Begin("Values");
    writer.Array<double>('d', Ramp(200000, 10.0), true, 0);
    writer.Array<double>('d', Ramp(200000, 1e6), true, 0);
    writer.Array<double>('d', Ramp(200000, 2e6), true, 0);
    writer.End();
    const std::string good = writer.Finish();
    ASSERT_EQ(ParseError(good), "parsed");

    const double first = 10.0;
    const double second = 1e6;
    const double third = 2e6;
    const size_t firstValue = Find(good, first);
    const size_t secondValue = Find(good, second);
    const size_t thirdValue = Find(good, third);

    // Before an array's first value: its type code, count, encoding and length, the zlib header and the
    // stored block's header.
    const size_t headerBytes = 1 + 4 + 4 + 4 + 2 + 5;
    std::string laterTwo = good;
    laterTwo[secondValue + 3] ^= 0x10;
    laterTwo[thirdValue + 3] ^= 0x10;
    EXPECT_EQ(ParseError(laterTwo), "Compressed array is damaged at byte " + std::to_string(secondValue - headerBytes));

    std::string all = laterTwo;
    all[firstValue + 5] ^= 0x10;
    EXPECT_EQ(ParseError(all), "Compressed array is damaged at byte " + std::to_string(firstValue - headerBytes));
}

TEST(DocumentDamage, DamagedCompressedArrayWinsOverALaterBrokenRecord)
{
    VelaTest::FbxBinaryWriter writer(7400);
    writer.Begin("Values");
    writer.Array<double>('d', Ramp(64, 1.0), true, 0);
    writer.End();
    writer.Begin("More");
    writer.Int32(7);
    writer.End();
    std::string file = writer.Finish();
    const double value = 1.0;
    const size_t at = Find(file, value);
    file[at + 6] ^= 0x04;
    // The second record's type code becomes unknown.
    const size_t more = file.find("More");
    ASSERT_NE(more, std::string::npos);
    file[more + 4] = 'Q';
    const size_t headerBytes = 1 + 4 + 4 + 4 + 2 + 5;
    EXPECT_EQ(ParseError(file), "Compressed array is damaged at byte " + std::to_string(at - headerBytes));
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

TEST(DocumentDamage, AFolderInPlaceOfTheFileIsRefused)
{
    // A folder opens like a file and reports a meaningless size; nothing may be allocated or read for it.
    const VelaTest::TempDirectory folder;
    std::filesystem::create_directories(folder.Path() / "Model.fbx");
    Vela::Fbx::Document document;
    std::string error;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = Vela::Fbx::LoadDocument(folder.Path() / "Model.fbx", document, error));
    EXPECT_FALSE(loaded);
    EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;

    // A pipe with no writer must be refused too, not waited on.
    const std::filesystem::path pipe = folder.Path() / "Pipe.fbx";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(Vela::Fbx::LoadDocument(pipe, document, error));
    EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;
}
