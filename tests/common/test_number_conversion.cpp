#include "common/Error.h"
#include "common/NumberConversion.h"

#include <gtest/gtest.h>

using namespace masume;

struct Good
{
    const char *text;
    int32_t value;
};

class Converts : public testing::TestWithParam<Good>
{
};

TEST_P(Converts, ToItsValue)
{
    EXPECT_EQ(strToInt(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    NumberConversion, Converts,
    testing::Values(Good {"32", 32}, Good {"0", 0}, Good {"0000000300", 300}, Good {"   7", 7},
                    Good {"+5", 5}, Good {"-5", -5}, Good {"2147483647", 2147483647},
                    Good {"-2147483648", int32_t(-2147483647 - 1)}, Good {"$10", 16},
                    Good {"x1f", 31}, Good {"X1F", 31}, Good {"0x10", 16}, Good {"0Xff", 255},
                    Good {"$FFFFFFFF", -1}, Good {"$80000000", int32_t(-2147483647 - 1)},
                    Good {"$000000001", 1}, Good {"  $7fffffff", 2147483647}));

class Refuses : public testing::TestWithParam<const char *>
{
};

TEST_P(Refuses, WithTheTextInTheMessage)
{
    const std::string text = GetParam();
    try {
        strToInt(text);
        FAIL() << "converted: " << text;
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), "'" + text + "' は整数ではありません");
    }
}

INSTANTIATE_TEST_SUITE_P(NumberConversion, Refuses,
                         testing::Values("", " ", "99999999999", "2147483648", "-2147483649", "12 ",
                                         "1.5", "-", "+", "$", "0x", "x", "1e3", "$100000000",
                                         "-$10", "+0x10", "abc", "3a", "\t5", "３２"));

TEST(NumberConversion, WritesPlainDecimal)
{
    EXPECT_EQ(intToStr(255), "255");
    EXPECT_EQ(intToStr(-17), "-17");
    EXPECT_EQ(intToStr(0), "0");
}
