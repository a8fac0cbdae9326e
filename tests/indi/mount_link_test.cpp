#include "platform/indi/IndiAddress.h"
#include "platform/indi/MountLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace nuvix::indi {
namespace {

TEST(IndiAddress, HostAndPort)
{
    struct Case {
        const char* text;
        std::optional<ServerAddress> address;
    };
    const Case cases[] = {
        {"localhost", ServerAddress{"localhost", 7624}},
        {"observatory.local:7625", ServerAddress{"observatory.local", 7625}},
        {"[::1]:7000", ServerAddress{"::1", 7000}},
        {"[::1]", ServerAddress{"::1", 7624}},
        {"fe80::1", ServerAddress{"fe80::1", 7624}},
        {"", std::nullopt},
        {":7624", std::nullopt},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:76x4", std::nullopt},
        {"[::1", std::nullopt},
        {"[::1]7624", std::nullopt},
        {"[]:7624", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseServerAddress(c.text), c.address) << c.text;
    EXPECT_EQ(ToString({"::1", 7000}), "[::1]:7000");
    EXPECT_EQ(ToString({"localhost", 7624}), "localhost:7624");
}

TEST(IndiMountChoice, NamedOrFirstThatTakesGuidePulses)
{
    DeviceTable table;
    table.Find("CCD Simulator");
    table.Find("Dome").connected = true;
    table.Find("EQMod Mount").guider = true;
    table.Find("Telescope Simulator").guideWe = true;
    struct Case {
        const char* wanted;
        const char* chosen;  // null: none
    };
    const Case cases[] = {
        {"", "EQMod Mount"},
        {"Telescope Simulator", "Telescope Simulator"},
        {"Dome", "Dome"},  // named: the user knows
        {"Missing", nullptr},
    };
    for (const Case& c : cases) {
        const DeviceFacts* mount = ChooseMount(table, c.wanted);
        EXPECT_EQ(mount ? mount->name : std::string("(none)"), c.chosen ? c.chosen : "(none)") << c.wanted;
    }
    table.Remove("EQMod Mount");
    EXPECT_EQ(ChooseMount(table, "")->name, "Telescope Simulator");
    table.Remove("Telescope Simulator");
    EXPECT_EQ(ChooseMount(table, ""), nullptr);
}

TEST(IndiMountChoice, GuiderBitOfTheDriverInterface)
{
    for (auto [text, guider] :
         {std::pair{"5", true}, std::pair{"4", true}, std::pair{"1", false}, std::pair{"65535", true},
          std::pair{"", false}, std::pair{"x", false}, std::pair{"5 ", false}, std::pair{"-4", false}}) {
        EXPECT_EQ(InterfaceHasGuider(text), guider) << '"' << text << '"';
    }
}

TEST(IndiPointingShift, CoordinatesToPicturePixels)
{
    constexpr double kArcsecHour = 1.0 / 3600.0 / 15.0;  // one arc second of right ascension, in hours
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        EquatorialPoint reference, now;
        double scale;
        double x, y;
    };
    const Case cases[] = {
        {"east on the equator", {5.0, 0.0}, {5.0 + 3 * kArcsecHour, 0.0}, 1.5, 2.0, 0.0},
        {"north", {5.0, 0.0}, {5.0, 2.0 / 3600.0}, 2.0, 0.0, 1.0},
        {"west and south",
         {5.0, 10.0},
         {5.0 - kArcsecHour, 10.0 - 1.0 / 3600.0},
         1.0,
         -std::cos(10.0 * M_PI / 180),
         -1.0},
        {"right ascension shrinks toward the pole", {5.0, 60.0}, {5.0 + 2 * kArcsecHour, 60.0}, 1.0, 1.0, 0.0},
        {"across 0 h", {23.0 + 3599.0 / 3600.0, 0.0}, {1.0 / 3600.0, 0.0}, 15.0, 2.0, 0.0},
        {"no scale", {5.0, 0.0}, {6.0, 1.0}, 0.0, 0.0, 0.0},
        {"coordinates no number", {5.0, 0.0}, {nan, 1.0}, 1.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        const PictureShift shift = ShiftBetween(c.reference, c.now, c.scale);
        EXPECT_NEAR(shift.x, c.x, 1e-6) << c.what;
        EXPECT_NEAR(shift.y, c.y, 1e-6) << c.what;
    }
}

}  // namespace
}  // namespace nuvix::indi
