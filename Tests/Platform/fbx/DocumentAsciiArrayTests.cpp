// ASCII number arrays, small and large (a large one is read in pieces side by side), checked value for value
// against std::from_chars on the same text.
#include "Platform/fbx/FbxDocument.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <random>
#include <string>
#include <vector>

namespace
{
    using Vela::Fbx::Property;

    // Integers, when every value is written as one and fits, else reals; as std::from_chars reads them.
    struct Expected
    {
        bool integers = true;
        std::vector<int64_t> wholes;
        std::vector<double> reals;
    };

    Expected ReadWithFromChars(const std::vector<std::string>& someTexts)
    {
        Expected expected;
        std::vector<int64_t> wholes;
        std::vector<bool> isWhole;
        std::vector<double> reals;
        for (std::string text : someTexts)
        {
            if (text.front() == '+')
                text.erase(0, 1);
            const char* end = text.data() + text.size();
            int64_t whole = 0;
            const auto wholeRead = std::from_chars(text.data(), end, whole);
            if (text.find_first_of(".eE") == std::string::npos && wholeRead.ec == std::errc() && wholeRead.ptr == end)
            {
                wholes.push_back(whole);
                reals.push_back(static_cast<double>(whole));
                continue;
            }
            double real = 0.0;
            const auto realRead = std::from_chars(text.data(), end, real);
            EXPECT_TRUE(realRead.ec == std::errc() && realRead.ptr == end) << text;
            reals.push_back(real);
            expected.integers = false;
        }
        expected.wholes = std::move(wholes);
        expected.reals = std::move(reals);
        return expected;
    }

    std::string RandomNumberText(std::mt19937_64& aRandom, bool aWholeOnly)
    {
        std::uniform_int_distribution<int> kind(0, aWholeOnly ? 2 : 9);
        std::uniform_int_distribution<int> digitCount(1, 20);
        std::uniform_int_distribution<int> digit(0, 9);
        const auto digits = [&](int aCount)
        {
            std::string text;
            for (int i = 0; i < aCount; ++i)
                text += static_cast<char>('0' + digit(aRandom));
            return text;
        };
        const std::string sign = aRandom() % 3 == 0 ? "-" : "";
        switch (kind(aRandom))
        {
        case 0:
            return sign + digits(1 + static_cast<int>(aRandom() % 3));
        case 1:
            return sign + digits(digitCount(aRandom) % 18 + 1);
        case 2:
            return aRandom() % 2 ? "+" + digits(4) : sign + "0";
        case 3:
            return sign + digits(1) + "." + digits(1 + static_cast<int>(aRandom() % 6));
        case 4:
            return sign + digits(digitCount(aRandom) % 8 + 1) + "." + digits(digitCount(aRandom));
        case 5:
            return sign + digits(1) + "." + digits(14) + "e-" + digits(2);
        case 6:
            return sign + digits(3) + "E+" + digits(1);
        case 7:
            return sign + "." + digits(3);
        case 8:
            return sign + digits(2) + ".";
        default:
            return sign + digits(digitCount(aRandom)) + (aRandom() % 2 ? ".0" : "");
        }
    }

    std::string MakeFile(const std::vector<std::string>& someTexts, const std::vector<std::string>& someSeparators)
    {
        std::string text = "; FBX 7.4.0 project file\nFBXHeaderExtension:  {\n\tFBXVersion: 7400\n}\nObjects:  {\n\tValues: *";
        text += std::to_string(someTexts.size()) + " {\n\t\ta: ";
        for (size_t i = 0; i < someTexts.size(); ++i)
        {
            if (i > 0)
                text += someSeparators[i % someSeparators.size()];
            text += someTexts[i];
        }
        text += "\n\t}\n}\n";
        return text;
    }

    bool Parse(const std::string& aText, Vela::Fbx::Document& aOut, std::string& aError)
    {
        return Vela::Fbx::ParseDocument({reinterpret_cast<const std::byte*>(aText.data()), aText.size()}, aOut, aError);
    }

