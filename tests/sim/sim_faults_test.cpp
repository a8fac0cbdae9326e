#include "sim/SimFaults.h"

#include <gtest/gtest.h>

#include <string>

namespace nuvix {
namespace {

using sim::ParseSimFaults;

TEST(SimFaults, PlansReadFromTheCommandLine)
{
    struct Case {
        const char* text;
        std::optional<int64_t> unplug, replug, ra, dec;
    };
    const Case cases[] = {
        {"", {}, {}, {}, {}},
        {"unplug-after=10s,replug-after=20s", 10'000, 20'000, {}, {}},
        {"dec-stuck-after=2min,ra-stuck-after=0s", {}, {}, 0, 120'000},
        {"replug-after=1min,unplug-after=59s", 59'000, 60'000, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const sim::SimFaultParse parsed = ParseSimFaults(c.text);
        ASSERT_TRUE(parsed.plan.has_value()) << parsed.error;
        EXPECT_EQ(parsed.plan->unplugAtMs, c.unplug);
        EXPECT_EQ(parsed.plan->replugAtMs, c.replug);
        EXPECT_EQ(parsed.plan->raJammedAtMs, c.ra);
        EXPECT_EQ(parsed.plan->decJammedAtMs, c.dec);
    }
}

TEST(SimFaults, WrongPlansSayWhatIsWrong)
{
    struct Case {
        const char* text;
        const char* errorPart;
    };
    const Case cases[] = {
        {"unplug", "unknown simulator fault 'unplug'"},
        {"unplug-after=", "needs a time"},
        {"unplug-after=10", "needs a time"},
        {"unplug-after=99999999999999999999s", "needs a time"},
        {"unplug-after=1s,unplug-after=2s", "given twice"},
        {"explode-after=1s", "unknown simulator fault 'explode-after'"},
        {"replug-after=20s", "needs unplug-after"},
        {"unplug-after=20s,replug-after=20s", "later than unplug-after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const sim::SimFaultParse parsed = ParseSimFaults(c.text);
        EXPECT_FALSE(parsed.plan.has_value());
        EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
    }
}

}  // namespace
}  // namespace nuvix
