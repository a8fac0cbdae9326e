#include "sim/SimFaults.h"

#include <gtest/gtest.h>

#include <string>

namespace nuvix {
namespace {

// What --simulate=FAULTS plans, or why it plans nothing.
TEST(SimFaults, PlansReadFromTheCommandLine)
{
    struct Case {
        const char* text;
        const char* errorPart;  // null: a plan
        std::optional<int64_t> unplug, replug, ra, dec;
    };
    const Case cases[] = {
        {"", nullptr, {}, {}, {}, {}},
        {"unplug-after=10s,replug-after=20s", nullptr, 10'000, 20'000, {}, {}},
        {"dec-stuck-after=2min,ra-stuck-after=0s", nullptr, {}, {}, 0, 120'000},
        {"replug-after=1min,unplug-after=500ms", nullptr, 500, 60'000, {}, {}},
        {"unplug", "unknown simulator fault 'unplug'", {}, {}, {}, {}},
        {"unplug-after=10", "'unplug-after' needs a time", {}, {}, {}, {}},
        {"unplug-after=99999999999999999999s", "needs a time", {}, {}, {}, {}},
        {"unplug-after=1s,unplug-after=2s", "given twice", {}, {}, {}, {}},
        {"replug-after=20s", "needs unplug-after", {}, {}, {}, {}},
        {"unplug-after=20s,replug-after=20s", "later than unplug-after", {}, {}, {}, {}},
        {"camera-angle=400", "degrees from -360 to 360", {}, {}, {}, {}},
        {"camera-angle=35deg", "needs degrees", {}, {}, {}, {}},
        {"camera-angle", "needs degrees", {}, {}, {}, {}},
        {"camera-mirror=1", "'camera-mirror' takes no value", {}, {}, {}, {}},
        {"camera-mirror,camera-mirror", "given twice", {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const sim::SimFaultParse parsed = sim::ParseSimFaults(c.text);
        if (c.errorPart) {
            EXPECT_FALSE(parsed.plan.has_value());
            EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
            continue;
        }
        ASSERT_TRUE(parsed.plan.has_value()) << parsed.error;
        EXPECT_EQ(parsed.plan->unplugAtMs, c.unplug);
        EXPECT_EQ(parsed.plan->replugAtMs, c.replug);
        EXPECT_EQ(parsed.plan->raJammedAtMs, c.ra);
        EXPECT_EQ(parsed.plan->decJammedAtMs, c.dec);
    }
    const sim::SimFaultParse turned = sim::ParseSimFaults("camera-angle=-12.5,dec-stuck-after=3s,camera-mirror");
    ASSERT_TRUE(turned.plan.has_value()) << turned.error;
    EXPECT_EQ(turned.plan->cameraAngleDegrees, -12.5);
    EXPECT_TRUE(turned.plan->cameraMirrored);
    EXPECT_EQ(turned.plan->decJammedAtMs, 3000);
}

}  // namespace
}  // namespace nuvix
