// An imaging program's session against the whole program on the simulator, through the guiding
// server: guide and settle, dither three times, pause and resume, stop; every GuideStep the same
// as the guide log's line for that frame; malformed requests answered while guiding goes on.
#include "AppFixture.h"
#include "GuidingClient.h"

#include "guiding/CorrectionOutput.h"
#include "sim/SimCamera.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"

#include <fstream>
#include <sstream>

namespace nuvix {
namespace {

using nlohmann::json;
using testing::GuidingClient;

const json kSettle = {{"pixels", 1.5}, {"time", 10}, {"timeout", 60}};
constexpr int64_t kSettleLimitMs = 65'000;

class ServerCycle : public ::testing::Test {
protected:
    ServerCycle() : camera(h.kit.Clock(), &sky), mount(h.kit.Clock(), sim::MountSettings{})
    {
        sky.SetMount(&mount);
        h.bus.Attach(port::kLptData, port::kLptControl, camera);
        AttachUarts(h.bus, mount);
        tparam record;
        record.protocol = kStellonStandard;
        h.StoreRecord(record);
        h.guideLogPath = (h.dir / "guide.log").string();
        h.guideServer = &transport;
        h.Start();
        h.kit.AdvanceMs(2000);  // the first message, then live frames
    }

    const std::string& TrackButton() { return h.Image().FindControl(450)->Text(); }
    const std::string& SuspendButton() { return h.Image().EnergyGraph().FindControl(specwin::kSuspendButton)->Text(); }
    // The guide log's frame lines, split at the commas.
    std::vector<std::vector<std::string>> LogFrames()
    {
        std::ifstream in(h.guideLogPath);
        std::vector<std::vector<std::string>> frames;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
            std::vector<std::string> cells;
            std::stringstream cut(line);
            for (std::string cell; std::getline(cut, cell, ',');)
                cells.push_back(cell);
            frames.push_back(cells);
        }
        return frames;
    }

    testing::AppHarness h;
    testing::MemoryTransport transport;
    sim::Sky sky{20261207};
    sim::SimCamera camera;
    sim::SimMount mount;
};

std::string Fixed3(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value + 0.0);
    return text;
}

