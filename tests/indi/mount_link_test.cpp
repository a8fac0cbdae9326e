#include "platform/indi/IndiAddress.h"
#include "platform/indi/MountLink.h"
#include "platform/indi/MountNotices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

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

// A telescope that takes guide pulses, whichever order the devices came in; a camera's guide
// port only when named; the choice kept by name.
TEST(IndiMountChoice, TelescopeFirstCameraGuidePortOnlyWhenNamed)
{
    const auto table = [](bool cameraFirst) {
        DeviceTable devices;
        const auto camera = [&] {
            DeviceFacts& ccd = devices.Find("CCD Simulator");
            ccd.interfaces = 22;  // CCD, guider, filter: its ST4 port
            ccd.guideWe = ccd.guideNs = true;
        };
        if (cameraFirst) camera();
        devices.Find("Dome").interfaces = 32;
        devices.Find("Telescope Simulator").interfaces = 5;  // telescope and guider
        DeviceFacts& old = devices.Find("Old Mount");        // no DRIVER_INTERFACE: coordinates tell
        old.guideWe = old.guideNs = true;
        old.mount.coordinates = EquatorialPoint{1.0, 2.0};
        if (!cameraFirst) camera();
        return devices;
    };
    struct Case {
        bool cameraFirst;
        const char* wanted;
        const char* chosen;  // null: none
    };
    const Case cases[] = {
        {true, "", "Telescope Simulator"},        {false, "", "Telescope Simulator"},
        {true, "CCD Simulator", "CCD Simulator"},  // named: the user knows
        {false, "Old Mount", "Old Mount"},        {false, "Missing", nullptr},
    };
    for (const Case& c : cases) {
        const DeviceTable devices = table(c.cameraFirst);
        const DeviceFacts* mount = ChooseMount(devices, c.wanted);
        EXPECT_EQ(mount ? mount->name : std::string("(none)"), c.chosen ? c.chosen : "(none)") << c.wanted;
    }
    DeviceTable devices = table(true);
    devices.Remove("Telescope Simulator");
    EXPECT_EQ(ChooseMount(devices, "")->name, "Old Mount");
    devices.Remove("Old Mount");
    EXPECT_EQ(ChooseMount(devices, ""), nullptr);
}

TEST(IndiMountChoice, DriverInterfaceBits)
{
    for (auto [text, bits] : {std::pair{"5", std::optional<unsigned>(5)}, std::pair{"22", std::optional<unsigned>(22)},
                              std::pair{"", std::optional<unsigned>()}, std::pair{"x", std::optional<unsigned>()},
                              std::pair{"5 ", std::optional<unsigned>()}, std::pair{"-4", std::optional<unsigned>()}}) {
        EXPECT_EQ(ParseInterfaces(text), bits) << '"' << text << '"';
    }
}

// What each change of a mount is told as: the failures the observer must act on name the server
// and the reason; a mount that stops following the sky is a stop; the rest is news.
TEST(IndiMountNotices, EachChangeToldAsWhatItIs)
{
    using Kind = MountNotice::Kind;
    MountCondition ready;
    ready.link = MountLink::Ready;
    MountCondition gone;
    gone.link = MountLink::ServerGone;
    gone.problem = ServerProblem::Refused;
    MountCondition lost = gone;
    lost.problem = ServerProblem::Lost;
    lost.served = true;
    MountCondition none;
    none.link = MountLink::NoMount;
    MountCondition parked = ready;
    parked.parked = true;
    parked.tracking = false;
    MountCondition flipped = ready;
    flipped.slewing = true;
    flipped.pierSide = PierSide::East;
    struct Case {
        MountCondition before, now;
        const char* mount;
        std::vector<Kind> kinds;
        const char* first;  // the first notice's box text, or its log line when it has none
    };
    const Case cases[] = {
        {{}, gone, "", {Kind::Failure}, "Le serveur INDI ne répond pas : h:1 (connexion refusée)"},
        {ready, lost, "M", {Kind::Failure}, "Le serveur INDI ne répond pas : h:1 (connexion perdue)"},
        {lost, ready, "M", {Kind::Info}, "INDI server h:1 back, mount \"M\" ready to guide"},
        {{}, none, "", {Kind::Failure}, "Pas de monture INDI sur h:1"},
        {ready, none, "M", {Kind::Failure}, "Monture INDI absente : M (h:1)"},
        {ready, parked, "M", {Kind::Halt, Kind::Halt}, "Monture parquée : plus de corrections"},
        {parked, ready, "M", {Kind::Info, Kind::Info}, "mount \"M\" unparked"},
        {{}, parked, "M", {Kind::Info, Kind::Halt, Kind::Halt}, "mount \"M\" ready to guide"},
        {ready, flipped, "M", {Kind::Info, Kind::Info}, "mount \"M\" slewing: no guide pulses"},
        {ready, ready, "M", {}, nullptr},
    };
    for (const Case& c : cases) {
        const std::vector<MountNotice> notices = NoticesFor(c.before, c.now, c.mount, "h:1");
        std::vector<Kind> kinds;
        for (const MountNotice& n : notices)
            kinds.push_back(n.kind);
        EXPECT_EQ(kinds, c.kinds) << (c.first ? c.first : "nothing");
        if (!c.first || notices.empty()) continue;
        EXPECT_EQ(notices[0].text.empty() ? notices[0].log : notices[0].text, c.first);
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
