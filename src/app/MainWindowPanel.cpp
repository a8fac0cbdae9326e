// The camera-setting panel of the main window: its commands and its texts.
#include "app/ExposureDisplay.h"
#include "app/NuvixMainWindow.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <string>

namespace nuvix {

const ui::CommandEntry<NuvixMainWindow> NuvixMainWindow::kCommands[] = {
    {342, &NuvixMainWindow::CmExposureUp},       {343, &NuvixMainWindow::CmExposureDown},
    {350, &NuvixMainWindow::CmExposurePreset1s}, {351, &NuvixMainWindow::CmExposurePreset2s},
    {362, &NuvixMainWindow::CmExposurePreset4s}, {344, &NuvixMainWindow::CmContrastUp},
    {345, &NuvixMainWindow::CmContrastDown},     {366, &NuvixMainWindow::CmContrast100},
    {367, &NuvixMainWindow::CmContrast180},      {363, &NuvixMainWindow::CmContrastMax},
    {340, &NuvixMainWindow::CmWhiteBalanceUp},   {341, &NuvixMainWindow::CmWhiteBalanceDown},
    {364, &NuvixMainWindow::CmAutoWhiteBalance}, {346, &NuvixMainWindow::CmThresholdUp},
    {347, &NuvixMainWindow::CmThresholdDown},    {365, &NuvixMainWindow::CmManualThreshold},
};

bool NuvixMainWindow::Command(int id, int code)
{
    return ui::DispatchCommand<NuvixMainWindow>(*this, kCommands, id, code);
}

void NuvixMainWindow::ExposureUp()
{
    CameraSettings& camera = state_.camera;
    if (camera.exposureStep < kHighestExposureStep) ++camera.exposureStep;
    UpdateExposureDisplay();
}

void NuvixMainWindow::ExposureDown()
{
    CameraSettings& camera = state_.camera;
    if (camera.exposureStep > kLowestExposureStep) --camera.exposureStep;
    UpdateExposureDisplay();
}

void NuvixMainWindow::SetExposureStep(uint16_t step)
{
    state_.camera.exposureStep = step;
    UpdateExposureDisplay();
}

void NuvixMainWindow::SetContrast(uint16_t value)
{
    state_.camera.contrast = value;
    RefreshSettingsDisplay();
}

void NuvixMainWindow::CmContrastUp()
{
    if (state_.camera.contrast < 255) ++state_.camera.contrast;
    RefreshSettingsDisplay();
}

void NuvixMainWindow::CmContrastDown()
{
    if (state_.camera.contrast > 0) --state_.camera.contrast;
    RefreshSettingsDisplay();
}

void NuvixMainWindow::EndAutoWhiteBalance()
{
    if (autoWhiteBalanceBox_) autoWhiteBalanceBox_->SetChecked(false);
    state_.panel.autoWhiteBalance = false;
}

void NuvixMainWindow::CmWhiteBalanceUp()
{
    if (state_.camera.whiteBalance < 255) ++state_.camera.whiteBalance;
    EndAutoWhiteBalance();
    RefreshSettingsDisplay();
}

void NuvixMainWindow::CmWhiteBalanceDown()
{
    if (state_.camera.whiteBalance > 0) --state_.camera.whiteBalance;
    EndAutoWhiteBalance();
    RefreshSettingsDisplay();
}

void NuvixMainWindow::CmAutoWhiteBalance()
{
    Kit().MessageBeep(ui::kBeepDefault);
    state_.panel.autoWhiteBalance = autoWhiteBalanceBox_ && autoWhiteBalanceBox_->IsChecked();
}

void NuvixMainWindow::CmThresholdUp()
{
    if (state_.panel.manualThreshold < 63) ++state_.panel.manualThreshold;
    RefreshSettingsDisplay();
}

void NuvixMainWindow::CmThresholdDown()
{
    if (state_.panel.manualThreshold > 0) --state_.panel.manualThreshold;
    RefreshSettingsDisplay();
}

void NuvixMainWindow::CmManualThreshold()
{
    Kit().MessageBeep(ui::kBeepDefault);
    if (manualThresholdBox_ && manualThresholdBox_->IsChecked()) {
        // Manual mode starts from the threshold the analysis used last.
        state_.panel.manualThreshold = state_.analysis.autoThreshold;
        RefreshSettingsDisplay();
        state_.panel.manualThresholdOn = true;
    } else {
        state_.panel.manualThresholdOn = false;
    }
}

void NuvixMainWindow::UpdateExposureDisplay()
{
    CameraSettings& camera = state_.camera;
    camera.exposureLevel = ExposureLevelFor(camera.exposureStep);
    exposureText_ = ExposureText(ExposureTimeMs(camera.exposureLevel));
    RefreshSettingsDisplay();
}

void NuvixMainWindow::RefreshSettingsDisplay()
{
    struct LabelBox {
        std::string text;
        int x, y, width;
    };
    const LabelBox boxes[] = {
        {Tr("Exposition"), 380, 10, 50},
        {Tr("Contraste"), 380, 61, 50},
        {Tr("White Bal."), 380, 111, 50},
        {Tr("Seuil manuel"), 375, 172, 50},
        {Tr("Auto"), 470, 128, 50},
        {Tr("Manuel"), 470, 192, 50},
        {exposureText_, 380, 30, 58},
        {std::to_string(state_.camera.contrast), 385, 80, 50},
        {std::to_string(state_.camera.whiteBalance), 385, 130, 50},
        {std::to_string(state_.panel.manualThreshold), 400, 192, 20},
    };
    for (const LabelBox& box : boxes)
        DrawLabelBox(box.text, box.x, box.y, box.width);
}

namespace {
// The first n characters of a UTF-8 text.
std::string FirstCharacters(const std::string& text, size_t n)
{
    size_t i = 0;
    for (size_t count = 0; i < text.size() && count < n; ++count) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return text.substr(0, i);
}
}  // namespace

void NuvixMainWindow::DrawLabelBox(const std::string& text, int x, int y, int width)
{
    gfx::Canvas canvas = ClientCanvas();
    canvas.SetFont(drawing_.smallFont.get());
    canvas.SetTextColor({240, 240, 0});
    canvas.SetBackgroundMode(gfx::BackgroundMode::Transparent);
    canvas.SetBrush(drawing_.panelBrush);
    canvas.SetPen(gfx::Pen::Null());
    canvas.DrawRectangle({x, y - 1, x + width, y + 14});
    canvas.DrawText({x, y}, FirstCharacters(text, 10));
}

}  // namespace nuvix
