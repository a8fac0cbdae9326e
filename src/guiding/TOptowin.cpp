#include "guiding/TOptowin.h"

#include "guiding/Corrections.h"
#include "guiding/StarAnalysis.h"
#include "guiding/StarPosition.h"
#include "guiding/Trackwin.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace nuvix {

namespace {

constexpr gfx::Rect kPanelRect = gfx::Rect::FromSize(2, 406, 105, 70);
constexpr int kTopStrip = 10;  // the panel's top keeps the window's own background
constexpr int kGapMs = 5;      // leaves the UART time to send each byte
constexpr gfx::Color kTextColour{240, 176, 0};
constexpr gfx::Color kSaturatedColour{255, 0, 0};

// Pixels a pulse covers at a correction speed, with the sign of the error; 0 without a scale.
double PulsePixels(const GuidePulse& pulse, double speed, float arcsecPerPixel, double error)
{
    if (!(arcsecPerPixel > 0.0f)) return 0.0;
    return std::copysign(pulse.ms / 1000.0 * speed / arcsecPerPixel, error);
}

// A frame guided by the system's own outputs, as the log counts it: the error after the
// inversion flags, positive where the correction goes west and south.
GuideStep SystemStep(const StarReading& star, int32_t deltaX, int32_t deltaY, const FramePulses& pulses,
                     const tparam& record, float arcsecPerPixel)
{
    GuideStep step;
    step.dx = -static_cast<double>(deltaX);
    step.dy = -static_cast<double>(deltaY);
    step.raDistance = record.invertRa ? deltaX : -static_cast<double>(deltaX);
    step.decDistance = record.invertDec ? deltaY : -static_cast<double>(deltaY);
    step.pulses = pulses;
    step.raGuideDistance = PulsePixels(pulses.ra, record.raSpeed, arcsecPerPixel, step.raDistance);
    step.decGuideDistance = PulsePixels(pulses.dec, record.decSpeed, arcsecPerPixel, step.decDistance);
    step.starMass = static_cast<int32_t>(std::lround(star.mass));
    step.population = star.population;
    step.snr = star.snr;
    // The system guides on its own analysis, whose star is lost or swamped by its population.
    step.lost = StarLost(star.population) && !star.swamped;
    step.swamped = star.swamped;
    return step;
}

double Degrees(double y, double x)
{
    return std::atan2(y, x) * 180.0 / 3.141592653589793;
}

}  // namespace

TOptowin::TOptowin(ui::Toolkit& toolkit, ui::Window& mainWindow, CorrectionLinks links, const SharedDrawing& drawing)
    : ui::Window(toolkit, &mainWindow, "", ui::WindowStyle::BorderedChild, kPanelRect), links_(links), drawing_(drawing)
{
}

void TOptowin::Paint(gfx::Canvas& canvas)
{
    canvas.SetBrush(gfx::Brush::Black());
    canvas.DrawRectangle({0, kTopStrip, kPanelRect.Width(), kPanelRect.Height()});
}

GuidingSetup TOptowin::Setup() const
{
    const tparam& record = *links_.parameters.params;
    GuidingSetup setup;
    setup.mount = ProtocolName(record.protocol);
    if (links_.guider) {
        const MountReport report = links_.guider->Report();
        if (!report.name.empty()) setup.mount = "INDI " + report.name;
        setup.pointing = report.pointing;
        setup.pierSide = report.pierSide;
    }
    setup.camera = links_.acquisition.camera;
    setup.exposureMs = links_.acquisition.exposureMs;
    setup.arcsecPerPixel = links_.parameters.arcsecPerPixel;
    setup.focalLengthMm = record.focalLength * 10.0;
    setup.raSpeed = record.raSpeed;
    setup.decSpeed = record.decSpeed;
    setup.lockX = links_.tracking.refX;
    setup.lockY = links_.tracking.refY;
    return setup;
}

