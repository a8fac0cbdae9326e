#include "AppFixture.h"

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

class ImageWindow : public ::testing::Test {
protected:
    void SetUp() override { h.Start(); }
    TrackingState& Tracking() { return h.State().tracking; }

    AppHarness h;
};

TEST_F(ImageWindow, LayoutAndLabels)
{
    EXPECT_EQ(h.Image().OuterRect(), gfx::Rect::FromSize(1, 4, 320, 460));
    EXPECT_EQ(h.Image().Style(), ui::WindowStyle::Child);
    struct Expected {
        int id;
        ui::ControlKind kind;
        const char* text;
        gfx::Rect rect;
    };
    const Expected expected[] = {
        {452, ui::ControlKind::PushButton, "Acq Noir", gfx::Rect::FromSize(10, 248, 75, 20)},
        {453, ui::ControlKind::CheckBox, "", gfx::Rect::FromSize(10, 271, 13, 13)},
        {454, ui::ControlKind::PushButton, "Param", gfx::Rect::FromSize(10, 290, 75, 20)},
        {455, ui::ControlKind::PushButton, "Photo", gfx::Rect::FromSize(10, 315, 75, 20)},
        {449, ui::ControlKind::CheckBox, "", gfx::Rect::FromSize(10, 340, 13, 13)},
        {450, ui::ControlKind::PushButton, "Track", gfx::Rect::FromSize(10, 360, 75, 30)},
    };
    for (const Expected& e : expected) {
        const ui::Control* c = h.Image().FindControl(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->Kind(), e.kind);
        EXPECT_EQ(c->Text(), e.text);
        EXPECT_EQ(c->Bounds(), e.rect);
    }
    // The paint: the zoom frame in white, the separating line in grey, yellow labels.
    const gfx::Bitmap& s = h.Image().Surface();
    EXPECT_EQ(s.At(110, 300), gfx::kWhite.ToPixel());
    EXPECT_EQ(s.At(311, 300), gfx::kWhite.ToPixel());
    EXPECT_EQ(s.At(200, 240), (gfx::Color{100, 100, 100}.ToPixel()));
    int yellow = 0;
    for (int y = 271; y < 285; ++y) {
        for (int x = 30; x < 90; ++x)
            yellow += s.At(x, y) == gfx::Color{240, 240, 0}.ToPixel();
    }
    EXPECT_GT(yellow, 20);
}

TEST_F(ImageWindow, ClicksPlaceTheBox)
{
    h.kit.LeftButtonDown(h.Image(), {0, 0});
    EXPECT_EQ(Tracking().boxLeft, 0);
    EXPECT_EQ(Tracking().boxTop, 0);
    h.kit.LeftButtonDown(h.Image(), {319, 239});
    EXPECT_EQ(Tracking().boxLeft, 220);
    EXPECT_EQ(Tracking().boxTop, 140);
    h.kit.LeftButtonDown(h.Image(), {100, 240});
    EXPECT_EQ(Tracking().boxLeft, 220);
    EXPECT_EQ(Tracking().boxTop, 140);
    // Dragging moves it too, but only with the button held.
    h.kit.MouseMove(h.Image(), {160, 120}, false);
    EXPECT_EQ(Tracking().boxLeft, 220);
    h.kit.MouseMove(h.Image(), {160, 120}, true);
    EXPECT_EQ(Tracking().boxLeft, 110);
    EXPECT_EQ(Tracking().boxTop, 70);
}

TEST_F(ImageWindow, MovingTheBoxRedrawsOnlyTheOutlineAndZoom)
{
    const gfx::Bitmap& s = h.Image().Surface();
    const gfx::Bitmap before = s;
    h.Image().RedrawBoxAndZoom();
    EXPECT_NE(s, before);
    h.Image().RedrawBoxAndZoom();
    // Only the zoom differs: it now shows the back buffer's (black) picture.
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(s.At(x, y), before.At(x, y)) << x << "," << y;
    }
}

TEST_F(ImageWindow, DarkFrameAndReticleControls)
{
    h.kit.Click(h.Image(), 452);
    EXPECT_TRUE(h.Image().Buffers().darkRequested);
    EXPECT_EQ(h.Image().FindControl(452)->Text(), "En cours");
    h.kit.Click(h.Image(), 453);
    EXPECT_TRUE(h.Image().Buffers().useDark);
    EXPECT_EQ(h.kit.Beeps(), std::vector<int>{1});
    h.kit.Click(h.Image(), 449);
    EXPECT_TRUE(h.Image().ReticleOn());
    h.kit.Click(h.Image(), 449);
    EXPECT_FALSE(h.Image().ReticleOn());
}

}  // namespace
}  // namespace nuvix
