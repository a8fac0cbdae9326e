// An imaging program's guide and dither through the guiding server, with the corrections going to
// INDI's telescope simulator as timed pulses: the reference moves, the mount brings the star to
// it, and settling is reported.
#include "IndiRig.h"
#include "app/GuidingClient.h"

namespace nuvix {
namespace {

using nlohmann::json;

class IndiServerDither : public testing::IndiLoop {
protected:
    // Sends the request and runs (in real time) until `event` arrives; that event, or null.
    json RequestUntil(const json& request, const std::string& event, int64_t ms)
    {
        transport.incoming.push_back({server::Incoming::Kind::Line, 1, request.dump()});
        json found;
        RunFor(ms, [&] {
            std::vector<std::string>& lines = transport.sent[1];
            for (; seen < lines.size() && found.is_null(); ++seen) {
                json message = json::parse(lines[seen]);
                if (message.value("Event", "") == event) found = std::move(message);
            }
            return !found.is_null();
        });
        return found;
    }

    testing::MemoryTransport transport;
    size_t seen = 0;
};

TEST_F(IndiServerDither, DitheringThroughAnIndiMountSettles)
{
    ASSERT_TRUE(server.Start());
    tparam record;
    record.focalLength = 50.0;
    record.raSpeed = 7.52;
    record.decSpeed = 7.52;
    h.guideServer = &transport;
    // The mount is guided through a calibration: one from an earlier night, so that "guide" guides.
    testing::StoreEarlierCalibration(h.dir / "nuvix.ini", record.focalLength);
    Start(record);
    ASSERT_TRUE(WaitForMount());
    RunFor(2'000);  // live frames: "guide" takes the star where it stands as the reference
    transport.incoming.push_back({server::Incoming::Kind::Connected, 1, {}});

    // The sanitizer build's frames come slowly: it looks for memory faults, not for the loop's
    // accuracy (as the other INDI loop tests), and settles within a wider tolerance.
    const double pixels = NUVIX_SANITIZED ? 3.0 : 1.5;
    const json settle = {{"pixels", pixels}, {"time", 1}, {"timeout", 40}};
    json done = RequestUntil({{"id", 1}, {"method", "guide"}, {"params", {settle, false}}}, "SettleDone", 45'000);
    ASSERT_FALSE(done.is_null());
    EXPECT_EQ(done["Status"], 0);
    done = RequestUntil({{"id", 2}, {"method", "dither"}, {"params", {5, false, settle}}}, "SettleDone", 45'000);
    ASSERT_FALSE(done.is_null());
    EXPECT_EQ(done["Status"], 0) << done.dump();
    EXPECT_GT(done["TotalFrames"].get<int>(), 0);
}

}  // namespace
}  // namespace nuvix
