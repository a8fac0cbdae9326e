#include "analysis/EnergyWindow.h"

#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>
#include <string>

namespace nuvix {

namespace {

constexpr gfx::Color kTextColour{240, 176, 0};
constexpr int kLongestBar = 150;
constexpr int kXChartBase = 170;
constexpr int kYChartBase = 350;
// The charts and the time are copied to the window; the buttons between them are not overdrawn.
constexpr int kChartRows = 355;
constexpr int kTimeRowsInBuffer = 440;
constexpr int kTimeRowsOnWindow = 435;
constexpr int kTimeRows = 20;
constexpr int kTimeLine = 445;

constexpr ui::ControlPlacement kControls[] = {
    {specwin::kSuspendButton, ui::ControlKind::PushButton, TrLater("Suspend"), 10, 385, 80, 20},
    {specwin::kResetButton, ui::ControlKind::PushButton, TrLater("Reset"), 10, 415, 80, 20},
};

void Count(std::array<int32_t, specwin::kBins>& counts, int32_t error)
{
    const int64_t bin = int64_t{error} + specwin::kZeroBin;
    if (bin >= 0 && bin < specwin::kBins) ++counts[static_cast<size_t>(bin)];
}

// One line per error, 2 pixels apart, the fullest exactly kLongestBar long.
void DrawChart(gfx::Canvas& back, const std::array<int32_t, specwin::kBins>& counts, int base)
{
    const int32_t largest = std::max(1, *std::max_element(counts.begin(), counts.end()));
    for (int b = 0; b < specwin::kBins; ++b) {
        const int64_t length = int64_t{counts[static_cast<size_t>(b)]} * kLongestBar / largest;
        back.DrawLine({2 * b, base}, {2 * b, base - static_cast<int>(length)});
    }
}

}  // namespace

const ui::CommandEntry<specwin> specwin::kCommands[] = {
    {kSuspendButton, &specwin::CmSuspend},
    {kResetButton, &specwin::CmReset},
};

specwin::specwin(ui::Toolkit& toolkit, ui::Window& owner, gfx::Point topLeft, TrackingState& tracking,
                 const SharedDrawing& drawing)
    : ui::Window(toolkit, &owner, Tr("Energie"), ui::WindowStyle::Popup,
                 gfx::Rect::FromSize(topLeft.x, topLeft.y, kWidth, kHeight), false),
      tracking_(tracking),
      drawing_(drawing),
      clock_(toolkit.GetClock())
{
    AddControls(kControls);
    ResetStatistics();
}

void specwin::SetupWindow()
{
    back_.Resize(kWidth, kHeight);
}

void specwin::ResetStatistics()
{
    xCounts_.fill(0);
    yCounts_.fill(0);
    xCounts_[kZeroBin] = 1;
    yCounts_[kZeroBin] = 1;
    guidingStart_ = clock_.ElapsedMilliseconds();
    pausedElapsed_ = 0;
}

void specwin::Update()
{
    gfx::Canvas back(back_);
    back.FillBlack({0, 0, kWidth, kHeight});
    back.SetPen(drawing_.orangePen);
    back.SetBackgroundColor(gfx::kBlack);
    back.SetTextColor(kTextColour);
    back.SetFont(drawing_.smallFont.get());
    Count(xCounts_, tracking_.DeltaX());
    DrawChart(back, xCounts_, kXChartBase);
    Count(yCounts_, tracking_.DeltaY());
    DrawChart(back, yCounts_, kYChartBase);
    back.DrawText({20, 5}, "X");
    back.DrawText({20, 190}, "Y");
    DrawElapsedTime(back);

    gfx::Canvas window = ClientCanvas();
    window.CopyBlock(0, 0, kWidth, kChartRows, back_, 0, 0);
    window.CopyBlock(0, kTimeRowsOnWindow, kWidth, kTimeRows, back_, 0, kTimeRowsInBuffer);
}

void specwin::DrawElapsedTime(gfx::Canvas& back)
{
    const auto seconds = static_cast<int32_t>(MillisecondsSince(guidingStart_, clock_.ElapsedMilliseconds()) / 1000);
    const int32_t hours = seconds / 3600;
    const int32_t minutes = (seconds - 3600 * hours) / 60;
    back.DrawText({10, kTimeLine}, TrFill("%sh", {std::to_string(hours)}));
    back.DrawText({40, kTimeLine}, TrFill("%smn", {std::to_string(minutes)}));
    back.DrawText({70, kTimeLine}, TrFill("%ss", {std::to_string(seconds - 3600 * hours - 60 * minutes)}));
}

void specwin::Paint(gfx::Canvas& canvas)
{
    // The charts come back with the next frame.
    canvas.FillRect({0, 0, kWidth, kHeight}, gfx::Brush::Black());
}

bool specwin::Command(int id, int code)
{
    return ui::DispatchCommand<specwin>(*this, kCommands, id, code);
}

void specwin::CmSuspend()
{
    ui::Control& button = *FindControl(kSuspendButton);
    if (!tracking_.guidingSuspended) {
        button.SetText(Tr("Re-start"));
        pausedElapsed_ = MillisecondsSince(guidingStart_, clock_.ElapsedMilliseconds());
    } else {
        button.SetText(Tr("Suspend"));
        // The clock goes on from where it stopped.
        guidingStart_ = MillisecondsBefore(clock_.ElapsedMilliseconds(), pausedElapsed_);
    }
    tracking_.guidingSuspended = !tracking_.guidingSuspended;
}

void specwin::CmReset()
{
    ResetStatistics();
    Update();
}

}  // namespace nuvix
