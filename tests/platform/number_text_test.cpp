#include "platform/text/NumberText.h"

#include <gtest/gtest.h>

namespace nuvix {
namespace {

TEST(NumberText, GeneralFormatWithSignificantDigits)
{
    struct Case {
        double value;
        int digits;
        const char* text;
    };
    const Case cases[] = {
        {2534, 3, "2.53e+03"}, {968.4, 3, "968"},   {0.0123, 3, "0.0123"}, {0.00001234, 3, "1.23e-05"},
        {1.5, 2, "1.5"},       {150, 2, "1.5e+02"}, {0.7734, 2, "0.77"},   {-3.25, 3, "-3.25"},
        {200, 3, "200"},       {10, 2, "10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatGeneral(c.value, c.digits), c.text) << c.value;
}

TEST(NumberText, LeadingDecimalNumber)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"7.5", 7.5}, {"1234.", 1234}, {"-2.5e2x", -250}, {"+.5", 0.5}, {"  12cm", 12}, {"1e", 1},    {"12,5", 12},
        {"", 0},      {"abc", 0},      {".", 0},          {"0x1A", 0},  {"inf", 0},     {"1e999", 0}, {"- 5", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ReadLeadingNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace nuvix
