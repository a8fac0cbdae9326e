#pragma once

#include "app/SharedDrawing.h"
#include "guiding/CorrectionOutput.h"
#include "guiding/GuideLog.h"
#include "guiding/GuideOutputPolicy.h"
#include "guiding/GuidePulseSink.h"
#include "guiding/GuidedFrameListener.h"
#include "guiding/TrackingState.h"
#include "params/ParameterState.h"
#include "platform/clock/Clock.h"
#include "platform/ports/PortBus.h"
#include "platform/ui/Window.h"

namespace nuvix {

class Trackwin;

// What the corrections are computed from and where they go.
struct CorrectionLinks {
    const TrackingState& tracking;
    ParameterState& parameters;
    CorrectionOutput& output;
    PortBus& bus;
    Clock& clock;
    Trackwin& indicators;
    const AnalysisResults& analysis;
    // Further destinations of the corrections; null for none.
    GuidePulseSink* sink = nullptr;
    GuideLog* log = nullptr;
    // What the guider's clients let through; null: everything.
    const GuideOutputPolicy* policy = nullptr;
    GuidedFrameListener* listener = nullptr;
};

// The small panel under the "Track" button where every guided frame's errors and the size of
// each correction are written.
class TOptowin : public ui::Window {
public:
    // Asks the pulse sink what the user must be told.
    static constexpr int kSinkNoticeTimer = 5;
    static constexpr int kSinkNoticePeriodMs = 250;

    TOptowin(ui::Toolkit& toolkit, ui::Window& mainWindow, CorrectionLinks links, const SharedDrawing& drawing);

    // Once per frame: clears the panel and, when `guide` (guiding on and not suspended), turns
    // the guide error into one correction per axis, AD from Delta X then DEC from Delta Y, sent
    // under the record's protocol and written on the panel. The same corrections go to the pulse
    // sink and the guide log.
    void SendCorrections(bool guide);

protected:
    void SetupWindow() override;
    void Paint(gfx::Canvas& canvas) override;
    void Timer(int id) override;

private:
    GuideLogSession Session() const;
    void LogFrame(const GuideLogFrame& frame, int32_t now);

    CorrectionLinks links_;
    const SharedDrawing& drawing_;
};

}  // namespace nuvix
