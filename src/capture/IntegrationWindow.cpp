#include "capture/IntegrationWindow.h"

#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <limits>

namespace nuvix {

namespace {

constexpr gfx::Color kYellow{240, 240, 0};
constexpr const char* kSaveName = "buffer.bmp";

// The check boxes carry no text: their captions are painted beside them.
constexpr ui::ControlPlacement kControls[] = {
    {compwin::kShowAverageBox, ui::ControlKind::CheckBox, "", 15, 40, 13, 13},
    {compwin::kResetButton, ui::ControlKind::PushButton, TrLater("RAZ"), 15, 90, 60, 20},
    {compwin::kGainUp, ui::ControlKind::PushButton, "+", 10, 180, 25, 16},
    {compwin::kGainDown, ui::ControlKind::PushButton, "-", 10, 200, 25, 16},
    {compwin::kGainBox, ui::ControlKind::CheckBox, "", 15, 230, 13, 13},
    {compwin::kStretchBox, ui::ControlKind::CheckBox, "", 15, 250, 13, 13},
    {compwin::kToleranceUp, ui::ControlKind::PushButton, "+", 10, 350, 25, 16},
    {compwin::kToleranceDown, ui::ControlKind::PushButton, "-", 10, 370, 25, 16},
    {compwin::kSaveButton, ui::ControlKind::PushButton, TrLater("Sauve"), 15, 415, 60, 30},
};

constexpr gfx::Rect kGroupFrames[] = {{5, 23, 90, 120}, {5, 158, 90, 280}, {5, 310, 90, 395}};

struct PlainCaption {
    int x, y;
    const char* text;
};
constexpr PlainCaption kCaptions[] = {
    {35, 38, TrLater("Voir")},    {15, 60, TrLater("N:")},       {50, 180, TrLater("Gain")},
    {35, 228, TrLater("X Gain")}, {35, 248, TrLater("Stretch")}, {25, 325, TrLater("pixels")},
};

}  // namespace

const ui::CommandEntry<compwin> compwin::kCommands[] = {
    {kShowAverageBox, &compwin::CmShowAverage},
    {kResetButton, &compwin::CmReset},
    {kGainUp, &compwin::CmGainUp},
    {kGainDown, &compwin::CmGainDown},
    {kGainBox, &compwin::CmGainOn},
    {kStretchBox, &compwin::CmStretchOn},
    {kToleranceUp, &compwin::CmToleranceUp},
    {kToleranceDown, &compwin::CmToleranceDown},
    {kSaveButton, &compwin::CmSave},
};

compwin::compwin(ui::Toolkit& toolkit, ui::Window* owner, gfx::Point mainWindowCorner, IntegrationState& integration,
                 PictureOwner& pictures)
    : ui::Window(toolkit, owner, Tr("Addition"), ui::WindowStyle::Popup,
                 gfx::Rect::FromSize(mainWindowCorner.x - kWidth - 1, mainWindowCorner.y, kWidth, kHeight)),
      integration_(integration),
      pictures_(pictures)
{
    AddControls(kControls);
}

void compwin::Paint(gfx::Canvas& canvas)
{
    canvas.FillRect({0, 0, kWidth, kHeight}, gfx::Brush::Black());
    canvas.SetPen(gfx::Pen::White());
    canvas.SetBrush(gfx::Brush::Black());
    for (const gfx::Rect& frame : kGroupFrames)
        canvas.DrawRectangle(frame);

    DrawLabel(25, 15, 50, Tr(" Buffer"));
    DrawLabel(30, 150, 40, Tr(" Visu"));
    DrawLabel(10, 302, 74, Tr(" Tolerance"));
    canvas.SetTextColor(kYellow);
    canvas.SetBackgroundMode(gfx::BackgroundMode::Transparent);
    for (const PlainCaption& c : kCaptions)
        canvas.DrawText({c.x, c.y}, Tr(c.text));
    // N comes with the next frame.
    DrawSettings();
}

// Drawn over a black box, so that a shorter number covers a longer one.
void compwin::DrawLabel(int x, int y, int width, const std::string& text)
{
    gfx::Canvas canvas = ClientCanvas();
    canvas.SetBrush(gfx::Brush::Black());
    canvas.SetPen(gfx::Pen::Null());
    canvas.DrawRectangle({x, y - 1, x + width, y + 14});
    canvas.SetTextColor(kYellow);
    canvas.SetBackgroundMode(gfx::BackgroundMode::Transparent);
    canvas.DrawText({x, y}, text);
}

void compwin::DrawSettings()
{
    DrawLabel(55, 200, 30, std::to_string(static_cast<int32_t>(integration_.gain)));
    DrawLabel(55, 360, 30, std::to_string(integration_.tolerance));
}

void compwin::ShowCount(int32_t frameCount)
{
    DrawLabel(45, 60, 30, std::to_string(frameCount));
}

bool compwin::Command(int id, int code)
{
    return ui::DispatchCommand<compwin>(*this, kCommands, id, code);
}

void compwin::CmShowAverage()
{
    integration_.showAverage = FindControl(kShowAverageBox)->IsChecked();
}

void compwin::CmReset()
{
    pictures_.ResetIntegration();
    ShowCount(integration_.frameCount);
}

void compwin::CmGainUp()
{
    integration_.gain += 1.0f;
    DrawSettings();
}

void compwin::CmGainDown()
{
    if (integration_.gain > 0.0f) integration_.gain -= 1.0f;
    DrawSettings();
}

// "X Gain" and "Stretch" exclude each other; unticking one clears only its own flag.
void compwin::CmGainOn()
{
    integration_.gainOn = FindControl(kGainBox)->IsChecked();
    if (!integration_.gainOn) return;
    FindControl(kStretchBox)->SetChecked(false);
    integration_.stretchOn = false;
}

void compwin::CmStretchOn()
{
    integration_.stretchOn = FindControl(kStretchBox)->IsChecked();
    if (!integration_.stretchOn) return;
    FindControl(kGainBox)->SetChecked(false);
    integration_.gainOn = false;
}

void compwin::CmToleranceUp()
{
    if (integration_.tolerance < std::numeric_limits<int32_t>::max()) ++integration_.tolerance;
    DrawSettings();
}

void compwin::CmToleranceDown()
{
    if (integration_.tolerance > 1) --integration_.tolerance;
    DrawSettings();
}

void compwin::CmSave()
{
    const files::ReplaceResult saved = pictures_.SaveImage(kSaveName);
    if (!saved.written) Kit().MessageBox(this, TrFill("Image non enregistrée : %s.", {saved.reason}), Tr("Erreur"));
}

}  // namespace nuvix
