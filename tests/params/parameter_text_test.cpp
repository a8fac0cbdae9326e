#include "params/ParameterText.h"

#include <gtest/gtest.h>

namespace nuvix {
namespace {

// Three significant digits where they fit, fewer where not; never more than five characters.
TEST(ParameterText, ValuesShownWithinFiveCharacters)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {7.5, "7.5"},      {1230, "1230"},      {99999, "1e+05"},  {123456, "1.2e5"},
        {0.0123, "0.012"}, {1.234e-5, "1e-05"}, {-123456, "-1e5"}, {-1e-120, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditTextFor(c.value), c.text) << c.value;
        EXPECT_LE(EditTextFor(c.value).size(), kEditTextLimit) << c.value;
    }
}

TEST(ParameterText, AnEditGivesTheNumberOfItsFirstFiveCharacters)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {{"1234.5", 1234}, {"12345678", 12345}, {"1.5e+02", 1.5}, {" 7.5", 7.5}, {"abc", 0}, {"", 0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(EditNumber(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace nuvix
