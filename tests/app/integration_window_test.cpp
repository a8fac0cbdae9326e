#include "CaptureFixture.h"

#include "sim/SimPixelEncoder.h"

#include <functional>
#include <tuple>

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

// Gain never below 0, tolerance never back below 1, both fields redrawn after each press;
// "X Gain" and "Stretch" exclude each other.
TEST(Addition, ButtonsAndBoxes)
{
    CaptureApp app(false);
    ui::Window& w = app.Addition();
    const gfx::Rect main = app.h.Main().OuterRect();
    EXPECT_EQ(w.OuterRect(), gfx::Rect::FromSize(main.left - 101, main.top, 100, 486));
    const IntegrationState& s = app.Integration();
    const struct {
        int control;
        float gain;
        int32_t tolerance;
        bool gainOn, stretchOn;
    } steps[] = {
        {809, 1, 0, false, false}, {807, 0, 0, false, false}, {807, 0, 0, false, false}, {806, 1, 0, false, false},
        {808, 1, 1, false, false}, {809, 1, 1, false, false}, {808, 1, 2, false, false}, {806, 2, 2, false, false},
        {804, 2, 2, true, false},  {805, 2, 2, false, true},  {804, 2, 2, true, false},  {804, 2, 2, false, false},
    };
    for (const auto& e : steps) {
        app.h.kit.Click(w, e.control);
        EXPECT_EQ(std::tie(s.gain, s.tolerance, s.gainOn, s.stretchOn),
                  std::tie(e.gain, e.tolerance, e.gainOn, e.stretchOn))
            << e.control;
        EXPECT_EQ(w.FindControl(804)->IsChecked(), e.gainOn);
        EXPECT_EQ(w.FindControl(805)->IsChecked(), e.stretchOn);
        EXPECT_EQ(SameLabel(w, kGainLabel, kToleranceLabel), e.gain == e.tolerance) << e.control;
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