void TOptowin::SendCorrections(bool guide)
{
    gfx::Canvas canvas = ClientCanvas();
    canvas.FillRect({0, kTopStrip, kPanelRect.Width(), kTopStrip + kPanelRect.Height()}, gfx::Brush::Black());
    canvas.SetBackgroundColor(gfx::kBlack);
    canvas.SetTextColor(kTextColour);
    canvas.SetFont(drawing_.smallFont.get());
    if (!guide) {
        if (inSession_) links_.events.Publish(GuidingEnded{});
        inSession_ = false;
        return;
    }

    int32_t dx = links_.tracking.DeltaX();
    int32_t dy = links_.tracking.DeltaY();
    canvas.DrawText({50, 10}, std::to_string(dx));
    canvas.DrawText({50, 33}, std::to_string(dy));
    canvas.DrawText({10, 10}, "Delta X :");
    canvas.DrawText({10, 33}, "Delta Y :");

    const tparam& record = *links_.parameters.params;
    const AxisCorrection ad = CorrectionFor(dx, CorrectionGain(record.pixelSize, record.focalLength, record.raSpeed));
    const AxisCorrection dec = CorrectionFor(dy, CorrectionGain(record.pixelSize, record.focalLength, record.decSpeed));
    // Inversion turns the direction only: the length was taken from the error as measured.
    const int32_t measuredX = dx;
    const int32_t measuredY = dy;
    if (record.invertRa) dx = -dx;
    if (record.invertDec) dy = -dy;
    // The mount of timed pulses returns at once, so its pulses start while the serial bytes are
    // still going out.
    const StarReading& star = links_.star;
    GuideStep step;
    if (links_.guider) {
        const int32_t now = links_.clock.ElapsedMilliseconds();
        const auto exposed = static_cast<uint32_t>(std::max(links_.acquisition.exposureMs, 0.0f));
        step = links_.guider->Guide({star, static_cast<double>(links_.tracking.refX),
                                     static_cast<double>(links_.tracking.refY), links_.parameters.arcsecPerPixel,
                                     MillisecondsBefore(now, exposed), now, !inSession_});
    } else {
        step = SystemStep(star, measuredX, measuredY, {PulseFor(Axis::Ra, ad, dx), PulseFor(Axis::Dec, dec, dy)},
                          record, links_.parameters.arcsecPerPixel);
    }

    const auto send = [&](Axis axis, const AxisCorrection& correction, int32_t error, gfx::Point at) {
        const bool flagged = correction.saturated || !correction.usable;
        canvas.SetTextColor(flagged ? kSaturatedColour : kTextColour);
        canvas.DrawText(at, PerCentText(correction));
        if (record.protocol == kStellonStandard) {
            const uint16_t uart = static_cast<uint16_t>(links_.output.uartBase);
            links_.bus.WritePort(uart, CommandByte(axis, correction.pulseCode, error));
            links_.clock.WaitMilliseconds(kGapMs);
            links_.bus.WritePort(uart, ClosingByte(axis, error));
            return;
        }
        // A negative error lights the right diode of the pair.
        const int ms = kIndicatorMsPerUnit * correction.pulseCode * (error < 0 ? 1 : -1);
        axis == Axis::Ra ? links_.indicators.ShowAdPulse(ms) : links_.indicators.ShowDecPulse(ms);
    };
    send(Axis::Ra, ad, dx, {75, 10});
    links_.clock.WaitMilliseconds(kGapMs);
    send(Axis::Dec, dec, dy, {75, 33});
    TellStep(step);
}

void TOptowin::TellStep(const GuideStep& step)
{
    if (!inSession_) {
        inSession_ = true;
        const tparam& record = *links_.parameters.params;
        GuidingBegun begun;
        begun.setup = Setup();
        const float scale = links_.parameters.arcsecPerPixel;
        begun.invertRa = record.invertRa;
        begun.invertDec = record.invertDec;
        std::optional<GuideAxes> axes = links_.guider ? links_.guider->Axes(scale) : std::nullopt;
        if (axes) {
            begun.xAngleDegrees = Degrees(axes->raY, axes->raX);
            begun.yAngleDegrees = Degrees(axes->decY, axes->decX);
            begun.xRatePxPerSecond = axes->raRatePxPerMs * 1000.0;
            begun.yRatePxPerSecond = axes->decRatePxPerMs * 1000.0;
        } else if (!links_.guider) {
            // The system's own axes: X drives AD and Y drives DEC, as the inversion flags turn them.
            begun.xAngleDegrees = record.invertRa ? 0.0 : 180.0;
            begun.yAngleDegrees = record.invertDec ? -90.0 : 90.0;
            begun.xRatePxPerSecond = scale > 0.0f ? record.raSpeed / scale : 0.0;
            begun.yRatePxPerSecond = scale > 0.0f ? record.decSpeed / scale : 0.0;
        }
        links_.events.Publish(begun);
    }
    links_.events.Publish(step);
    // Guiding goes on without its log.
    if (links_.log && links_.log->TakeFailure()) Kit().MessageBox(this, "Journal de guidage impossible à écrire", "Erreur");
}

}  // namespace nuvix
