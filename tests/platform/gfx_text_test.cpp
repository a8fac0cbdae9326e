#include "platform/gfx/Canvas.h"
#include "platform/gfx/Utf8.h"

#include "platform/gfx_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace nuvix::gfx {
namespace {

using gfxtest::CountWhere;
using gfxtest::Mismatch;

constexpr Pixel kGround = 0x336699u;

std::unique_ptr<Font> SmallFont()
{
    auto library = FontLibrary::Create();
    return library->Load(FontRequest{});  // the library is gone before the font is used
}

TEST(GfxUtf8, DecodesWellFormedAndReplacesEachBadByte)
{
    struct Case {
        std::string name;
        std::string bytes;
        std::u32string want;
    };
    const std::vector<Case> cases = {
        {"accents", "caméra 12° µs", U"caméra 12° µs"},
        {"four bytes", "\xF0\x9F\x94\xAD", U"\U0001F52D"},
        {"truncated", "a\xC3", U"a\uFFFD"},
        {"stray continuation", "\x80x", U"\uFFFDx"},
        {"overlong", "\xC0\xAF", U"\uFFFD\uFFFD"},
        {"surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"bad lead", "\xFF\xFE", U"\uFFFD\uFFFD"},
        {"cut by ASCII", "\xE2\x82!", U"\uFFFD\uFFFD!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeUtf8(c.bytes), c.want) << c.name;
}

class GfxText : public ::testing::Test {
protected:
    void SetUp() override
    {
        font_ = SmallFont();
        ASSERT_NE(font_, nullptr);
    }
    std::unique_ptr<Font> font_;
};

TEST_F(GfxText, SmallFontFitsTheFifteenPixelLabelBox)
{
    EXPECT_GE(font_->CellHeight(), 11);
    EXPECT_LE(font_->CellHeight(), 14);
    // A label box spans (x, y - 1) to (x + width, y + 14) around text drawn at (x, y).
    Bitmap bm(400, 40, kGround);
    Canvas canvas(bm, font_.get());
    canvas.SetBackgroundMode(BackgroundMode::Transparent);
    canvas.SetTextColor({240, 240, 0});
    canvas.DrawText({2, 10}, "Pas de caméra Util. noir Delta X : -123 99% 1h 5mn Population : ^ | 12°µ");
    EXPECT_EQ(Mismatch(bm, [&](int x, int y) { return (y >= 9 && y < 24) ? bm.At(x, y) : kGround; }), "");
    EXPECT_LT(CountWhere(bm, kGround), 400 * 40 - 200) << "the text was drawn";
}

TEST_F(GfxText, OpaqueGroundFillsTheCellTransparentLeavesIt)
{
    const std::string text = "Mire";
    const Point at{5, 4};
    for (BackgroundMode mode : {BackgroundMode::Opaque, BackgroundMode::Transparent}) {
        Bitmap bm(80, 30, kGround);
        Canvas canvas(bm, font_.get());
        canvas.SetBackgroundMode(mode);
        canvas.SetBackgroundColor(kBlack);
        canvas.SetTextColor({240, 176, 0});
        canvas.DrawText(at, text);
        const Size extent = canvas.TextExtent(text);
        EXPECT_EQ(extent.height, font_->CellHeight());
        const Rect cell = Rect::FromSize(at.x, at.y, extent.width, extent.height);
        EXPECT_EQ(Mismatch(bm, [&](int x, int y) { return cell.Contains({x, y}) ? bm.At(x, y) : kGround; }), "");
        const int area = extent.width * extent.height;
        const int black = CountWhere(bm, 0);
        const int ground = CountWhere(bm, kGround) - (80 * 30 - area);
        EXPECT_GT(area - black - ground, 10) << "glyph pixels";
        EXPECT_EQ(mode == BackgroundMode::Opaque ? ground : black, 0);
        EXPECT_GT(mode == BackgroundMode::Opaque ? black : ground, area / 2);
    }
}

TEST_F(GfxText, AccentedLettersHaveTheirOwnGlyphsAndBadBytesAreReplaced)
{
    const auto render = [&](const std::string& s) {
        Bitmap bm(40, 20);
        Canvas canvas(bm, font_.get());
        canvas.SetTextColor(kWhite);
        canvas.SetBackgroundMode(BackgroundMode::Transparent);
        canvas.DrawText({2, 2}, s);
        return bm;
    };
    const Bitmap blank(40, 20);
    const Bitmap replacement = render("\xEF\xBF\xBD");
    for (const auto& [plain, accented] :
         std::vector<std::pair<std::string, std::string>>{{"e", "é"}, {"o", "°"}, {"u", "µ"}, {"E", "É"}, {"c", "ç"}}) {
        const Bitmap drawn = render(accented);
        EXPECT_NE(drawn, blank) << accented;
        EXPECT_NE(drawn, render(plain)) << accented;
        EXPECT_NE(drawn, replacement) << accented;
    }
    Bitmap bm(40, 20);
    Canvas canvas(bm, font_.get());
    const int box = canvas.TextExtent("\xEF\xBF\xBD").width;
    for (const std::string bad : {"\xC3", "\xFF\xFE\xFD", "\xED\xA0\x80", "\xF0\x9F\x94"}) {
        EXPECT_EQ(canvas.TextExtent(bad).width, box * static_cast<int>(bad.size()));
        canvas.DrawText({0, 0}, bad);
        canvas.DrawText({INT_MAX - 3, INT_MIN + 2}, bad);
    }
}

TEST(GfxTextNoFont, DrawsNothing)
{
    Bitmap bm(20, 20, kGround);
    const Bitmap before = bm;
    Canvas canvas(bm);
    canvas.DrawText({0, 0}, "Mire");
    EXPECT_EQ(bm, before);
    EXPECT_EQ(canvas.TextExtent("Mire"), (Size{0, 0}));
}

}  // namespace
}  // namespace nuvix::gfx
