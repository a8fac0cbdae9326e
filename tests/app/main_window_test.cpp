#include "AppFixture.h"

#include "app/SharedDrawing.h"
#include "params/ParamFile.h"

#include <cstdio>

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

TEST(MainWindow, IsCentredOnTheScreenWithoutClamping)
{
    struct Case {
        int screenWidth, screenHeight;
        int x, y;
    };
    for (const Case c : {Case{1024, 768, 242, 141}, Case{640, 480, 50, -3}, Case{1920, 1080, 690, 297}}) {
        AppHarness h({c.screenWidth, c.screenHeight, 23, 1});
        h.Start();
        const gfx::Rect outer = h.Main().OuterRect();
        EXPECT_EQ(outer, gfx::Rect::FromSize(c.x, c.y, 541, 23 + 466)) << c.screenWidth;
        EXPECT_EQ(h.State().placement.mainWindowX, c.x);
        EXPECT_EQ(h.State().placement.mainWindowY, c.y);
        EXPECT_EQ(h.Main().Caption(), "Nuvix V 2.07");
        EXPECT_EQ(h.Main().Style(), ui::WindowStyle::Frame);
    }
}

TEST(MainWindow, MovingItKeepsTheFirstPlacement)
{
    AppHarness h;
    h.Start();
    h.kit.MoveWindow(h.Main(), {10, 10});
    EXPECT_EQ(h.State().placement.mainWindowX, 242);
    EXPECT_EQ(h.State().placement.mainWindowY, 141);
}

TEST(MainWindow, PanelControlsInOrder)
{
    AppHarness h;
    h.Start();
    using K = ui::ControlKind;
    struct Expected {
        int id;
        K kind;
        const char* text;
        gfx::Rect rect;
    };
    const Expected expected[] = {
        {342, K::PushButton, "+", {340, 10, 365, 26}},   {343, K::PushButton, "-", {340, 28, 365, 44}},
        {350, K::PushButton, "1s", {440, 28, 465, 44}},  {351, K::PushButton, "2s", {470, 28, 495, 44}},
        {362, K::PushButton, "4s", {500, 28, 525, 44}},  {344, K::PushButton, "+", {340, 60, 365, 76}},
        {345, K::PushButton, "-", {340, 78, 365, 94}},   {366, K::PushButton, "100", {450, 60, 485, 76}},
        {367, K::PushButton, "180", {450, 78, 485, 94}}, {363, K::PushButton, "Max", {490, 60, 525, 92}},
        {340, K::PushButton, "+", {340, 110, 365, 126}}, {341, K::PushButton, "-", {340, 128, 365, 144}},
        {346, K::PushButton, "+", {340, 172, 365, 188}}, {347, K::PushButton, "-", {340, 192, 365, 208}},
        {364, K::CheckBox, "", {450, 128, 463, 141}},    {365, K::CheckBox, "", {450, 192, 463, 205}},
    };
    const auto& controls = h.Main().Controls();
    ASSERT_EQ(controls.size(), std::size(expected));
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i]->Id(), expected[i].id) << i;
        EXPECT_EQ(controls[i]->Kind(), expected[i].kind) << i;
        EXPECT_EQ(controls[i]->Text(), expected[i].text) << i;
        EXPECT_EQ(controls[i]->Bounds(), expected[i].rect) << i;
    }
}

TEST(MainWindow, PaintShowsTheFourFramesOnTheGreyPanel)
{
    AppHarness h;
    h.Start();
    const gfx::Bitmap& s = h.Main().Surface();
    const gfx::Pixel grey = kPanelGrey.ToPixel();
    const gfx::Pixel black = gfx::kBlack.ToPixel();
    // Each frame's left edge is black, just outside it the panel is grey.
    for (int top : {168, 5, 55, 105}) {
        EXPECT_EQ(s.At(325, top + 20), black) << top;
        EXPECT_EQ(s.At(530, top + 20), black) << top;
        EXPECT_EQ(s.At(324, top + 20), grey) << top;
        EXPECT_EQ(s.At(400, top), black) << top;
    }
    // Between the groups and below them: plain panel.
    EXPECT_EQ(s.At(430, 152), grey);
    EXPECT_EQ(s.At(430, 300), grey);
}

TEST(MainWindow, StartValuesGiveWayToTheParameterFile)
{
    AppHarness h;
    tparam stored;
    stored.exposureStep = 65'706;  // low 16 bits: 170
    stored.contrast = 180;
    stored.whiteBalance = 140;
    ASSERT_TRUE(SaveParams((h.dir / "campar.dat").string(), stored).saved);
    h.Start();
    EXPECT_EQ(h.State().camera.exposureStep, 170);
    EXPECT_EQ(h.State().camera.contrast, 180);
    EXPECT_EQ(h.State().camera.whiteBalance, 140);
    EXPECT_EQ(h.State().camera.top, 2);
    EXPECT_EQ(h.State().camera.lineCount, 240);
    EXPECT_EQ(h.State().panel.manualThreshold, 32);
}

TEST(MainWindow, ClosingStoresTheCurrentCameraSettings)
{
    AppHarness h;
    h.Start();
    h.State().camera.whiteBalance = 163;  // as the automatic white balance might leave it
    h.kit.Click(h.Main(), 351);           // "2s"
    h.kit.Click(h.Main(), 366);           // contrast 100
    h.app->CloseMainWindow();
    const LoadResult loaded = LoadParams((h.dir / "campar.dat").string());
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_EQ(loaded.record.exposureStep, 248);
    EXPECT_EQ(loaded.record.contrast, 100);
    EXPECT_EQ(loaded.record.whiteBalance, 163);
}

TEST(MainWindow, DamagedParameterFileIsToldOnceAndKeptAside)
{
    AppHarness h;
    {
        std::FILE* f = std::fopen((h.dir / "campar.dat").string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(":garbage", f);
        std::fclose(f);
    }
    h.Start();
    h.kit.AdvanceMs(600);
    h.kit.AdvanceMs(2000);
    int told = 0;
    for (const auto& box : h.kit.MessageBoxes())
        told += box.caption == "Paramètres";
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(std::filesystem::exists(h.dir / "campar.dat.bad"));
}

}  // namespace
}  // namespace nuvix
