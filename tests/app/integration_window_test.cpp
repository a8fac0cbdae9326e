#include "CaptureFixture.h"

#include "capture/IntegrationWindow.h"

using nuvix::testing::CaptureApp;

namespace nuvix {
namespace {

constexpr gfx::Point kCountLabel{45, 60};
constexpr gfx::Point kGainLabel{55, 200};
constexpr gfx::Point kToleranceLabel{55, 360};
constexpr int kLabelWidth = 30;

// Two value fields drawn by the label routine look alike exactly when they show the same text.
bool SameLabel(const gfx::Bitmap& s, gfx::Point a, gfx::Point b)
{
    for (int dy = -1; dy < 14; ++dy) {
        for (int dx = 0; dx < kLabelWidth; ++dx) {
            if (s.At(a.x + dx, a.y + dy) != s.At(b.x + dx, b.y + dy)) return false;
        }
    }
    return true;
}

int YellowPixels(const gfx::Bitmap& s, gfx::Rect r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x)
            n += s.At(x, y) == gfx::Color{240, 240, 0}.ToPixel();
    }
    return n;
}

class Addition : public ::testing::Test {
protected:
    void Click(int id) { app.h.kit.Click(app.Addition(), id); }
    const gfx::Bitmap& Surface() { return app.Addition().Surface(); }
    const FrameBytes& Frame() { return app.h.Image().Buffers().frame; }

    CaptureApp app;
};

TEST_F(Addition, PlacedLeftOfTheMainWindowWithItsControlsAndPaint)
{
    app.Start(false);
    ui::Window& w = app.Addition();
    const gfx::Rect main = app.h.Main().OuterRect();
    EXPECT_EQ(w.OuterRect(), gfx::Rect::FromSize(main.left - 101, main.top, 100, 486));
    EXPECT_EQ(w.Style(), ui::WindowStyle::Popup);
    ASSERT_NE(app.h.kit.OnScreen(w), nullptr);
    EXPECT_TRUE(app.h.kit.OnScreen(w)->shown);

    const struct {
        int id;
        ui::ControlKind kind;
        const char* text;
        gfx::Rect rect;
    } expected[] = {
        {802, ui::ControlKind::CheckBox, "", gfx::Rect::FromSize(15, 40, 13, 13)},
        {800, ui::ControlKind::PushButton, "RAZ", gfx::Rect::FromSize(15, 90, 60, 20)},
        {806, ui::ControlKind::PushButton, "+", gfx::Rect::FromSize(10, 180, 25, 16)},
        {807, ui::ControlKind::PushButton, "-", gfx::Rect::FromSize(10, 200, 25, 16)},
        {804, ui::ControlKind::CheckBox, "", gfx::Rect::FromSize(15, 230, 13, 13)},
        {805, ui::ControlKind::CheckBox, "", gfx::Rect::FromSize(15, 250, 13, 13)},
        {808, ui::ControlKind::PushButton, "+", gfx::Rect::FromSize(10, 350, 25, 16)},
        {809, ui::ControlKind::PushButton, "-", gfx::Rect::FromSize(10, 370, 25, 16)},
        {801, ui::ControlKind::PushButton, "Sauve", gfx::Rect::FromSize(15, 415, 60, 30)},
    };
    for (const auto& e : expected) {
        const ui::Control* c = w.FindControl(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->Kind(), e.kind) << e.id;
        EXPECT_EQ(c->Text(), e.text) << e.id;
        EXPECT_EQ(c->Bounds(), e.rect) << e.id;
    }

    // Black ground, three white frames, yellow captions beside the boxes and in the frames.
    const gfx::Bitmap& s = Surface();
    EXPECT_EQ(s.At(2, 2), gfx::kBlack.ToPixel());
    EXPECT_EQ(s.At(50, 300), gfx::kBlack.ToPixel());
    for (gfx::Point p : {gfx::Point{5, 23}, {89, 119}, {5, 158}, {89, 279}, {5, 310}, {89, 394}, {40, 119}})
        EXPECT_EQ(s.At(p.x, p.y), gfx::kWhite.ToPixel()) << p.x << "," << p.y;
    EXPECT_EQ(s.At(90, 60), gfx::kBlack.ToPixel());  // right edge exclusive
    const gfx::Rect captions[] = {{25, 14, 75, 29},   {35, 38, 70, 52},   {35, 228, 80, 242},
                                  {35, 248, 80, 262}, {10, 301, 84, 316}, {25, 325, 70, 339}};
    for (const gfx::Rect& r : captions)
        EXPECT_GT(YellowPixels(s, r), 10) << r.left << "," << r.top;
    // The box behind " Buffer" hides the frame's top line.
    EXPECT_EQ(s.At(40, 23), gfx::kBlack.ToPixel());
}

