#pragma once

#include "app/SharedDrawing.h"
#include "camera/FrameSource.h"
#include "guiding/CorrectionOutput.h"
#include "guiding/GuideLog.h"
#include "guiding/GuideOutputPolicy.h"
#include "guiding/GuideStepNumbers.h"
#include "guiding/GuidedFrameListener.h"
#include "guiding/GuidingEvents.h"
#include "guiding/MountGuider.h"
#include "guiding/StarPosition.h"
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
    const StarReading& star;  // as measured on the frame
    const AcquisitionFacts& acquisition;
    GuidingEvents& events;  // every guided frame is told there
    // A mount that also takes the corrections as timed pulses; null for none.
    MountGuider* guider = nullptr;
    GuideLog* log = nullptr;  // whose failure is told
    // What the guider's clients let through; null: everything.
    const GuideOutputPolicy* policy = nullptr;
    GuidedFrameListener* listener = nullptr;
};

// The small panel under the "Track" button where every guided frame's errors and the size of
// each correction are written.
class TOptowin : public ui::Window {
public:
    TOptowin(ui::Toolkit& toolkit, ui::Window& mainWindow, CorrectionLinks links, const SharedDrawing& drawing);

    // Once per frame: clears the panel and, when `guide` (guiding on and not suspended), turns
    // the guide error into one correction per axis, AD from Delta X then DEC from Delta Y, sent
    // under the record's protocol and written on the panel. The mount of timed pulses gets its
    // own through its calibration; the guided frame is told to the guiding's events.
    void SendCorrections(bool guide);
    // The set-up a calibration or a guiding section begins with, the lock at the reference.
    GuidingSetup Setup() const;

protected:
    void Paint(gfx::Canvas& canvas) override;

private:
    void TellStep(const GuideStep& step);
    GuideLogSession Session() const;

    CorrectionLinks links_;
    const SharedDrawing& drawing_;
    bool inSession_ = false;
};

}  // namespace nuvix