    void ExpectValues(const std::string& aText, const std::vector<std::string>& someTexts)
    {
        Vela::Fbx::Document document;
        std::string error;
        ASSERT_TRUE(Parse(aText, document, error)) << error;
        const Property& values = document.root.Find("Objects")->Find("Values")->properties.at(0);
        const Expected expected = ReadWithFromChars(someTexts);
        if (expected.integers)
        {
            ASSERT_EQ(values.GetType(), Property::Type::Int64Array);
            EXPECT_TRUE(std::get<std::vector<int64_t>>(values.GetValue()) == expected.wholes);
            return;
        }
        ASSERT_EQ(values.GetType(), Property::Type::Float64Array);
        const auto& read = std::get<std::vector<double>>(values.GetValue());
        ASSERT_EQ(read.size(), expected.reals.size());
        for (size_t i = 0; i < read.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint64_t>(read[i]), std::bit_cast<uint64_t>(expected.reals[i])) << someTexts[i];
    }

    std::vector<std::string> RandomTexts(size_t aCount, bool aWholeOnly, uint64_t aSeed)
    {
        std::mt19937_64 random(aSeed);
        std::vector<std::string> texts;
        for (size_t i = 0; i < aCount; ++i)
            texts.push_back(RandomNumberText(random, aWholeOnly));
        return texts;
    }
}

TEST(DocumentAsciiArrays, SmallAndLargeArraysReadAsFromCharsReadsThem)
{
    for (const size_t count : {size_t{7}, size_t{300}, size_t{120000}})
    {
        for (const bool wholeOnly : {true, false})
        {
            const std::vector<std::string> texts = RandomTexts(count, wholeOnly, count * 2 + wholeOnly);
            ExpectValues(MakeFile(texts, {","}), texts);
            ExpectValues(MakeFile(texts, {",", ", ", ",\n\t\t", " ,\r\n"}), texts);
        }
    }
}

TEST(DocumentAsciiArrays, DecimalsOfSixteenToNineteenDigitsReadAsFromCharsReadsThem)
{
    // Around the exact-double limits: 2^53 = 9007199254740992 as the digits, 22 digits after the point.
    std::vector<std::string> texts = {"0.0990169644355774", "-0.0990169644355774", "900719925474099.2", "900719925474099.3",
                                      "9007199254740.993", "0.0000000000000000000001", "0.00000000000000000000001",
                                      "1.234567890123456789", "-0.0000000000000000000000", "12345678901234567.5"};
    std::mt19937_64 random(17);
    for (int i = 0; i < 2000; ++i)
        texts.push_back((i % 2 ? "-0.0" : "0.") + std::to_string(random() % 10000000000000000ull));
    for (const size_t repeat : {size_t{1}, size_t{60}})
    {
        std::vector<std::string> repeated;
        for (size_t r = 0; r < repeat; ++r)
            repeated.insert(repeated.end(), texts.begin(), texts.end());
        ExpectValues(MakeFile(repeated, {","}), repeated);
    }
}

TEST(DocumentAsciiArrays, IntegersTooLargeForInt64MakeTheWholeArrayReal)
{
    std::vector<std::string> texts = RandomTexts(100000, true, 5);
    texts[73000] = "98765432109876543210";
    ExpectValues(MakeFile(texts, {","}), texts);
}

TEST(DocumentAsciiArrays, TrailingCommaAndACommentInALargeArray)
{
    const std::vector<std::string> texts = RandomTexts(100000, false, 9);
    std::string text = MakeFile(texts, {","});
    text.insert(text.rfind("\n\t}"), ",  ");
    ExpectValues(text, texts);

    const size_t middle = text.find(',', text.size() / 2) + 1;
    text.insert(middle, "\n\t\t; a comment, with commas } and a brace\n\t\t");
    ExpectValues(text, texts);
}

TEST(DocumentAsciiArrays, MalformedValueInALargeArrayNamesItsLine)
{
    std::vector<std::string> texts = RandomTexts(100000, false, 11);
    texts[61234] = "1.5.2";
    // One value a line: the array's values start on line 7.
    const std::string text = MakeFile(texts, {",\n"});
    Vela::Fbx::Document document;
    std::string error;
    EXPECT_FALSE(Parse(text, document, error));
    EXPECT_EQ(error, "Not a readable ASCII FBX file: Malformed number in array on line " + std::to_string(7 + 61234));

    std::vector<std::string> gap = RandomTexts(100000, true, 12);
    gap[5000] = "";
    EXPECT_FALSE(Parse(MakeFile(gap, {",\n"}), document, error));
    EXPECT_EQ(error, "Not a readable ASCII FBX file: Malformed array on line " + std::to_string(7 + 5000));
}