TEST_F(ServerCycle, AnImagingSessionGuidesSettlesDithersPausesAndStopsAsTheButtonsDo)
{
    GuidingClient client(transport, h.kit, 1);
    ASSERT_GE(client.Lines().size(), 2u);
    EXPECT_EQ(json::parse(client.Lines()[0])["Event"], "Version");
    EXPECT_EQ(json::parse(client.Lines()[0])["MsgVersion"], 1);
    EXPECT_EQ(json::parse(client.Lines().back())["State"], "Looping");
    EXPECT_EQ(client.Call("get_connected")["result"], true);

    EXPECT_EQ(client.Call("guide", {kSettle, false})["result"], 0);
    EXPECT_EQ(TrackButton(), "Track OFF");
    EXPECT_TRUE(h.Image().EnergyGraph().IsVisible());
    EXPECT_EQ(client.WaitFor("StartGuiding", 0).is_null(), false);
    json done = client.WaitFor("SettleDone", kSettleLimitMs);
    ASSERT_FALSE(done.is_null());
    EXPECT_EQ(done["Status"], 0);
    EXPECT_GE(done["TotalFrames"].get<int>(), 90);  // ten seconds of frames within 1.5 pixels
    EXPECT_EQ(client.Call("get_app_state")["result"], "Guiding");

    for (int dither = 0; dither < 3; ++dither) {
        SCOPED_TRACE(dither);
        const TrackingState before = h.State().tracking;
        EXPECT_EQ(client.Call("dither", {5, false, kSettle})["result"], 0);
        const json moved = client.WaitFor("GuidingDithered", 0);
        ASSERT_FALSE(moved.is_null());
        EXPECT_EQ(h.State().tracking.refX - before.refX, moved["dx"]);
        EXPECT_EQ(h.State().tracking.refY - before.refY, moved["dy"]);
        EXPECT_LE(std::abs(moved["dx"].get<int>()), 5);
        EXPECT_EQ(client.Call("get_settling")["result"], true);
        done = client.WaitFor("SettleDone", kSettleLimitMs);
        ASSERT_FALSE(done.is_null());
        EXPECT_EQ(done["Status"], 0);
    }

    EXPECT_EQ(client.Call("set_paused", {true, "full"})["result"], 0);
    EXPECT_EQ(SuspendButton(), "Re-start");
    EXPECT_FALSE(client.WaitFor("Paused", 0).is_null());
    const size_t stepsWhenPaused = client.Events("GuideStep").size();
    h.kit.AdvanceMs(3000);
    EXPECT_EQ(client.Events("GuideStep").size(), stepsWhenPaused);
    EXPECT_EQ(client.Call("get_app_state")["result"], "Paused");
    EXPECT_EQ(client.Call("set_paused", {false})["result"], 0);
    EXPECT_EQ(SuspendButton(), "Suspend");
    EXPECT_FALSE(client.WaitFor("Resumed", 0).is_null());
    h.kit.AdvanceMs(2000);
    EXPECT_GT(client.Events("GuideStep").size(), stepsWhenPaused);

    EXPECT_EQ(client.Call("stop_capture")["result"], 0);
    EXPECT_EQ(TrackButton(), "Track");
    EXPECT_FALSE(client.WaitFor("GuidingStopped", 0).is_null());
    EXPECT_EQ(client.Call("get_app_state")["result"], "Stopped");
    const size_t looping = client.Events("LoopingExposures").size();
    h.kit.AdvanceMs(1000);
    EXPECT_EQ(client.Events("LoopingExposures").size(), looping);  // the clients hear of no exposure
    EXPECT_EQ(client.Call("loop")["result"], 0);
    EXPECT_EQ(client.Call("get_app_state")["result"], "Looping");

    // Every guided frame: the log's line and the event carry the same numbers.
    const std::vector<json> steps = client.Events("GuideStep");
    const std::vector<std::vector<std::string>> lines = LogFrames();
    ASSERT_EQ(client.Events("StarLost").size(), 0u);
    ASSERT_EQ(steps.size(), lines.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        const json& s = steps[i];
        const std::vector<std::string>& l = lines[i];
        ASSERT_EQ(l.size(), 18u);
        SCOPED_TRACE(i);
        EXPECT_EQ(std::to_string(s["Frame"].get<int>()), l[0]);
        EXPECT_EQ(Fixed3(s["Time"]), l[1]);
        EXPECT_EQ(Fixed3(s["dx"]), l[3]);
        EXPECT_EQ(Fixed3(s["dy"]), l[4]);
        EXPECT_EQ(Fixed3(s["RADistanceRaw"]), l[5]);
        EXPECT_EQ(Fixed3(s["DECDistanceRaw"]), l[6]);
        EXPECT_EQ(Fixed3(s["RADistanceGuide"]), l[7]);
        EXPECT_EQ(Fixed3(s["DECDistanceGuide"]), l[8]);
        EXPECT_EQ(std::to_string(s["RADuration"].get<int>()), l[9]);
        EXPECT_EQ(std::to_string(s["DECDuration"].get<int>()), l[11]);
        if (!l[10].empty()) {
            EXPECT_EQ(s["RADirection"].get<std::string>().substr(0, 1), l[10]);
        }
        if (!l[12].empty()) {
            EXPECT_EQ(s["DECDirection"].get<std::string>().substr(0, 1), l[12]);
        }
        EXPECT_EQ(std::to_string(s["StarMass"].get<int>()), l[15]);
    }
}

TEST_F(ServerCycle, WhatTheObserverPressesGoesOutAsEvents)
{
    GuidingClient client(transport, h.kit, 1);
    h.kit.Click(h.Image(), 450);
    h.kit.AdvanceMs(50);
    EXPECT_FALSE(client.WaitFor("LockPositionSet", 0).is_null());
    EXPECT_FALSE(client.WaitFor("StartGuiding", 0).is_null());
    h.kit.Click(h.Image().EnergyGraph(), specwin::kSuspendButton);
    h.kit.AdvanceMs(50);
    EXPECT_FALSE(client.WaitFor("Paused", 0).is_null());
    EXPECT_EQ(client.Call("get_paused")["result"], true);
    h.kit.Click(h.Image(), 450);
    h.kit.AdvanceMs(50);
    EXPECT_FALSE(client.WaitFor("GuidingStopped", 0).is_null());

    // A second client that comes now hears the state as it is.
    GuidingClient late(transport, h.kit, 2);
    ASSERT_GE(late.Lines().size(), 2u);
    EXPECT_EQ(json::parse(late.Lines()[1])["State"], "Looping");
}

