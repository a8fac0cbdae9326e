#include "CaptureFixture.h"

#include "sim/SimPixelEncoder.h"

#include <functional>

using nuvix::testing::CaptureApp;

namespace nuvix {
namespace {

constexpr gfx::Point kCountLabel{45, 60};
constexpr gfx::Point kGainLabel{55, 200};
constexpr gfx::Point kToleranceLabel{55, 360};

// Two value fields drawn by the label routine look alike exactly when they show the same text.
bool SameLabel(const ui::Window& w, gfx::Point a, gfx::Point b)
{
    const gfx::Bitmap& s = w.Surface();
    for (int dy = -1; dy < 14; ++dy) {
        for (int dx = 0; dx < 30; ++dx) {
            if (s.At(a.x + dx, a.y + dy) != s.At(b.x + dx, b.y + dy)) return false;
        }
    }
    return true;
}

TEST(Addition, StandsLeftOfTheMainWindow)
{
    CaptureApp app(false);
    const gfx::Rect main = app.h.Main().OuterRect();
    EXPECT_EQ(app.Addition().OuterRect(), gfx::Rect::FromSize(main.left - 101, main.top, 100, 486));
    EXPECT_EQ(app.Addition().Style(), ui::WindowStyle::Popup);
    const gfx::Bitmap& s = app.Addition().Surface();
    EXPECT_EQ(s.At(2, 2), gfx::kBlack.ToPixel());
    EXPECT_EQ(s.At(5, 100), gfx::kWhite.ToPixel());   // a frame's left side
    EXPECT_EQ(s.At(40, 23), gfx::kBlack.ToPixel());   // hidden under the " Buffer" label
    EXPECT_EQ(s.At(90, 100), gfx::kBlack.ToPixel());  // right edge exclusive
}

// Gain never below 0, tolerance never back below 1; both fields are redrawn after each press.
TEST(Addition, GainAndToleranceLimits)
{
    CaptureApp app(false);
    const struct {
        int button;
        float gain;
        int32_t tolerance;
    } steps[] = {{809, 1, 0}, {807, 0, 0}, {807, 0, 0}, {806, 1, 0}, {808, 1, 1},
                 {809, 1, 1}, {808, 1, 2}, {806, 2, 2}, {809, 2, 1}};
    for (const auto& s : steps) {
        app.h.kit.Click(app.Addition(), s.button);
        EXPECT_EQ(app.Integration().gain, s.gain) << s.button;
        EXPECT_EQ(app.Integration().tolerance, s.tolerance) << s.button;
        EXPECT_EQ(SameLabel(app.Addition(), kGainLabel, kToleranceLabel), s.gain == s.tolerance) << s.button;
    }
}

TEST(Addition, GainAndStretchExcludeEachOther)
{
    CaptureApp app(false);
    const struct {
        int box;
        bool gainOn, stretchOn;
    } steps[] = {{804, true, false}, {805, false, true}, {804, true, false}, {804, false, false}, {805, false, true}};
    for (const auto& s : steps) {
        app.h.kit.Click(app.Addition(), s.box);
        EXPECT_EQ(app.Integration().gainOn, s.gainOn) << s.box;
        EXPECT_EQ(app.Integration().stretchOn, s.stretchOn) << s.box;
        EXPECT_EQ(app.Addition().FindControl(804)->IsChecked(), s.gainOn) << s.box;
        EXPECT_EQ(app.Addition().FindControl(805)->IsChecked(), s.stretchOn) << s.box;
    }
}

// The first frame after "RAZ" as each view shows it, and "Sauve" writing what is shown.
TEST(Addition, FirstFrameAfterResetInEachView)
{
    const struct {
        const char* name;
        std::vector<int> clicks;
        bool rejected;  // the guide star is far from its reference
        std::function<int(int)> shown;
    } cases[] = {
        {"Voir", {802}, false, [](int p) { return p + 1; }},
        {"rejected, Voir and Stretch", {802, 805}, true, [](int) { return 0; }},
        {"gain 0 and X Gain", {807, 804}, false, [](int) { return 0; }},
        {"latest frame", {}, false, [](int p) { return p; }},
    };
    for (const auto& c : cases) {
        CaptureApp app(true);
        app.Frames(2);
        for (int id : c.clicks)
            app.h.kit.Click(app.Addition(), id);
        TrackingState& tracking = app.h.State().tracking;
        tracking.trackingOn = c.rejected;
        tracking.refX = tracking.boxLeft + tracking.starX + (c.rejected ? 50 : 0);
        app.h.kit.Click(app.Addition(), 800);
        EXPECT_TRUE(SameLabel(app.Addition(), kCountLabel, kToleranceLabel)) << c.name;  // both 0
        app.Frames(1);
        app.h.kit.Click(app.Addition(), 808);
        EXPECT_TRUE(SameLabel(app.Addition(), kCountLabel, kToleranceLabel)) << c.name;  // both 1

        const FrameBytes& frame = app.h.Image().Buffers().frame;
        int wrong = 0;
        for (int k = 0; k < kFramePixels; ++k)
            wrong += frame[kFramePixels - 1 - k] != c.shown(4 * sim::TestPatternPixel(k));
        EXPECT_EQ(wrong, 0) << c.name;
        app.h.kit.Click(app.Addition(), 801);
        const std::vector<uint8_t> file = testing::FileBytes(app.Dir() / "buffer.bmp");
        ASSERT_EQ(file.size(), 77'882u) << c.name;
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), file.begin() + 1082)) << c.name;
    }
}

TEST(Addition, ASaveThatFailsIsReported)
{
    CaptureApp app(true);
    app.Frames(1);
    // The current directory goes away under the program.
    std::filesystem::create_directory(app.Dir() / "gone");
    std::filesystem::current_path(app.Dir() / "gone");
    std::filesystem::remove(app.Dir() / "gone");
    app.h.kit.Click(app.Addition(), 801);
    ASSERT_EQ(app.h.kit.MessageBoxes().size(), 1u);
    EXPECT_EQ(app.h.kit.MessageBoxes()[0].caption, "Erreur");
    EXPECT_NE(app.h.kit.MessageBoxes()[0].text.find("buffer.bmp"), std::string::npos);
}

}  // namespace
}  // namespace nuvix
