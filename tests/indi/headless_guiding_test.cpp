// The guiding of an INDI mount on the fake clock: the whole program on the simulated camera and sky,
// the sky pointed by a mount as an INDI driver reports it (FakeMount), through the same pointing
// as with the real server. Minutes of guiding take seconds here.
#include "FakeMount.h"
#include "IndiRig.h"

#include "app/AppFixture.h"
#include "app/GuidingClient.h"
#include "guiding/CalibrationStore.h"
#include "guiding/GuideLogReader.h"
#include "platform/indi/IndiPointing.h"
#include "sim/Sky.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>

namespace nuvix {
namespace {

using testing::FakeMount;

constexpr int64_t kSecond = 1000;
// The sanitizers look for memory faults, not at the loop's accuracy over minutes: under them the
// long guided spells are shorter.
constexpr int64_t kLongSpell = NUVIX_SANITIZED ? 30 * kSecond : 2 * 60 * kSecond;
constexpr int64_t kGuidedSpell = NUVIX_SANITIZED ? 20 * kSecond : 60 * kSecond;
// Long enough for any calibration to end, made or failed.
constexpr int64_t kCalibrationBound = 90 * kSecond;

double Difference(double a, double b)
{
    return std::abs(std::remainder(a - b, 360.0));
}

// One program guiding one fake mount, its camera turned against the sky.
class Rig {
public:
    explicit Rig(PierSide side = PierSide::West)
        : mount(h.kit.Clock(), side),
          camera(h.kit.Clock(), &sky),
          pointing(mount, [this] { return static_cast<double>(h.State().parameters.arcsecPerPixel); })
    {
        sky.SetMount(&pointing);
        h.bus.Attach(port::kLptData, port::kLptControl, camera);
        h.guidePulses = &mount;
        h.guideLogPath = (h.dir / "guide.txt").string();
    }

    // 0.77 arc seconds per pixel: the guide rate moves the star ten pixels a second.
    void Start(double turnDegrees = 0.0, bool mirrored = false)
    {
        sky.SetCameraTurn(turnDegrees, mirrored);
        tparam record;
        record.raSpeed = FakeMount::kGuideRate;
        record.decSpeed = FakeMount::kGuideRate;
        h.StoreRecord(record);
        h.Start();
        Run(2 * kSecond);  // the first message, then live frames
    }
    // Runs the program for `ms`; `frame` after every timer.
    void Run(int64_t ms, const std::function<void()>& frame = {})
    {
        const int64_t end = h.kit.Clock().PeekMilliseconds() + ms;
        while (h.kit.Clock().PeekMilliseconds() < end && h.kit.AdvanceToNextTimer()) {
            if (frame) frame();
        }
    }
    MountGuider& Guider() { return *h.Image().Guider(); }
    // Runs the program until the calibration has ended, at most for its bound.
    void RunWhileCalibrating()
    {
        const int64_t end = h.kit.Clock().PeekMilliseconds() + kCalibrationBound;
        while (Guider().Calibrating() && h.kit.Clock().PeekMilliseconds() < end && h.kit.AdvanceToNextTimer()) {
        }
    }
    // "Track", and the calibration it starts, to its end.
    bool Calibrate(bool shift = false)
    {
        shift ? h.kit.ShiftClick(h.Image(), 450) : h.kit.Click(h.Image(), 450);
        if (!Guider().Calibrating()) return false;
        RunWhileCalibrating();
        return !Guider().Calibrating() && h.State().tracking.trackingOn;
    }
    std::optional<Calibration> Model() { return Guider().Model(h.State().parameters.arcsecPerPixel); }
    sim::SkyPoint StarNow() { return sky.GuideStarAt(h.kit.Clock().NowNs()); }
    // The true star's spread over `ms` of guiding.
    double GuidedRms(int64_t ms)
    {
        testing::StarSpread spread;
        Run(ms, [&] { spread.Add(StarNow()); });
        return spread.Rms();
    }
    testing::GuideLogText Log()
    {
        h.app.reset();
        std::ifstream in(h.dir / "guide.txt");
        return testing::ReadGuideLog(in);
    }