TEST_F(ServerCycle, MalformedRequestsAreAnsweredAndGuidingGoesOnUnchanged)
{
    GuidingClient client(transport, h.kit, 1);
    ASSERT_EQ(client.Call("guide", {kSettle, false})["result"], 0);
    h.kit.AdvanceMs(1000);
    const TrackingState tracking = h.State().tracking;
    const uint16_t exposureStep = h.State().camera.exposureStep;
    const tparam record = *h.State().parameters.params;
    const struct {
        std::string line;
        int code;
    } table[] = {
        {"{\"id\":1,\"method\":\"set_exposure\",\"params\":[\"fast\"]}", -32602},
        {"{\"id\":1,\"method\":\"set_exposure\",\"params\":[12345]}", 1},  // not one of the durations
        {"{\"id\":1,\"method\":\"set_dec_guide_mode\",\"params\":[\"Sideways\"]}", -32602},
        {"{\"id\":1,\"method\":\"set_lock_position\",\"params\":[1e9,5]}", 1},
        {"{\"id\":1,\"method\":\"dither\",\"params\":[5,\"no\"]}", -32602},
        {"{\"id\":1,\"method\":\"guide\",\"params\":[{\"pixels\":1,\"time\":0,\"timeout\":9}]}", 1},  // still settling
        {"{\"id\":1,\"method\":\"nothing\"}", -32601},
        {"{\"id\":1,\"method\":\"set_paused\"}", -32602},
        {"{\"id\":1,\"method\":\"set_connected\",\"params\":[\"off\"]}", -32602},
        {"{\"id\":1,", -32700},
        {std::string("{\"id\":1,\"method\":\"\xff\xfe\"}"), -32700},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.line);
        const json reply = client.Raw(row.line, row.code == -32700 ? json(nullptr) : json(1));
        ASSERT_TRUE(reply.is_object());
        EXPECT_EQ(reply.value("error", json::object()).value("code", 0), row.code) << reply.dump();
    }
    const size_t steps = client.Events("GuideStep").size();
    h.kit.AdvanceMs(1000);
    EXPECT_GT(client.Events("GuideStep").size(), steps + 5);
    const AppState& after = h.State();
    EXPECT_TRUE(after.tracking.trackingOn);
    EXPECT_FALSE(after.tracking.guidingSuspended);
    EXPECT_EQ(after.tracking.refX, tracking.refX);
    EXPECT_EQ(after.tracking.refY, tracking.refY);
    EXPECT_EQ(after.camera.exposureStep, exposureStep);
    EXPECT_EQ(after.guideOutput.decMode, DecGuideMode::Auto);
    EXPECT_TRUE(after.guideOutput.outputEnabled);
    EXPECT_TRUE(*after.parameters.params == record);
}

TEST_F(ServerCycle, ExposureLockPositionAndOutputSettingsGoThroughThePanel)
{
    GuidingClient client(transport, h.kit, 1);
    const json durations = client.Call("get_exposure_durations")["result"];
    ASSERT_GT(durations.size(), 100u);
    EXPECT_EQ(client.Call("set_exposure", {989})["result"], 0);
    EXPECT_EQ(h.State().camera.exposureStep, 232);  // the "1s" preset's step, reached by "+"
    EXPECT_EQ(h.Main().ExposureTextShown(), "0.989s");
    EXPECT_EQ(client.Call("get_exposure")["result"], 989);
    const json shortest = client.Call("set_exposure", json::array({durations[0]}));
    EXPECT_EQ(shortest.value("result", json()), 0) << shortest.dump() << " step " << h.State().camera.exposureStep;
    EXPECT_EQ(client.Call("get_exposure")["result"], durations[0]);

    EXPECT_EQ(client.Call("set_dec_guide_mode", {"North"})["result"], 0);
    EXPECT_EQ(client.Call("get_dec_guide_mode")["result"], "North");
    EXPECT_EQ(h.State().guideOutput.decMode, DecGuideMode::North);
    EXPECT_EQ(client.Call("set_guide_output_enabled", {false})["result"], 0);
    EXPECT_FALSE(h.State().guideOutput.outputEnabled);

    EXPECT_TRUE(client.Call("get_lock_position")["result"].is_null());
    ASSERT_EQ(client.Call("guide", {kSettle, false})["result"], 0);
    const TrackingState& t = h.State().tracking;
    EXPECT_EQ(client.Call("get_lock_position")["result"], json::array({t.refX, t.refY}));
    EXPECT_EQ(client.Call("set_lock_position", {t.boxLeft + 10, t.boxTop + 20})["result"], 0);
    EXPECT_EQ(t.refX, t.boxLeft + 10);
    EXPECT_EQ(t.refY, t.boxTop + 20);
    const json image = client.Call("get_star_image", {32})["result"];
    EXPECT_EQ(image["width"], 32);
    EXPECT_EQ(image["pixels"].get<std::string>().size(), 32u * 32u * 2u / 3u * 4u + 4u);
    EXPECT_EQ(client.Call("get_calibrated")["result"], true);
}

}  // namespace
}  // namespace nuvix
