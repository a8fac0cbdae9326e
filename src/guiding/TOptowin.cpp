#include "guiding/TOptowin.h"

#include "guiding/Corrections.h"
#include "guiding/StarAnalysis.h"
#include "guiding/StarPosition.h"
#include "guiding/Trackwin.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>

namespace nuvix {

namespace {

constexpr gfx::Rect kPanelRect = gfx::Rect::FromSize(2, 406, 105, 70);
constexpr int kTopStrip = 10;  // the panel's top keeps the window's own background
constexpr int kGapMs = 5;      // leaves the UART time to send each byte
constexpr gfx::Color kTextColour{240, 176, 0};
constexpr gfx::Color kSaturatedColour{255, 0, 0};

// A frame guided by the system's own outputs, as the log and the guiding server's clients hear it.
GuideStep SystemStep(const StarReading& star, const GuideLogFrame& frame, const GuideLogSession& session)
{
    const GuideStepNumbers n = StepNumbers(frame, session);
    GuideStep step;
    step.dx = n.dx;
    step.dy = n.dy;
    step.raDistance = n.raRaw;
    step.decDistance = n.decRaw;
    step.raGuideDistance = n.raGuide;
    step.decGuideDistance = n.decGuide;
    step.pulses = frame.pulses;
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
    return std::atan2(y, x) * 180.0 / std::numbers::pi;
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
        if (links_.listener) links_.listener->UnguidedFrame();
        return;
    }

    int32_t dx = links_.tracking.DeltaX();
    int32_t dy = links_.tracking.DeltaY();
    canvas.DrawText({50, 10}, std::to_string(dx));
    canvas.DrawText({50, 33}, std::to_string(dy));
    canvas.DrawText({10, 10}, Tr("Delta X :"));
    canvas.DrawText({10, 33}, Tr("Delta Y :"));

    const tparam& record = *links_.parameters.params;
    AxisCorrection ad = CorrectionFor(dx, CorrectionGain(record.pixelSize, record.focalLength, record.raSpeed));
    AxisCorrection dec = CorrectionFor(dy, CorrectionGain(record.pixelSize, record.focalLength, record.decSpeed));
    // Inversion turns the direction only: the length was taken from the error as measured.
    const int32_t measuredX = dx;
    const int32_t measuredY = dy;
    if (record.invertRa) dx = -dx;
    if (record.invertDec) dy = -dy;
    if (links_.policy) {
        ad = AllowedCorrection(Axis::Ra, ad, dx, *links_.policy);
        dec = AllowedCorrection(Axis::Dec, dec, dy, *links_.policy);
    }
    // The mount of timed pulses returns at once, so its pulses start while the serial bytes are
    // still going out.
    const int32_t now = links_.clock.ElapsedMilliseconds();
    GuideLogFrame frame{measuredX,
                        measuredY,
                        record.invertRa,
                        record.invertDec,
                        {PulseFor(Axis::Ra, ad, dx), PulseFor(Axis::Dec, dec, dy)},
                        links_.analysis.population};
    GuideStep step;
    if (links_.guider) {
        const auto exposed = static_cast<uint32_t>(std::max(links_.acquisition.exposureMs, 0.0f));
        step = links_.guider->Guide({links_.star, static_cast<double>(links_.tracking.refX),
                                     static_cast<double>(links_.tracking.refY), links_.parameters.arcsecPerPixel,
                                     MillisecondsBefore(now, exposed), now, !inSession_, links_.policy});
        frame.pulses = step.pulses;
    } else {
        step = SystemStep(links_.star, frame, Session());
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

GuideLogSession TOptowin::Session() const
{
    const GuidingSetup setup = Setup();
    const tparam& record = *links_.parameters.params;
    GuideLogSession session;
    session.arcsecPerPixel = setup.arcsecPerPixel;
    session.raSpeed = setup.raSpeed;
    session.decSpeed = setup.decSpeed;
    session.invertRa = record.invertRa;
    session.invertDec = record.invertDec;
    return session;
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
        if (links_.guider) begun.algorithmLines = GuideAlgorithmLogLines(links_.guider->Settings());
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
    if (links_.log && links_.log->TakeFailure()) {
        Kit().MessageBox(this, Tr("Journal de guidage impossible à écrire"), Tr("Erreur"));
    }
}

}  // namespace nuvix
