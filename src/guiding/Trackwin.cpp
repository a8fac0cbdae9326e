#include "guiding/Trackwin.h"

#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace nuvix {

namespace {

constexpr int kColumns = 18;
constexpr int kSmallestSide = 40;
constexpr int kLowestLayoutHeight = 100;
constexpr int kKeptOnScreen = 100;  // a window placed off the screen comes back this far
constexpr gfx::Color kLabelColour{0, 160, 160};

// The window is placed so that its client area lands where the last run left it, which is what
// a move records; the whole window is then kept on the screen.
gfx::Rect PlacementFor(const ui::ScreenMetrics& m, const tparam& record)
{
    const int width = std::max(record.trackWidth, kSmallestSide);
    const int height = std::max(record.trackHeight, kSmallestSide);
    const int64_t x = int64_t{record.trackX} - m.borderWidth;
    const int64_t y = int64_t{record.trackY} - m.borderWidth - m.captionHeight;
    const int left = static_cast<int>(std::clamp<int64_t>(x, 0, std::max(0, m.screenWidth - kKeptOnScreen)));
    const int top = static_cast<int>(std::clamp<int64_t>(y, 0, std::max(0, m.screenHeight - kKeptOnScreen)));
    return gfx::Rect::FromSize(left, top, width, height);
}

}  // namespace

Trackwin::Trackwin(ui::Toolkit& toolkit, ui::Window* owner, ParameterState& parameters, const SharedDrawing& drawing)
    : ui::Window(toolkit, owner, Tr("OPTO"), ui::WindowStyle::ResizablePopup,
                 PlacementFor(toolkit.Metrics(), *parameters.params), false),
      parameters_(parameters),
      drawing_(drawing)
{
    const ui::ScreenMetrics m = toolkit.Metrics();
    captionHeight_ = m.captionHeight;
    borderWidth_ = m.borderWidth;
    Layout(OuterRect().Width(), OuterRect().Height());
}

void Trackwin::Layout(int width, int height)
{
    cellWidth_ = std::max(0, (width - 2 * borderWidth_) / kColumns);
    labelY_ = height - captionHeight_ - 25;
}

gfx::Rect Trackwin::Indicator(int index) const
{
    // Columns 2-4, 6-8, 10-12 and 14-16 of the eighteen.
    const int left = (2 + 4 * index) * cellWidth_ + borderWidth_;
    return {left, cellWidth_, left + 2 * cellWidth_, labelY_};
}

void Trackwin::Paint(gfx::Canvas& canvas)
{
    const int columns = std::max(0, (OuterRect().Width() - 2 * borderWidth_) / kColumns);
    // The width kept is whole columns; the height laid out is at least 100.
    const int width = kColumns * columns + 2 * borderWidth_;
    const int height = std::max(OuterRect().Height(), kLowestLayoutHeight);
    Layout(width, height);
    canvas.SetBrush(gfx::Brush::Black());
    canvas.SetPen(gfx::Pen::Black());
    canvas.DrawRectangle({0, 0, width, height});
    tparam& record = *parameters_.params;
    record.trackHeight = height;
    record.trackWidth = width;

    // A pulse in progress is cut short.
    ClearAdIndicators();
    ClearDecIndicators();
    gfx::Canvas labels = ClientCanvas();
    labels.SetFont(drawing_.smallFont.get());
    labels.SetBackgroundColor(gfx::kBlack);
    labels.SetTextColor(kLabelColour);
    labels.DrawText({4 * cellWidth_, labelY_}, Tr("AD"));
    labels.DrawText({12 * cellWidth_, labelY_}, Tr("DEC"));
}

void Trackwin::Clear(int firstIndicator, int timer)
{
    gfx::Canvas canvas = ClientCanvas();
    canvas.SetBrush(gfx::Brush::Black());
    canvas.SetPen(drawing_.redPen);
    canvas.DrawRectangle(Indicator(firstIndicator));
    canvas.DrawRectangle(Indicator(firstIndicator + 1));
    KillTimer(timer);
}

void Trackwin::ShowPulse(int ms, int firstIndicator, int timer)
{
    Clear(firstIndicator, timer);
    if (ms != 0) {
        gfx::Canvas canvas = ClientCanvas();
        canvas.SetBrush(gfx::Brush::White());
        canvas.DrawRectangle(Indicator(ms < 0 ? firstIndicator : firstIndicator + 1));
    }
    SetTimer(timer, static_cast<int>(std::min<int64_t>(std::abs(int64_t{ms}), INT32_MAX)));
}

void Trackwin::ClearAdIndicators()
{
    Clear(0, kAdPulseTimer);
}

void Trackwin::ClearDecIndicators()
{
    Clear(2, kDecPulseTimer);
}

void Trackwin::ShowAdPulse(int ms)
{
    ShowPulse(ms, 0, kAdPulseTimer);
}

void Trackwin::ShowDecPulse(int ms)
{
    ShowPulse(ms, 2, kDecPulseTimer);
}

void Trackwin::Timer(int id)
{
    if (id == kAdPulseTimer) ClearAdIndicators();
    if (id == kDecPulseTimer) ClearDecIndicators();
}

void Trackwin::Sized(gfx::Size outerSize)
{
    (void)outerSize;
    gfx::Canvas canvas = ClientCanvas();
    Paint(canvas);
}

void Trackwin::Moved(gfx::Point clientTopLeftOnScreen)
{
    tparam& record = *parameters_.params;
    record.trackX = clientTopLeftOnScreen.x;
    record.trackY = clientTopLeftOnScreen.y;
}

}  // namespace nuvix
