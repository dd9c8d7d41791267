#include "Platform/audio/WavDecoder.h"
#include "WavBuilder.h"

#include <gtest/gtest.h>

using namespace Vela::Platform;
using namespace VelaTest;

namespace
{
    bool Decode(const std::string& aFile, DecodedSound& aOut, std::string* aError = nullptr)
    {
        std::string error;
        const bool result = DecodeWav({reinterpret_cast<const uint8_t*>(aFile.data()), aFile.size()}, 44100, aOut, error);
        if (aError)
            *aError = error;
        return result;
    }

    std::string Bytes(std::initializer_list<int> someBytes)
    {
        std::string out;
        for (int byte : someBytes)
            out.push_back(static_cast<char>(byte));
        return out;
    }
}

TEST(WavDecoder, EverySampleFormatGivesTheSameSixteenBitValues)
{
    // Full negative, zero and half positive in each format.
    struct Case
    {
        const char* name;
        WavLayout layout;
        std::string data;
    };
    std::string float32;
    for (float value : {-1.0f, 0.0f, 0.5f})
    {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        PutU32(float32, bits);
    }
    std::string float64;
    for (double value : {-1.0, 0.0, 0.5})
    {
        uint64_t bits;
        std::memcpy(&bits, &value, 8);
        PutU32(float64, static_cast<uint32_t>(bits));
        PutU32(float64, static_cast<uint32_t>(bits >> 32));
    }
    const Case cases[] = {
        {"8-bit", {.bits = 8}, Bytes({0x00, 0x80, 0xC0})},
        {"16-bit", {.bits = 16}, Pcm16({-32768, 0, 16384})},
        {"24-bit", {.bits = 24}, Bytes({0x00, 0x00, 0x80, 0, 0, 0, 0x00, 0x00, 0x40})},
        {"32-bit", {.bits = 32}, Bytes({0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0x40})},
        {"float", {.formatTag = 3, .bits = 32}, float32},
        {"double", {.formatTag = 3, .bits = 64}, float64},
        {"extensible 16-bit", {.bits = 16, .extensible = true}, Pcm16({-32768, 0, 16384})},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DecodedSound sound;
        ASSERT_TRUE(Decode(MakeWav(c.layout, c.data), sound));
        EXPECT_EQ(sound.channels, 1u);
        ASSERT_EQ(sound.samples.size(), 3u);
        EXPECT_EQ(sound.samples[0], -32767);
        EXPECT_EQ(sound.samples[1], 0);
        EXPECT_NEAR(sound.samples[2], 16384, 1);
    }
}

TEST(WavDecoder, StereoKeepsSidesAndOtherRatesAreConverted)
{
    DecodedSound stereo;
    ASSERT_TRUE(Decode(MakeWav({.channels = 2}, Pcm16({1000, -1000, 2000, -2000})), stereo));
    EXPECT_EQ(stereo.channels, 2u);
    EXPECT_EQ(stereo.FrameCount(), 2u);
    EXPECT_EQ(stereo.samples[0], 1000);
    EXPECT_EQ(stereo.samples[1], -1000);
    EXPECT_EQ(stereo.samples[3], -2000);

    // One second at 22050 Hz becomes one second at 44100 Hz, interpolated between source frames.
    std::vector<int16_t> ramp(22050);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i % 2 == 0 ? 0 : 10000);
    DecodedSound converted;
    ASSERT_TRUE(Decode(MakeWav({.rate = 22050}, Pcm16(ramp)), converted));
    EXPECT_EQ(converted.sourceRate, 22050u);
    EXPECT_EQ(converted.FrameCount(), 44100u);
    EXPECT_EQ(converted.samples[0], 0);
    EXPECT_NEAR(converted.samples[1], 5000, 1);
    EXPECT_NEAR(converted.samples[2], 10000, 1);
}

TEST(WavDecoder, TruncatedDataKeepsTheWholeFramesPresent)
{
    // The data chunk claims 1000 bytes; 5 are there: two whole 16-bit frames.
    DecodedSound sound;
    ASSERT_TRUE(Decode(MakeWav({}, Pcm16({100, 200}) + "x", 1000), sound));
    EXPECT_EQ(sound.FrameCount(), 2u);
    EXPECT_EQ(sound.samples[1], 200);
}

TEST(WavDecoder, MalformedFilesFailWithAReason)
{
    const std::string valid = MakeWav({}, Pcm16({1, 2, 3}));
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not riff", "RIFX" + valid.substr(4)},
        {"header only", valid.substr(0, 12)},
        {"format cut short", valid.substr(0, 30)},
        {"no data", MakeWav({}, "")},
        {"three channels", MakeWav({.channels = 3}, Pcm16({1, 2, 3}))},
        {"12-bit", MakeWav({.bits = 12}, Pcm16({1, 2, 3}))},
        {"zero rate", MakeWav({.rate = 0}, Pcm16({1, 2, 3}))},
        {"one hertz", MakeWav({.rate = 1}, Pcm16({1, 2, 3}))},
        {"999 hertz", MakeWav({.rate = 999}, Pcm16({1, 2, 3}))},
        {"compressed", MakeWav({.formatTag = 2}, Pcm16({1, 2, 3}))},
        {"half a frame", MakeWav({.channels = 2}, Pcm16({1}))},
    };
    for (const auto& [name, file] : cases)
    {
        SCOPED_TRACE(name);
        DecodedSound sound;
        std::string error;
        EXPECT_FALSE(Decode(file, sound, &error));
        EXPECT_FALSE(error.empty());
    }
    // Any garbage after a valid header must not crash the reader.
    for (size_t cut = 0; cut < valid.size(); ++cut)
    {
        DecodedSound sound;
        Decode(valid.substr(0, cut), sound);
    }
}

TEST(WavDecoder, TinyRatesAreRefusedBeforeAnyConversionIsAllocated)
{
    // 10 KB at 1 Hz would ask for about 848 MB at 44100 Hz; a 1 MB file for about 88 GB.
    for (const uint32_t rate : {1u, 5u, 999u})
    {
        SCOPED_TRACE(rate);
        DecodedSound sound;
        std::string error;
        EXPECT_FALSE(Decode(MakeWav({.rate = rate}, std::string(10 * 1024, '\x10')), sound, &error));
        EXPECT_EQ(error, "unsupported sample rate " + std::to_string(rate));
        EXPECT_TRUE(sound.samples.empty());
    }
    // The lowest rate taken converts.
    DecodedSound sound;
    ASSERT_TRUE(Decode(MakeWav({.rate = 1000}, Pcm16({100, 200, 300, 400})), sound));
    EXPECT_EQ(sound.sourceRate, 1000u);
    EXPECT_EQ(sound.FrameCount(), (4u * 44100u + 999u) / 1000u);
}

TEST(WavDecoder, ASoundTooLongAfterConversionFailsInsteadOfAllocating)
{
    // 1 MB of 8-bit mono at 1000 Hz is 17 minutes: about 46 million frames at 44100 Hz, stereo doubles it past the cap.
    DecodedSound sound;
    std::string error;
    EXPECT_FALSE(Decode(MakeWav({.channels = 2, .rate = 1000, .bits = 8}, std::string(2 * 1024 * 1024, '\x80')), sound, &error));
    EXPECT_NE(error.find("sound too long"), std::string::npos) << error;
    EXPECT_TRUE(sound.samples.empty());
}
