#pragma once

#include "app/AppState.h"
#include "app/SharedDrawing.h"
#include "guiding/TrackingState.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Window.h"

namespace nuvix {

// The height of a histogram bar of `count` pixels when the fullest level has `largest`: the
// square-root scale truncated, exactly, so that the fullest level is always 90 pixels.
int HistogramBarHeight(int32_t count, int32_t largest);

// The panel beside the picture that shows what the star analysis found in the tracking box on
// the latest frame: the box's histogram on a square-root scale with the threshold marked under
// it, the peak level, the number of pixels above the threshold, and their column and row
// profiles. Everything is redrawn from the analysis results, through a back buffer.
class THistwin : public ui::Window {
public:
    static constexpr int kWidth = 210;
    static constexpr int kHeight = 242;

    THistwin(ui::Toolkit& toolkit, ui::Window& mainWindow, const AnalysisResults& analysis, const PanelValues& panel,
             const SharedDrawing& drawing);

    // After every frame, guiding or not.
    void Update();
    const gfx::Bitmap& BackBuffer() const { return back_; }

protected:
    void SetupWindow() override;
    void Paint(gfx::Canvas& canvas) override;

private:
    void Render();

    const AnalysisResults& analysis_;
    const PanelValues& panel_;
    const SharedDrawing& drawing_;
    gfx::Bitmap back_;
};

}  // namespace nuvix
