#include "params/ParameterDialog.h"

#include "params/ImageScale.h"
#include "params/ParameterText.h"
#include "platform/text/NumberText.h"
#include "platform/text/Translate.h"
#include "resources/DialogTemplates.h"

#include <cmath>
#include <limits>

namespace nuvix {

namespace {

constexpr const char* kProtocolNames[] = {TrLater("Stellon standard"), TrLater("LX200"), TrLater("Diodes virtuelles")};

// The scale is worked out from single-precision inputs; a typed value beyond their range
// becomes infinite instead of undefined.
double Single(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::fabs(value) > kLargest) return std::copysign(std::numeric_limits<double>::infinity(), value);
    return static_cast<float>(value);
}

}  // namespace

const ui::CommandEntry<tparawin> tparawin::kCommands[] = {
    {kOkButton, &tparawin::CmOk},
    {kCancelButton, &tparawin::CmCancel},
};

tparawin::tparawin(ui::Toolkit& toolkit, ui::Window* parent, ParameterState& parameters, gfx::Point placedAt)
    : ui::Dialog(toolkit, parent, resources::ParameterDialogTemplate()), parameters_(parameters), placedAt_(placedAt)
{
}

void tparawin::SetupWindow()
{
    MoveTo(placedAt_);
    const tparam& record = *parameters_.params;
    typed_ = {};
    FindControl(kInvertDecBox)->SetChecked(record.invertDec);
    FindControl(kInvertRaBox)->SetChecked(record.invertRa);
    FindControl(kDarkSpotBox)->SetChecked(record.darkSpotGuiding);
    FindControl(kFocalLengthEdit)->SetText(EditTextFor(record.focalLength));
    FindControl(kPixelSizeEdit)->SetText(EditTextFor(record.pixelSize));
    FindControl(kRaSpeedEdit)->SetText(EditTextFor(record.raSpeed));
    FindControl(kDecSpeedEdit)->SetText(EditTextFor(record.decSpeed));
    if (record.comPort >= 0 && record.comPort < kPortCount) {
        FindControl(kFirstPortButton + record.comPort)->SetChecked(true);
    }
    ui::Control& protocols = *FindControl(kProtocolList);
    for (const char* name : kProtocolNames)
        protocols.AddItem(Tr(name));
    protocols.SetSelection(record.protocol);
    ComputeResolution();
}

bool tparawin::Command(int id, int code)
{
    if (id >= kFocalLengthEdit && id <= kDecSpeedEdit) {
        if (code == ui::notify::kEditChange) typed_[static_cast<size_t>(id - kFocalLengthEdit)] = true;
        // Every notification of these two, focus changes included.
        if (id == kFocalLengthEdit || id == kPixelSizeEdit) ComputeResolution();
        return true;
    }
    // The dialog's own OK and cancel commands (Enter, Escape) only close it.
    return ui::DispatchCommand(*this, kCommands, id, code) || ui::Dialog::Command(id, code);
}

double tparawin::FieldValue(int editId, double recorded) const
{
    if (!typed_[static_cast<size_t>(editId - kFocalLengthEdit)]) return recorded;
    return EditNumber(FindControl(editId)->Text());
}

void tparawin::ComputeResolution()
{
    const tparam& record = *parameters_.params;
    const double focalLength = Single(FieldValue(kFocalLengthEdit, record.focalLength));
    const double pixelSize = Single(FieldValue(kPixelSizeEdit, record.pixelSize));
    // Without a focal length the scale and its text stay as they are.
    const std::optional<float> scale = ArcsecPerPixel(pixelSize, focalLength);
    if (!scale) return;
    // In force at once: the image window draws with it from its next frame, even if the
    // dialog is cancelled.
    parameters_.arcsecPerPixel = *scale;
    FindControl(kScaleText)->SetText(FormatGeneral(*scale, 2));
}

void tparawin::Store()
{
    tparam& record = *parameters_.params;
    for (int port = 0; port < kPortCount; ++port) {
        if (FindControl(kFirstPortButton + port)->IsChecked()) record.comPort = port;
    }
    record.invertDec = FindControl(kInvertDecBox)->IsChecked();
    record.invertRa = FindControl(kInvertRaBox)->IsChecked();
    record.darkSpotGuiding = FindControl(kDarkSpotBox)->IsChecked();
    if (const int selected = FindControl(kProtocolList)->Selection(); selected >= 0) record.protocol = selected;
    record.raSpeed = FieldValue(kRaSpeedEdit, record.raSpeed);
    record.decSpeed = FieldValue(kDecSpeedEdit, record.decSpeed);
    record.focalLength = FieldValue(kFocalLengthEdit, record.focalLength);
    record.pixelSize = FieldValue(kPixelSizeEdit, record.pixelSize);
}

void tparawin::CmOk()
{
    Store();
    EndDialog(kOk);
}

void tparawin::CmCancel()
{
    EndDialog(kCancel);
}

}  // namespace nuvix
