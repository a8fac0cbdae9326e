#include "AppFixture.h"
#include "LanguageSwitch.h"

#include "app/ExposureDisplay.h"
#include "platform/gfx/FontMatch.h"

#include <algorithm>
#include <optional>

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

TEST(ExposureDisplay, TextsAcrossTheRange)
{
    struct Case {
        uint16_t step;
        const char* text;
    };
    const Case cases[] = {
        {170, "1/14.8s"}, {232, "0.989s"},     {248, "1.98s"},      {264, "3.95s"}, {195, "1/5.02s"},
        {196, "0.208s"},  {96, "1/2.53e+03s"}, {97, "1/1.45e+03s"}, {98, "1/968s"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExposureText(ExposureTimeMs(ExposureLevelFor(c.step))), c.text) << c.step;
    }
}

TEST(ExposureDisplay, LevelTableAndItsEnds)
{
    EXPECT_EQ(ExposureLevelFor(96), 1);
    EXPECT_EQ(ExposureLevelFor(103), 92);
    EXPECT_EQ(ExposureLevelFor(111), 110);
    EXPECT_EQ(ExposureLevelFor(112), 112);
    // Steps below the table only come from old files: the shortest exposure.
    EXPECT_EQ(ExposureLevelFor(0), 1);
    EXPECT_EQ(ExposureLevelFor(95), 1);
    // The highest step still gives a finite time whose timer period fits an int.
    const float longest = ExposureTimeMs(ExposureLevelFor(kHighestExposureStep));
    EXPECT_TRUE(std::isfinite(longest));
    EXPECT_GT(longest, 30'000.0f);
    EXPECT_LT(longest, 60'000.0f);
}

class Panel : public ::testing::Test {
protected:
    void SetUp() override { h.Start(); }
    CameraSettings& Camera() { return h.State().camera; }
    void Click(int id) { h.kit.Click(h.Main(), id); }

    AppHarness h;
};

TEST_F(Panel, ExposureButtonsAndPresets)
{
    EXPECT_EQ(h.Main().ExposureTextShown(), "1/14.8s");
    Click(350);
    EXPECT_EQ(Camera().exposureStep, 232);
    EXPECT_EQ(h.Main().ExposureTextShown(), "0.989s");
    Click(362);
    EXPECT_EQ(Camera().exposureLevel, 264);
    Camera().exposureStep = 97;
    Click(343);
    Click(343);
    EXPECT_EQ(Camera().exposureStep, 96);  // "-" stops at 96
    EXPECT_EQ(Camera().exposureLevel, 1);
    Camera().exposureStep = kHighestExposureStep;
    Click(342);
    EXPECT_EQ(Camera().exposureStep, kHighestExposureStep);
}

TEST_F(Panel, ContrastAndWhiteBalanceStopAtTheirLimits)
{
    struct Case {
        int button;
        uint16_t CameraSettings::*field;
        uint16_t from, to;
    };
    const Case cases[] = {
        {344, &CameraSettings::contrast, 255, 255}, {345, &CameraSettings::contrast, 0, 0},
        {344, &CameraSettings::contrast, 10, 11},   {340, &CameraSettings::whiteBalance, 255, 255},
        {341, &CameraSettings::whiteBalance, 0, 0}, {341, &CameraSettings::whiteBalance, 170, 169},
    };
    for (const Case& c : cases) {
        Camera().*c.field = c.from;
        Click(c.button);
        EXPECT_EQ(Camera().*c.field, c.to) << c.button << " from " << c.from;
    }
    Click(366);
    EXPECT_EQ(Camera().contrast, 100);
    Click(367);
    EXPECT_EQ(Camera().contrast, 180);
    Click(363);
    EXPECT_EQ(Camera().contrast, 255);
}

TEST_F(Panel, WhiteBalanceButtonEndsAutomaticMode)
{
    Click(364);
    EXPECT_TRUE(h.State().panel.autoWhiteBalance);
    EXPECT_EQ(h.kit.Beeps().size(), 1u);
    Click(340);
    EXPECT_FALSE(h.State().panel.autoWhiteBalance);
    EXPECT_FALSE(h.Main().FindControl(364)->IsChecked());
}

TEST_F(Panel, ManualThresholdStartsFromTheLastAutomaticOne)
{
    h.State().analysis.autoThreshold = 40;
    Click(365);
    EXPECT_TRUE(h.State().panel.manualThresholdOn);
    EXPECT_EQ(h.State().panel.manualThreshold, 40);
    Click(346);
    EXPECT_EQ(h.State().panel.manualThreshold, 41);
    Click(365);  // unchecking leaves the value
    EXPECT_FALSE(h.State().panel.manualThresholdOn);
    EXPECT_EQ(h.State().panel.manualThreshold, 41);
    h.State().panel.manualThreshold = 63;
    Click(346);
    EXPECT_EQ(h.State().panel.manualThreshold, 63);
    h.State().panel.manualThreshold = 0;
    Click(347);
    EXPECT_EQ(h.State().panel.manualThreshold, 0);
}

TEST_F(Panel, LabelBoxesShowTenCharactersAtMost)
{
    const auto drawn = [&](const std::string& text) {
        h.Main().DrawLabelBox(text, 375, 300, 150);
        const gfx::Bitmap& s = h.Main().Surface();
        std::vector<gfx::Pixel> box;
        for (int y = 299; y < 314; ++y) {
            for (int x = 375; x < 525; ++x)
                box.push_back(s.At(x, y));
        }
        return box;
    };
    const auto full = drawn("Seuil manuel");
    EXPECT_EQ(full, drawn("Seuil manu"));
    EXPECT_NE(full, drawn("Seuil man"));
}

// With the face the program loads, no text of the panel runs out of its box, in French or in
// English, at any exposure step the control reaches and with the widest values of the other boxes.
TEST_F(Panel, EveryTextFitsItsBoxAtEveryExposureStep)
{
    const std::optional<gfx::FaceLocation> face = gfx::FontMatcher().Match({"Liberation Sans Narrow", 11, false});
    ASSERT_TRUE(face.has_value());
    EXPECT_NE(face->path.find("LiberationSansNarrow"), std::string::npos) << "another face stands in: " << face->path;

    // Every label box of the panel: (x, y - 1) to (x + width, y + 14).
    const gfx::Rect boxes[] = {
        {380, 9, 430, 24},    {380, 60, 430, 75}, {380, 110, 430, 125}, {375, 171, 425, 186}, {470, 127, 520, 142},
        {470, 191, 520, 206}, {380, 29, 438, 44}, {385, 79, 435, 94},   {385, 129, 435, 144}, {400, 191, 420, 206},
    };
    const gfx::Pixel text = gfx::Color{240, 240, 0}.ToPixel();
    const auto strayPixels = [&] {
        const gfx::Bitmap& s = h.Main().Surface();
        int stray = 0;
        for (int y = 0; y < s.Height(); ++y) {
            for (int x = 0; x < s.Width(); ++x) {
                const bool inBox = std::any_of(std::begin(boxes), std::end(boxes), [&](const gfx::Rect& r) {
                    return r.Contains({x, y});
                });
                stray += s.At(x, y) == text && !inBox;
            }
        }
        return stray;
    };
    struct Values {
        uint16_t contrast, whiteBalance;
        int32_t threshold;
    };
    for (const bool english : {false, true}) {
        std::optional<testing::ObserverLanguage> language;
        if (english) {
            language.emplace(testing::kEnglish);
            testing::ExpectEnglish();
        }
        for (const Values v : {Values{255, 255, 63}, Values{100, 188, 48}, Values{0, 0, 0}}) {
            Camera().contrast = v.contrast;
            Camera().whiteBalance = v.whiteBalance;
            h.State().panel.manualThreshold = v.threshold;
            // The exposure's own text is the same in both languages.
            const int stride = english ? 40 : 1;
            for (int step = kLowestExposureStep; step <= kHighestExposureStep; step += stride) {
                Camera().exposureStep = static_cast<uint16_t>(step);
                h.Main().UpdateExposureDisplay();
                ASSERT_EQ(strayPixels(), 0) << "step " << step << ": " << h.Main().ExposureTextShown();
            }
        }
    }
}

}  // namespace
}  // namespace nuvix
