#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <string>

using namespace Vela::Literals;

TEST(StringLiteral, SuffixGivesTheSameIdAsRegisteringTheText)
{
    const Vela::StringId fromLiteral = "literal_suffix_text"_sid;
    EXPECT_EQ(fromLiteral, Vela::StringRegistry::RegisterOrGetString(std::string("literal_suffix_") + "text"));
    EXPECT_EQ(fromLiteral, "literal_suffix_text"_sid);
    EXPECT_STREQ(fromLiteral.GetString(), "literal_suffix_text");
    EXPECT_TRUE(""_sid.IsEmpty());
}
