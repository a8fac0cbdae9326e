#include "guiding/TOptowin.h"

#include "guiding/Corrections.h"
#include "guiding/Trackwin.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <optional>
#include <string>

namespace nuvix {

namespace {

constexpr gfx::Rect kPanelRect = gfx::Rect::FromSize(2, 406, 105, 70);
constexpr int kTopStrip = 10;  // the panel's top keeps the window's own background
constexpr int kGapMs = 5;      // leaves the UART time to send each byte
constexpr gfx::Color kTextColour{240, 176, 0};
constexpr gfx::Color kSaturatedColour{255, 0, 0};

}  // namespace

TOptowin::TOptowin(ui::Toolkit& toolkit, ui::Window& mainWindow, CorrectionLinks links, const SharedDrawing& drawing)
    : ui::Window(toolkit, &mainWindow, "", ui::WindowStyle::BorderedChild, kPanelRect), links_(links), drawing_(drawing)
{
}

void TOptowin::SetupWindow()
{
    if (links_.sink) SetTimer(kSinkNoticeTimer, kSinkNoticePeriodMs);
}

void TOptowin::Timer(int id)
{
    if (id != kSinkNoticeTimer || !links_.sink) return;
    if (const std::optional<SinkNotice> notice = links_.sink->TakeNotice()) {
        Kit().MessageBox(this, notice->text, notice->caption);
    }
}

void TOptowin::Paint(gfx::Canvas& canvas)
{
    canvas.SetBrush(gfx::Brush::Black());
    canvas.DrawRectangle({0, kTopStrip, kPanelRect.Width(), kPanelRect.Height()});
}

void TOptowin::SendCorrections(bool guide)
{
    gfx::Canvas canvas = ClientCanvas();
    canvas.FillRect({0, kTopStrip, kPanelRect.Width(), kTopStrip + kPanelRect.Height()}, gfx::Brush::Black());
    canvas.SetBackgroundColor(gfx::kBlack);
    canvas.SetTextColor(kTextColour);
    canvas.SetFont(drawing_.smallFont.get());
    if (!guide) {
        if (links_.log) links_.log->End();
        return;
    }

    int32_t dx = links_.tracking.DeltaX();
    int32_t dy = links_.tracking.DeltaY();
    canvas.DrawText({50, 10}, std::to_string(dx));
    canvas.DrawText({50, 33}, std::to_string(dy));
    canvas.DrawText({10, 10}, Tr("Delta X :"));
    canvas.DrawText({10, 33}, Tr("Delta Y :"));

    const tparam& record = *links_.parameters.params;
    const AxisCorrection ad = CorrectionFor(dx, CorrectionGain(record.pixelSize, record.focalLength, record.raSpeed));
    const AxisCorrection dec = CorrectionFor(dy, CorrectionGain(record.pixelSize, record.focalLength, record.decSpeed));
    // Inversion turns the direction only: the length was taken from the error as measured.
    const int32_t measuredX = dx;
    const int32_t measuredY = dy;
    if (record.invertRa) dx = -dx;
    if (record.invertDec) dy = -dy;
    // The sink returns at once, so its pulses start while the serial bytes are still going out.
    const FramePulses pulses{PulseFor(Axis::Ra, ad, dx), PulseFor(Axis::Dec, dec, dy)};
    if (links_.sink) links_.sink->Send(pulses);

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
    if (links_.log) LogFrame(measuredX, measuredY, pulses);
}

void TOptowin::LogFrame(int32_t dx, int32_t dy, const FramePulses& pulses)
{
    GuideLog& log = *links_.log;
    const tparam& record = *links_.parameters.params;
    const int32_t now = links_.clock.ElapsedMilliseconds();
    if (!log.InSession()) {
        GuideLogSession session;
        session.arcsecPerPixel = links_.parameters.arcsecPerPixel;
        session.focalLengthMm = record.focalLength * 10.0;
        session.raSpeed = record.raSpeed;
        session.decSpeed = record.decSpeed;
        session.invertRa = record.invertRa;
        session.invertDec = record.invertDec;
        const std::string mount = links_.sink ? links_.sink->MountName() : std::string();
        session.mount = mount.empty() ? ProtocolName(record.protocol) : "INDI " + mount;
        session.lockX = links_.tracking.refX;
        session.lockY = links_.tracking.refY;
        log.Begin(session, now);
    }
    log.Frame({dx, dy, record.invertRa, record.invertDec, pulses, links_.analysis.population}, now);
    // Guiding goes on without its log.
    if (log.TakeFailure()) Kit().MessageBox(this, Tr("Journal de guidage impossible à écrire"), Tr("Erreur"));
}

}  // namespace nuvix
