#include "blfwk/format_string.h"
#include "blfwk/utils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

TEST(FormatString, FormatsLikePrintf)
{
    EXPECT_EQ(format_string("Error: Unsupported peripheral type(%d).", 1), "Error: Unsupported peripheral type(1).");
    EXPECT_EQ(format_string("0x%08x", 11u), "0x0000000b");
}

TEST(FormatString, KeepsExactly511CharactersAndDropsLongerTexts)
{
    std::string fits(511, 'a');
    std::string over(512, 'a');
    EXPECT_EQ(format_string("%s", fits.c_str()), fits);
    EXPECT_EQ(format_string("%s", over.c_str()), "");
    EXPECT_EQ(format_string("%s%d", std::string(510, 'b').c_str(), 7), std::string(510, 'b') + "7");
    EXPECT_EQ(format_string("%s%d", std::string(510, 'b').c_str(), 77), "");
}

TEST(StringToUi, AcceptsWholeNumbersInEachBase)
{
    uint32_t n = 0;
    EXPECT_TRUE(utils::stringtoui("0x70006", n));
    EXPECT_EQ(n, 458758u);
    EXPECT_TRUE(utils::stringtoui("458758", n));
    EXPECT_EQ(n, 458758u);
    EXPECT_TRUE(utils::stringtoui("+7", n));
    EXPECT_EQ(n, 7u);
    EXPECT_TRUE(utils::stringtoui("0777", n));
    EXPECT_EQ(n, 511u);
    EXPECT_TRUE(utils::stringtoui("0xFFFFFFFF", n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    EXPECT_TRUE(utils::stringtoui("0", n));
    EXPECT_EQ(n, 0u);
}

TEST(StringToUi, RejectsBadTextAndKeepsTheNumberUnlessAPrefixParsed)
{
    uint32_t n = 99;
    EXPECT_FALSE(utils::stringtoui("", n));
    EXPECT_FALSE(utils::stringtoui("-1", n));
    EXPECT_FALSE(utils::stringtoui("0x100000000", n));
    EXPECT_FALSE(utils::stringtoui("99999999999999999999999", n));
    EXPECT_EQ(n, 99u);

    EXPECT_FALSE(utils::stringtoui("12abc", n));
    EXPECT_EQ(n, 12u) << "the leading number is stored before the trailing text fails";
    EXPECT_FALSE(utils::stringtoui("0x", n));
    EXPECT_FALSE(utils::stringtoui("08", n)) << "8 is not an octal digit";
    EXPECT_FALSE(utils::stringtoui(" -5", n)) << "a minus sign behind blanks must not wrap around";
}

TEST(Split, KeepsInnerAndLeadingEmptyPiecesButNoTrailingOne)
{
    EXPECT_EQ(utils::string_split("spi,1000,,lsb", ','), (Pieces{ "spi", "1000", "", "lsb" }));
    EXPECT_EQ(utils::string_split("a,", ','), (Pieces{ "a" }));
    EXPECT_EQ(utils::string_split(",a", ','), (Pieces{ "", "a" }));
    EXPECT_EQ(utils::string_split("", ','), Pieces{});
    EXPECT_EQ(utils::string_split("0x3b7c,0x5e03", ','), (Pieces{ "0x3b7c", "0x5e03" }));
}

TEST(Split, AppendsToTheGivenVector)
{
    Pieces elems{ "old" };
    Pieces &result = utils::split("x,y", ',', elems);
    EXPECT_EQ(&result, &elems);
    EXPECT_EQ(elems, (Pieces{ "old", "x", "y" }));
}

TEST(StringHex, KeepsOnlyHexDigits)
{
    EXPECT_EQ(utils::string_hex("0x12 ab-CD"), "012abCD");
    EXPECT_EQ(utils::string_hex("{{01 02 0a}}"), "01020a");
    EXPECT_EQ(utils::string_hex("{{}}"), "");
    EXPECT_EQ(utils::string_hex("ghij"), "");
}

} // namespace
