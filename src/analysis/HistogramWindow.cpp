#include "analysis/HistogramWindow.h"
#include "platform/text/Translate.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace nuvix {

namespace {

constexpr gfx::Rect kPlacement = gfx::Rect::FromSize(324, 220, THistwin::kWidth, THistwin::kHeight);
constexpr gfx::Color kTextColour{240, 176, 0};
constexpr gfx::Color kCaretColour{240, 240, 0};
constexpr int kLongestBar = 90;
constexpr int kHistogramBase = 120;
constexpr int kColumnProfileBase = 231;  // the column profile rises from here
constexpr int kRowProfileTop = 131;      // the row profile's first row

// Each plot is scaled to its own largest entry, so that it is always kLongestBar long.
template <class Entries>
int LargestAtLeastOne(const Entries& entries)
{
    return std::max<int>(1, *std::max_element(entries.begin(), entries.end()));
}

// Worked out exactly rather than through a rounded factor, so that the fullest bar is never a
// pixel short.
int ProfileLength(int count, int largest)
{
    return static_cast<int>(int64_t{std::max(count, 0)} * kLongestBar / largest);
}

}  // namespace

int HistogramBarHeight(int32_t count, int32_t largest)
{
    // The largest h with h / 90 <= sqrt(count / largest), found in integers: a square root taken
    // in floating point lands a hair under 90 for the fullest level of some boxes.
    const int64_t c = std::max(count, 0);
    const int64_t m = std::max(largest, 1);
    const int64_t limit = int64_t{kLongestBar} * kLongestBar * c;
    int64_t h = static_cast<int64_t>(std::sqrt(static_cast<double>(limit) / static_cast<double>(m)));
    while (h > 0 && h * h * m > limit) --h;
    while ((h + 1) * (h + 1) * m <= limit) ++h;
    return static_cast<int>(h);
}

THistwin::THistwin(ui::Toolkit& toolkit, ui::Window& mainWindow, const AnalysisResults& analysis,
                   const PanelValues& panel, const SharedDrawing& drawing)
    : ui::Window(toolkit, &mainWindow, "", ui::WindowStyle::BorderedChild, kPlacement),
      analysis_(analysis),
      panel_(panel),
      drawing_(drawing)
{
}

void THistwin::SetupWindow()
{
    back_.Resize(kWidth, kHeight);
}

void THistwin::Paint(gfx::Canvas& canvas)
{
    Render();
    canvas.CopyBlock(0, 0, kWidth, kHeight, back_, 0, 0);
}

void THistwin::Update()
{
    Render();
    ClientCanvas().CopyBlock(0, 0, kWidth, kHeight, back_, 0, 0);
}

void THistwin::Render()
{
    // The caret marks the threshold level: the manual one, or the automatic rule's five levels
    // under the peak (off the window's left edge while the peak is below 3).
    const int marker = panel_.manualThresholdOn ? panel_.manualThreshold : analysis_.peakLevel - 5;
    gfx::Canvas back(back_);
    back.FillBlack({0, 0, kWidth, kHeight});
    back.SetBackgroundColor(gfx::kBlack);
    back.SetBackgroundMode(gfx::BackgroundMode::Opaque);
    back.SetTextColor(kTextColour);
    back.SetFont(drawing_.smallFont.get());
    back.DrawText({42, 3}, std::to_string(analysis_.peakLevel));
    back.DrawText({150, 3}, std::to_string(analysis_.population));
    back.DrawText({15, 3}, Tr("max :"));
    back.DrawText({90, 3}, Tr("Population :"));
    back.SetTextColor(kCaretColour);
    back.DrawText({3 * marker + 7, kHistogramBase + 1}, "^");

    // Every level has at least a one-pixel stub on the base line.
    back.SetRasterOp(gfx::RasterOp::CopyPen);
    back.SetPen(drawing_.orangePen);
    const int fullestLevel = LargestAtLeastOne(analysis_.boxHistogram);
    for (int i = 0; i < static_cast<int>(analysis_.boxHistogram.size()); ++i) {
        const int h = HistogramBarHeight(analysis_.boxHistogram[static_cast<size_t>(i)], fullestLevel);
        back.DrawLine({3 * i + 10, kHistogramBase}, {3 * i + 10, kHistogramBase - 1 - h});
    }

    back.SetPen(drawing_.greyPen);
    back.DrawLine({105, kColumnProfileBase + 1}, {205, kColumnProfileBase + 1});
    back.DrawLine({4, kRowProfileTop}, {4, kRowProfileTop + 100});

    back.SetPen(drawing_.redPen);
    const int fullestColumn = LargestAtLeastOne(analysis_.columnProfile);
    for (int i = 0; i < static_cast<int>(analysis_.columnProfile.size()); ++i) {
        const int length = ProfileLength(analysis_.columnProfile[static_cast<size_t>(i)], fullestColumn);
        back.DrawLine({i + 105, kColumnProfileBase}, {i + 105, kColumnProfileBase - length});
    }
    const int fullestRow = LargestAtLeastOne(analysis_.rowProfile);
    for (int i = 0; i < static_cast<int>(analysis_.rowProfile.size()); ++i) {
        const int length = ProfileLength(analysis_.rowProfile[static_cast<size_t>(i)], fullestRow);
        back.DrawLine({5, i + kRowProfileTop}, {5 + length, i + kRowProfileTop});
    }
}

}  // namespace nuvix
