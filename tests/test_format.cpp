#include "blfwk/format_string.h"
#include "blfwk/utils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

TEST(FormatString, FormatsUpTo511CharactersAndDropsLongerTextsWhole)
{
    EXPECT_EQ(format_string("Error: Unsupported peripheral type(%d).", 1), "Error: Unsupported peripheral type(1).");
    const std::string b510(510, 'b');
    EXPECT_EQ(format_string("%s%d", b510.c_str(), 7), b510 + "7");
    EXPECT_EQ(format_string("%s%d", b510.c_str(), 77), "");
    EXPECT_EQ(format_string("%s", std::string(4096, 'a').c_str()), "");
}

TEST(StringToUi, AcceptsOnlyWholeNumbersThatFitIn32Bits)
{
    const std::pair<const char *, uint32_t> accepted[] = {
        {"0x70006", 458758u}, {"458758", 458758u}, {"+7", 7u}, {"0777", 511u}, {"0xFFFFFFFF", 0xFFFFFFFFu}, {"0", 0u}};
    for (const auto &a : accepted)
    {
        uint32_t n = 12345;
        EXPECT_TRUE(utils::stringtoui(a.first, n)) << a.first;
        EXPECT_EQ(n, a.second) << a.first;
    }

    uint32_t n = 99;
    for (const char *text : {"", "-1", "0x100000000", "99999999999999999999999", " -18446744069414584321"})
    {
        EXPECT_FALSE(utils::stringtoui(text, n)) << text;
        EXPECT_EQ(n, 99u) << "left unchanged by " << text;
    }
    EXPECT_FALSE(utils::stringtoui("12abc", n));
    EXPECT_EQ(n, 12u) << "the leading number is stored before the trailing text fails";
    EXPECT_FALSE(utils::stringtoui("0x", n));
    EXPECT_FALSE(utils::stringtoui("08", n)) << "8 is not an octal digit";
}

TEST(Split, KeepsInnerAndLeadingEmptyPiecesButNoTrailingOne)
{
    EXPECT_EQ(utils::string_split("spi,1000,,lsb", ','), (Pieces{"spi", "1000", "", "lsb"}));
    EXPECT_EQ(utils::string_split("a,", ','), (Pieces{"a"}));
    EXPECT_EQ(utils::string_split(",a", ','), (Pieces{"", "a"}));
    EXPECT_EQ(utils::string_split("", ','), Pieces{});

    Pieces elems{"old"};
    EXPECT_EQ(&utils::split("x,y", ',', elems), &elems);
    EXPECT_EQ(elems, (Pieces{"old", "x", "y"})) << "split appends to the given vector";
}

TEST(StringHex, KeepsOnlyHexDigits)
{
    EXPECT_EQ(utils::string_hex("0x12 ab-CD"), "012abCD");
    EXPECT_EQ(utils::string_hex("{{ghij}}"), "");
}

} // namespace