    testing::AppHarness h;
    FakeMount mount;
    sim::Sky sky{20261207};
    sim::SimCamera camera;
    indi::IndiPointing pointing;
};

// West of the pier a west pulse moves the sky toward +x and a north pulse toward +y (the picture
// stands half round there); the camera's turn and mirror follow. The calibration finds both
// within 3 degrees at any turn, and guiding through it holds the star.
struct CameraTurn {
    double turn;
    bool mirrored;
    double west, north;  // the true directions
};

class HeadlessCalibration : public ::testing::TestWithParam<CameraTurn> {};

TEST_P(HeadlessCalibration, FindsTheAxesAndGuides)
{
    const CameraTurn& c = GetParam();
    Rig rig;
    rig.Start(c.turn, c.mirrored);
    ASSERT_TRUE(rig.Calibrate()) << rig.Guider().FailureText();
    const std::optional<Calibration> model = rig.Model();
    ASSERT_TRUE(model);
    EXPECT_LT(Difference(model->ra.angleDegrees, c.west), 3.0) << model->ra.angleDegrees;
    EXPECT_LT(Difference(model->dec.angleDegrees, c.north), 3.0) << model->dec.angleDegrees;
    EXPECT_NEAR(model->ra.ratePxPerMs * 1000.0, 7.52 / 0.7735 * std::cos(10.0 * M_PI / 180.0), 1.0);
    const double rms = rig.GuidedRms(kGuidedSpell);
    std::printf("turn %.0f%s: RA %.1f, DEC %.1f deg; star RMS %.3f px\n", c.turn, c.mirrored ? " mirrored" : "",
                model->ra.angleDegrees, model->dec.angleDegrees, rms);
    EXPECT_LT(rms, 0.45);
    EXPECT_EQ(rig.mount.overlaps, 0);
}

INSTANTIATE_TEST_SUITE_P(Turns, HeadlessCalibration,
                         ::testing::Values(CameraTurn{0.0, false, 0.0, 90.0}, CameraTurn{35.0, false, 35.0, 125.0},
                                           CameraTurn{120.0, false, 120.0, 210.0}, CameraTurn{0.0, true, 180.0, 90.0},
                                           CameraTurn{35.0, true, 215.0, 125.0}),
                         [](const ::testing::TestParamInfo<CameraTurn>& info) {
                             return std::to_string(static_cast<int>(info.param.turn)) +
                                    (info.param.mirrored ? "DegreesMirrored" : "Degrees");
                         });

// A goto across the meridian during guiding: the calibration made west of the pier serves east of
// it, turned half round with the telescope, DEC's sense reversed by the mount as most do. The
// setting for a mount that keeps its declination's sense is read from the settings file: with
// this mount, that is the wrong setting, and DEC runs away.
TEST(HeadlessGuiding, GotoAcrossTheMeridianKeepsGuiding)
{
    for (bool decFlips : {true, false}) {
        SCOPED_TRACE(decFlips);
        Rig rig;
        if (!decFlips) {
            std::ofstream(rig.h.dir / "nuvix.ini") << "[Mount]\nDecFlipAfterPierSideChange=false\n";
        }
        rig.Start(35.0);
        ASSERT_TRUE(rig.Calibrate());
        const double west = rig.GuidedRms(30 * kSecond);
        rig.mount.Goto(PierSide::East, 20.0);
        rig.Run(8 * kSecond);
        const double east = rig.GuidedRms(kLongSpell);
        std::printf("star RMS west of the pier %.3f px, east %.3f px\n", west, east);
        EXPECT_LT(west, 0.45);
        EXPECT_EQ(east < 0.45, decFlips) << east;
        EXPECT_EQ(rig.mount.overlaps, 0);
        EXPECT_FALSE(rig.Guider().Calibrating());
        const testing::GuideLogText log = rig.Log();
        EXPECT_EQ(log.calibrations.size(), 1u);
        ASSERT_EQ(log.sessions.size(), 1u);
        const testing::GuideSession& session = log.sessions[0];
        EXPECT_EQ(session.header.at("X guide algorithm"), "Hysteresis");
        EXPECT_EQ(session.header.at("Y guide algorithm"), "Resist Switch");
        // The error to a fraction of a pixel: hardly a frame where it is exactly nothing (a whole
        // pixel's measure gave that on most frames), the slew's few aside.
        int whole = 0;
        for (const testing::GuideEntry& e : session.entries)
            whole += e.raRaw == 0.0 && e.decRaw == 0.0;
        EXPECT_LT(whole, static_cast<int>(session.entries.size()) / 20) << whole;
    }
}

// A calibration that cannot make a model says why, once, and nothing is guided on it. Each fault
// clicks "Track" itself.
TEST(HeadlessGuiding, CalibrationFailuresLeaveNoModel)
{
    struct Case {
        const char* what;
        std::function<void(Rig&)> fault;
        const char* reason;
        const char* logged;
    };
    const Case cases[] = {
        {"declination jammed",
         [](Rig& rig) {
             rig.mount.JamDec();
             rig.h.kit.Click(rig.h.Image(), 450);
         },
         "l'axe DEC ne bouge pas", "Dec axis does not move"},
        {"star leaving the box",
         [](Rig& rig) {
             rig.h.State().tracking.boxLeft = 75;  // west pulses take the star out by its right edge
             rig.Run(kSecond);
             rig.h.kit.Click(rig.h.Image(), 450);
         },
         "étoile perdue", "star lost"},
        {"parked while calibrating",
         [](Rig& rig) {
             rig.h.kit.Click(rig.h.Image(), 450);
             rig.Run(4 * kSecond);
             rig.mount.Park(true);
         },
         "la monture ne suit plus le ciel", "mount stopped following the sky"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.Start();
        c.fault(rig);
        rig.RunWhileCalibrating();
        rig.Run(5 * kSecond);  // and nothing more is told
        EXPECT_FALSE(rig.h.State().tracking.trackingOn);
        EXPECT_FALSE(rig.Model());
        EXPECT_EQ(rig.h.BoxesSaying(std::string("Calibration échouée : ") + c.reason, "Erreur"), 1);
        EXPECT_EQ(rig.h.Image().FindControl(450)->Text(), "Track");
        const testing::GuideLogText log = rig.Log();
        ASSERT_EQ(log.calibrations.size(), 1u);
        EXPECT_EQ(log.calibrations[0].end, std::string("Calibration failed: ") + c.logged + ".");
        EXPECT_TRUE(log.sessions.empty());
    }
}

// A star lost, then parked: the mount gets no pulse and the log shows none, with one notice or box
// and a line each; back and unparked, the guiding takes the star back by itself. The calibration is kept beside
// campar.dat and serves the next run at once; Shift + "Track" makes a new one.
TEST(HeadlessGuiding, ParkedAwayAndBackThenTheNextRun)
{
    Rig rig;
    rig.Start();
    ASSERT_TRUE(rig.Calibrate());
    rig.Run(10 * kSecond);
    // The star out of the box for a second: no pulse, and told once; back, it is guided again.
    rig.sky.Shift(0.0, 200.0);  // every star out of the picture
    const int before = rig.mount.pulsesSent;
    rig.Run(kSecond);
    EXPECT_EQ(rig.mount.pulsesSent, before);
    EXPECT_EQ(rig.Guider().Status(true), "Étoile perdue");
    rig.sky.Shift(0.0, -200.0);
    rig.Run(kSecond);
    EXPECT_EQ(rig.Guider().Status(true), "Monture prête");
    // The parked mount drifts at the sidereal rate: thirty pixels in a second and a half.
    rig.mount.Park(true);
    rig.Run(kSecond / 2);
    const int parked = rig.mount.pulsesSent;
    rig.Run(kSecond);
    EXPECT_EQ(rig.mount.pulsesSent, parked);
    EXPECT_EQ(rig.h.BoxesSaying("Monture parquée : plus de corrections", "Monture"), 1);
    rig.mount.Park(false);
    const sim::SkyPoint away = rig.StarNow();
    rig.Run(10 * kSecond);
    EXPECT_GT(rig.mount.pulsesSent, parked);
    rig.mount.GoAway(true);
    rig.Run(2 * kSecond);
    rig.mount.GoAway(false);
    const double back = rig.GuidedRms(20 * kSecond);
    EXPECT_LT(back, 0.8) << "from " << away.x << ", " << away.y;

    const testing::GuideLogText log = rig.Log();
    EXPECT_TRUE(log.problems.empty()) << log.problems.front();
    ASSERT_EQ(log.sessions.size(), 1u);
    int withoutPulses = 0;
    for (const testing::GuideEntry& e : log.sessions[0].entries)
        withoutPulses += e.raMs == 0 && e.decMs == 0 && !e.Dropped() && (e.raRaw != 0 || e.decRaw != 0);
    EXPECT_GT(withoutPulses, 10);  // parked and away: errors, and no pulse
    std::string infos;
    for (const std::string& info : log.infos)
        infos += info + "\n";
    for (const char* part :
         {"guide star lost for 5 frames", "guide star found again", "parked: no guide pulses", "unparked",
          "tracking: guide pulses resume", "server fake:7624 lost", "server fake:7624 back"}) {
        EXPECT_NE(infos.find(part), std::string::npos) << part << " in\n" << infos;
    }

    // The next run: the stored calibration serves at once.
    std::ifstream stored(rig.h.dir / "nuvix.ini");
    const std::string text((std::istreambuf_iterator<char>(stored)), {});
    EXPECT_NE(text.find("[Calibration]\nMount=Fake Mount\n"), std::string::npos) << text;
    EXPECT_NE(text.find("DecFlipAfterPierSideChange=true"), std::string::npos) << text;
    rig.h.Start();
    rig.Run(2 * kSecond);
    rig.h.kit.Click(rig.h.Image(), 450);
    EXPECT_TRUE(rig.h.State().tracking.trackingOn);
    EXPECT_FALSE(rig.Guider().Calibrating());
    rig.Run(2 * kSecond);
    EXPECT_TRUE(rig.Calibrate(true));
}

// An imaging program's "guide" to a mount with no calibration: the calibration's events come
// first, then the settling. Once cleared, the calibration is made again at the next "guide"; one
// that fails ends the settling with an error.
TEST(HeadlessGuiding, AClientsGuideCalibratesFirstThenSettles)
{
    Rig rig;
    testing::MemoryTransport transport;
    rig.h.guideServer = &transport;
    rig.Start(35.0);
    testing::GuidingClient client(transport, rig.h.kit, 1);
    const nlohmann::json settle{{"pixels", 1.5}, {"time", 2}, {"timeout", 30}};
    EXPECT_EQ(client.Call("get_calibrated")["result"], false);
    EXPECT_EQ(client.Call("guide", {settle, false})["result"], 0);
    EXPECT_EQ(client.Call("get_app_state")["result"], "Calibrating");
    nlohmann::json done = client.WaitFor("SettleDone", 120 * kSecond);
    ASSERT_FALSE(done.is_null());
    EXPECT_EQ(done["Status"], 0) << done.dump();
    EXPECT_EQ(client.Events("StartCalibration").size(), 1u);
    EXPECT_GT(client.Events("Calibrating").size(), 4u);
    ASSERT_EQ(client.Events("CalibrationComplete").size(), 1u);
    EXPECT_EQ(client.Events("CalibrationComplete")[0]["Mount"], client.Events("GuideStep").at(0)["Mount"]);
    EXPECT_EQ(client.Call("get_calibrated")["result"], true);

    EXPECT_EQ(client.Call("clear_calibration", {"mount"})["result"], 0);
    EXPECT_EQ(client.Call("get_calibrated")["result"], false);
    rig.mount.JamDec();
    EXPECT_EQ(client.Call("guide", {settle, true})["result"], 0);
    done = client.WaitFor("SettleDone", 120 * kSecond);
    ASSERT_FALSE(done.is_null());
    EXPECT_EQ(done["Status"], 1);
    EXPECT_EQ(client.Events("CalibrationFailed").size(), 1u);
    EXPECT_FALSE(rig.Model());
}

// A camera of sixteen bits looking at an empty field: a sky level and its noise, no star.
class NoiseCamera final : public FrameSource {
public:
    bool Detect() override { return true; }
    CameraGreeting Greeting() const override { return {"Caméra INDI : Bruit", "INDI sur test:7624"}; }
    std::string Name() const override { return "Bruit"; }
    bool UploadSettings(const CameraSettings& given) override
    {
        settings = given;
        return true;
    }
    FrameArrival ReadFrame(float, FrameBytes& target) override
    {
        picture.resize(kFramePixels);
        for (float& share : picture)
            share = (1000.0f + noise(random)) / 65535.0f;
        MapToFrame(picture, settings, target);
        return FrameArrival::Arrived;
    }
    const LinearFrame* LinearPicture() const override { return &picture; }
    void PulseReset() override {}
    bool AnswersAgain() override { return true; }

    CameraSettings settings;
    LinearFrame picture;
    std::mt19937 random{20261208};
    std::normal_distribution<float> noise{0.0f, 30.0f};
};

// Guiding on noise: not one pulse in half a minute, every frame a DROP line, and the star told
// lost once, in the window's status and the log. The guide algorithm's settings are read.
TEST(HeadlessGuiding, NoiseFramesSendNoPulse)
{
    Rig rig;
    NoiseCamera camera;
    rig.h.frameSource = &camera;
    testing::StoreEarlierCalibration(rig.h.dir / "nuvix.ini", tparam{}.focalLength, "Fake Mount");
    // A value that is no number keeps its default.
    std::ofstream(rig.h.dir / "nuvix.ini", std::ios::app) << "\n[Guiding]\nRaMaxPulse=700\nMinSnr=many\n";
    rig.Start();
    rig.h.kit.Click(rig.h.Image(), 450);
    ASSERT_TRUE(rig.h.State().tracking.trackingOn);
    rig.Run(30 * kSecond);
    EXPECT_EQ(rig.mount.pulsesSent, 0);
    EXPECT_EQ(rig.Guider().Status(true), "Étoile perdue");
    const testing::GuideLogText log = rig.Log();
    EXPECT_EQ(std::count(log.infos.begin(), log.infos.end(),
                         "guide star lost for 5 frames: no guide pulses until it is found again"),
              1);
    ASSERT_EQ(log.sessions.size(), 1u);
    EXPECT_EQ(log.sessions[0].header.at("Max RA duration"), "700");
    const std::vector<testing::GuideEntry>& entries = log.sessions[0].entries;
    EXPECT_GT(entries.size(), 100u);
    EXPECT_TRUE(std::all_of(entries.begin(), entries.end(), [](const testing::GuideEntry& e) { return e.Dropped(); }));
}

}  // namespace
}  // namespace nuvix
