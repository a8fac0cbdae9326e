#include "AppFixture.h"

#include "guiding/CorrectionOutput.h"
#include "guiding/GuideLogReader.h"

#include <deque>
#include <fstream>
#include <vector>

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

struct FakeSink final : GuidePulseSink {
    void Send(const FramePulses& pulses) override { sent.push_back(pulses); }
    std::optional<SinkNotice> TakeNotice() override
    {
        if (notices.empty()) return std::nullopt;
        SinkNotice notice = notices.front();
        notices.pop_front();
        return notice;
    }
    std::string MountName() const override { return "Monture de test"; }

    std::vector<FramePulses> sent;
    std::deque<SinkNotice> notices;
};

// The delta panel hands every guided frame's corrections to the sink and the guide log.
class PulseSink : public ::testing::Test {
protected:
    // 2 arc seconds per pixel: 7.5 arc seconds per second makes 16.8 codes per pixel.
    void Start(int32_t protocol, bool invertRa = false, std::string logPath = {})
    {
        tparam record;
        record.focalLength = 77.35;
        record.protocol = protocol;
        record.invertRa = invertRa;
        h.guidePulses = &sink;
        h.guideLogPath = std::move(logPath);
        h.StoreRecord(record);
        h.Start();
    }
    void Error(int32_t dx, int32_t dy)
    {
        TrackingState& t = h.State().tracking;
        t.trackingOn = true;
        t.refX = t.boxLeft + t.starX + dx;
        t.refY = t.boxTop + t.starY + dy;
        h.State().analysis.population = 20;
    }
    TOptowin& Panel() { return h.Image().DeltaPanel(); }
    int Boxes(const std::string& text, const std::string& caption) const
    {
        int n = 0;
        for (const auto& box : h.kit.MessageBoxes())
            n += box.text == text && box.caption == caption;
        return n;
    }

    AppHarness h;
    FakeSink sink;
};

TEST_F(PulseSink, EachGuidedFramesPulsesUnderEveryProtocol)
{
    struct Case {
        int32_t protocol;
        bool invertRa;
        GuideDirection ra;
    };
    const Case cases[] = {
        {kStellonStandard, false, GuideDirection::East},
        {kLx200, false, GuideDirection::East},
        {kVirtualDiodes, true, GuideDirection::West},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        AppHarness one;
        FakeSink fake;
        tparam record;
        record.focalLength = 77.35;
        record.protocol = c.protocol;
        record.invertRa = c.invertRa;
        one.guidePulses = &fake;
        one.StoreRecord(record);
        one.Start();
        TrackingState& t = one.State().tracking;
        t.trackingOn = true;
        t.refX = t.boxLeft + t.starX + 3;
        t.refY = t.boxTop + t.starY - 10;
        one.Image().DeltaPanel().SendCorrections(false);
        EXPECT_TRUE(fake.sent.empty());
        one.Image().DeltaPanel().SendCorrections(true);
        ASSERT_EQ(fake.sent.size(), 1u);
        // 50 units of 1/63 s, and DEC cut to the one-second maximum.
        EXPECT_EQ(fake.sent[0].ra.direction, c.ra);
        EXPECT_EQ(fake.sent[0].ra.ms, 794);
        EXPECT_EQ(fake.sent[0].dec.direction, GuideDirection::South);
        EXPECT_EQ(fake.sent[0].dec.ms, 1000);
    }
}

TEST_F(PulseSink, NoticesShownOnceEach)
{
    Start(kVirtualDiodes);
    sink.notices = {{"Pas de monture INDI", "Erreur"}, {"Monture connectée : X", "INDI sur h:1"}};
    h.kit.AdvanceMs(4 * TOptowin::kSinkNoticePeriodMs);
    EXPECT_EQ(Boxes("Pas de monture INDI", "Erreur"), 1);
    EXPECT_EQ(Boxes("Monture connectée : X", "INDI sur h:1"), 1);
}

// A session per switch-on of guiding, its frames as the panel sent them.
TEST_F(PulseSink, GuidedFramesInTheGuideLog)
{
    const std::string path = (h.dir / "guide.txt").string();
    Start(kStellonStandard, false, path);
    Error(3, -10);
    Panel().SendCorrections(true);
    Error(0, 1);
    Panel().SendCorrections(true);
    Panel().SendCorrections(false);
    Error(-1, 0);
    Panel().SendCorrections(true);
    h.app.reset();

    std::ifstream in(path);
    const testing::GuideLogText log = testing::ReadGuideLog(in);
    EXPECT_TRUE(log.problems.empty());
    ASSERT_EQ(log.sessions.size(), 2u);
    const testing::GuideSession& first = log.sessions[0];
    EXPECT_EQ(first.header.at("Mount"), "INDI Monture de test");
    EXPECT_EQ(first.header.at("Pixel scale"), "2.00 arc-sec/px");
    ASSERT_EQ(first.entries.size(), 2u);
    EXPECT_EQ(first.entries[0].raMs, 794);
    EXPECT_EQ(first.entries[0].raDirection, "E");
    EXPECT_EQ(first.entries[0].decDirection, "S");
    EXPECT_EQ(first.entries[1].frame, 2);
    EXPECT_EQ(first.entries[1].raMs, 0);
    EXPECT_EQ(first.entries[1].raDirection, "");
    EXPECT_EQ(first.entries[1].decDirection, "N");
    EXPECT_EQ(log.sessions[1].entries.size(), 1u);
    EXPECT_FALSE(log.sessions[1].ends.empty());
}

// Guiding goes on without its log; the user hears of it once.
TEST_F(PulseSink, AnUnwritableLogIsToldOnce)
{
    Start(kVirtualDiodes, false, (h.dir / "no-such-folder" / "guide.txt").string());
    for (int frame = 0; frame < 3; ++frame) {
        Error(2, 0);
        Panel().SendCorrections(true);
    }
    h.kit.Pump();
    EXPECT_EQ(Boxes("Journal de guidage impossible à écrire", "Erreur"), 1);
    EXPECT_EQ(sink.sent.size(), 3u);
}

}  // namespace
}  // namespace nuvix
