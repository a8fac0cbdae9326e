#include "app/NuvixMainWindow.h"

#include "app/NuvixWindow.h"
#include "params/ParamSession.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <cstdio>

namespace nuvix {

namespace {

constexpr int kWidth = 541;
constexpr int kHeightBelowCaption = 466;

// Centred on the screen as an integer division would; nothing keeps it on the screen.
gfx::Rect MainWindowRect(const ui::ScreenMetrics& m)
{
    return gfx::Rect::FromSize((m.screenWidth - 540) / 2, (m.screenHeight - 486) / 2, kWidth,
                               m.captionHeight + kHeightBelowCaption);
}

// The camera-setting panel, in creation order.
constexpr ui::ControlPlacement kPanelControls[] = {
    {342, ui::ControlKind::PushButton, "+", 340, 10, 25, 16},
    {343, ui::ControlKind::PushButton, "-", 340, 28, 25, 16},
    {350, ui::ControlKind::PushButton, TrLater("1s"), 440, 28, 25, 16},
    {351, ui::ControlKind::PushButton, TrLater("2s"), 470, 28, 25, 16},
    {362, ui::ControlKind::PushButton, TrLater("4s"), 500, 28, 25, 16},
    {344, ui::ControlKind::PushButton, "+", 340, 60, 25, 16},
    {345, ui::ControlKind::PushButton, "-", 340, 78, 25, 16},
    {366, ui::ControlKind::PushButton, "100", 450, 60, 35, 16},
    {367, ui::ControlKind::PushButton, "180", 450, 78, 35, 16},
    {363, ui::ControlKind::PushButton, TrLater("Max"), 490, 60, 35, 32},
    {340, ui::ControlKind::PushButton, "+", 340, 110, 25, 16},
    {341, ui::ControlKind::PushButton, "-", 340, 128, 25, 16},
    {346, ui::ControlKind::PushButton, "+", 340, 172, 25, 16},
    {347, ui::ControlKind::PushButton, "-", 340, 192, 25, 16},
    {364, ui::ControlKind::CheckBox, "", 450, 128, 13, 13},
    {365, ui::ControlKind::CheckBox, "", 450, 192, 13, 13},
};

// The exposure, contrast, white-balance and threshold groups.
constexpr gfx::Rect kGroupFrames[] = {
    {325, 168, 531, 212},
    {325, 5, 531, 49},
    {325, 55, 531, 99},
    {325, 105, 531, 149},
};

}  // namespace

NuvixMainWindow::NuvixMainWindow(ui::Toolkit& toolkit, AppContext& context, const std::string& caption)
    : ui::Window(toolkit, nullptr, caption, ui::WindowStyle::Frame, MainWindowRect(toolkit.Metrics())),
      context_(context),
      state_(context.state)
{
    const ui::ScreenMetrics metrics = toolkit.Metrics();
    captionHeight_ = metrics.captionHeight;
    state_.placement.mainWindowX = OuterRect().left;
    state_.placement.mainWindowY = OuterRect().top;
    CreatePanelControls();
    // The system's small font: a narrow face, so that every label fits the room the layout
    // gives it ("Delta X :" in 40 pixels); the label boxes are 15 pixels high.
    drawing_.smallFont = toolkit.Fonts().Load({"Liberation Sans Narrow", 11, false});
    state_.series.defaultSeriesName = true;
}

void NuvixMainWindow::CreatePanelControls()
{
    AddControls(kPanelControls);
    autoWhiteBalanceBox_ = FindControl(364);
    manualThresholdBox_ = FindControl(365);
}

void NuvixMainWindow::SetupWindow()
{
    state_.camera = CameraSettings{};  // the camera's start values
    state_.panel.manualThreshold = 32;
    state_.parameters.params = std::make_unique<tparam>();

    // Building the image window loads the parameter file and restores the camera settings.
    imageWindow_ = std::make_unique<NuvixWindow>(Kit(), context_, *this);
    imageWindow_->Create();
    UpdateExposureDisplay();
}

void NuvixMainWindow::Paint(gfx::Canvas& canvas)
{
    canvas.SetBrush(drawing_.panelBrush);
    canvas.SetPen(gfx::Pen::Black());
    canvas.DrawRectangle({0, 0, OuterRect().Width(), OuterRect().Height()});

    canvas.SetPen(gfx::Pen::Black());
    canvas.SetBrush(gfx::Brush::Null());
    for (const gfx::Rect& frame : kGroupFrames)
        canvas.DrawRectangle(frame);
    UpdateExposureDisplay();
}

bool NuvixMainWindow::StoreParameters()
{
    ParameterState& parameters = state_.parameters;
    if (!parameters.params) return true;  // nothing was loaded, nothing is owed
    if (!parameters.file.endOfRun) {
        tparam& record = *parameters.params;
        record.exposureStep = state_.camera.exposureStep;
        record.contrast = state_.camera.contrast;
        record.whiteBalance = state_.camera.whiteBalance;
        const SaveResult& saved = EndParamSession(context_.paramFile, record, parameters.file);
        // The observer's message, repeated for the exit status 3; in the observer's language, as the
        // reason is.
        if (!saved.saved) {
            std::fprintf(stderr, "nuvix: %s\n", TrFill("paramètres non enregistrés : %s", {saved.reason}).c_str());
        }
    }
    return parameters.file.endOfRun->saved;
}

void NuvixMainWindow::CloseRequested()
{
    // Stored while the window is still up, so that a failure can be shown before the program ends.
    const bool alreadyStored = state_.parameters.file.endOfRun.has_value();
    if (!StoreParameters() && !alreadyStored) {
        Kit().MessageBox(this, TrFill("Paramètres non enregistrés : %s.", {state_.parameters.file.endOfRun->reason}),
                         Tr("Paramètres"));
    }
    ui::Window::CloseRequested();
}

NuvixMainWindow::~NuvixMainWindow()
{
    // An end that did not come through the close box stores here.
    StoreParameters();
    state_.parameters.params.reset();
    // The image window goes before the drawing objects it borrows.
    imageWindow_.reset();
    drawing_.smallFont.reset();
}

}  // namespace nuvix
