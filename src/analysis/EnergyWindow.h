#pragma once

#include "app/SharedDrawing.h"
#include "guiding/TrackingState.h"
#include "platform/clock/Clock.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Window.h"

#include <array>
#include <cstdint>

namespace nuvix {

// "Energie": while guiding, how the guide error has been spread since guiding started, one bar
// chart per axis counting the frames per whole pixel of error, and the guiding time under them.
// "Suspend" pauses guiding (and with it the counting and the clock), "Re-start" resumes it,
// "Reset" starts the statistics and the clock again. A free-floating window without a close box,
// shown while guiding.
class specwin : public ui::Window {
public:
    static constexpr int kResetButton = 700;
    static constexpr int kSuspendButton = 701;
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 486;
    // Errors from -25 to +24 pixels are counted, at index error + 25.
    static constexpr int kBins = 50;
    static constexpr int kZeroBin = 25;

    // `topLeft`: the window's corner on the screen.
    specwin(ui::Toolkit& toolkit, ui::Window& owner, gfx::Point topLeft, TrackingState& tracking,
            const SharedDrawing& drawing);

    // Counts the current guide error once and redraws.
    void Update();
    // Only the zero error counted, once; the clock back to 0.
    void ResetStatistics();
    // Frames per error, from -25 (index 0) to +24 pixels.
    const std::array<int32_t, kBins>& XCounts() const { return xCounts_; }
    const std::array<int32_t, kBins>& YCounts() const { return yCounts_; }

protected:
    void SetupWindow() override;
    void Paint(gfx::Canvas& canvas) override;
    bool Command(int id, int code) override;

private:
    static const ui::CommandEntry<specwin> kCommands[];

    void CmSuspend();
    void CmReset();
    void DrawElapsedTime(gfx::Canvas& back);

    TrackingState& tracking_;
    const SharedDrawing& drawing_;
    Clock& clock_;
    std::array<int32_t, kBins> xCounts_{};
    std::array<int32_t, kBins> yCounts_{};
    int32_t guidingStart_ = 0;    // the clock's reading at which the elapsed time is 0
    uint32_t pausedElapsed_ = 0;  // the elapsed time at the last "Suspend"
    gfx::Bitmap back_;
};

}  // namespace nuvix