// Gain never below 0, tolerance never back below 1; both fields are redrawn after each press.
TEST_F(Addition, GainAndToleranceLimits)
{
    app.Start(false);
    const struct {
        int button;
        float gain;
        int32_t tolerance;
    } steps[] = {
        {809, 1.0f, 0},                                                                  // "-" at 0 keeps it
        {807, 0.0f, 0}, {807, 0.0f, 0}, {806, 1.0f, 0}, {808, 1.0f, 1}, {809, 1.0f, 1},  // "-" at 1 keeps it
        {808, 1.0f, 2}, {806, 2.0f, 2}, {806, 3.0f, 2}, {809, 3.0f, 1},
    };
    for (const auto& s : steps) {
        Click(s.button);
        EXPECT_EQ(app.Integration().gain, s.gain) << s.button;
        EXPECT_EQ(app.Integration().tolerance, s.tolerance) << s.button;
        EXPECT_EQ(SameLabel(Surface(), kGainLabel, kToleranceLabel), s.gain == static_cast<float>(s.tolerance))
            << s.button << " gain " << s.gain << " tolerance " << s.tolerance;
    }
}

TEST_F(Addition, GainAndStretchBoxesExcludeEachOther)
{
    app.Start(false);
    const struct {
        int box;
        bool gainOn, stretchOn;
    } steps[] = {
        {804, true, false},  {805, false, true}, {804, true, false},
        {804, false, false}, {805, false, true}, {805, false, false},
    };
    for (const auto& s : steps) {
        Click(s.box);
        EXPECT_EQ(app.Integration().gainOn, s.gainOn) << s.box;
        EXPECT_EQ(app.Integration().stretchOn, s.stretchOn) << s.box;
        EXPECT_EQ(app.Addition().FindControl(804)->IsChecked(), s.gainOn) << s.box;
        EXPECT_EQ(app.Addition().FindControl(805)->IsChecked(), s.stretchOn) << s.box;
    }
    Click(802);
    EXPECT_TRUE(app.Integration().showAverage);
    Click(802);
    EXPECT_FALSE(app.Integration().showAverage);
}

TEST_F(Addition, AfterResetTheFirstFrameShowsOneMoreThanItsPixels)
{
    app.Start(true);
    app.Frames(3);
    Click(802);
    Click(800);
    EXPECT_TRUE(SameLabel(Surface(), kCountLabel, kToleranceLabel));  // N: 0
    app.Frames(1);
    EXPECT_TRUE(SameLabel(Surface(), kCountLabel, kGainLabel));  // N: 1
    FrameBytes expected = CaptureApp::ScaledPattern();
    for (uint8_t& p : expected)
        ++p;
    EXPECT_EQ(Frame(), expected);
}

// A frame the gate turns away still brings N to 1, and leaves the sum uniform: stretched, black.
TEST_F(Addition, ARejectedFirstFrameCountsOneAndAUniformStretchIsBlack)
{
    app.Start(true);
    app.Frames(2);
    TrackingState& tracking = app.h.State().tracking;
    tracking.trackingOn = true;
    tracking.refX = tracking.boxLeft + tracking.starX + 50;
    tracking.refY = tracking.boxTop + tracking.starY;
    Click(802);
    Click(805);
    Click(800);
    app.Frames(1);
    EXPECT_EQ(app.Integration().frameCount, 1);
    EXPECT_TRUE(SameLabel(Surface(), kCountLabel, kGainLabel));
    const std::vector<int32_t>& sum = app.h.Image().Buffers().sumFrame;
    EXPECT_TRUE(std::all_of(sum.begin(), sum.end(), [](int32_t v) { return v == 1; }));
    EXPECT_EQ(Frame(), FrameBytes{});
}

TEST_F(Addition, GainZeroGivesABlackPicture)
{
    app.Start(true);
    Click(807);
    Click(804);
    app.Frames(1);
    EXPECT_EQ(Frame(), FrameBytes{});
}

TEST_F(Addition, SaveWritesTheLatestScaledFrameAsBufferBmp)
{
    app.Start(true);
    app.Frames(2);
    Click(801);
    const std::vector<uint8_t> bytes = testing::FileBytes(app.Dir() / "buffer.bmp");
    ASSERT_EQ(bytes.size(), 77'882u);
    const FrameBytes expected = CaptureApp::ScaledPattern();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 1082));
    EXPECT_TRUE(app.h.kit.MessageBoxes().empty());
}

TEST_F(Addition, ASaveThatFailsIsReportedAndKeepsNothing)
{
    app.Start(true);
    app.Frames(1);
    // The current directory goes away under the program.
    const std::filesystem::path gone = app.Dir() / "gone";
    std::filesystem::create_directory(gone);
    {
        const testing::WorkingDirectory inside(gone);
        std::filesystem::remove(gone);
        Click(801);
    }
    ASSERT_EQ(app.h.kit.MessageBoxes().size(), 1u);
    EXPECT_EQ(app.h.kit.MessageBoxes()[0].caption, "Erreur");
    EXPECT_NE(app.h.kit.MessageBoxes()[0].text.find("buffer.bmp"), std::string::npos);
    EXPECT_TRUE(app.Pictures().empty());
}

}  // namespace
}  // namespace nuvix
