#pragma once

#include "params/ParameterState.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Dialog.h"

#include <array>

namespace nuvix {

// "Paramètres", the dialog of template 601: focal length, pixel size, the correction speeds and
// directions, dark-spot guiding, the serial port and the protocol, with the image scale computed
// as the focal length or the pixel size is typed. Built for each opening. Only "OK" stores; the
// scale typed is in force at once, even if the dialog is then cancelled.
class tparawin : public ui::Dialog {
public:
    static constexpr int kFocalLengthEdit = 181;
    static constexpr int kPixelSizeEdit = 182;
    static constexpr int kRaSpeedEdit = 183;
    static constexpr int kDecSpeedEdit = 184;
    static constexpr int kScaleText = 150;
    static constexpr int kFirstPortButton = 152;
    static constexpr int kProtocolList = 156;
    static constexpr int kInvertDecBox = 157;
    static constexpr int kInvertRaBox = 158;
    static constexpr int kDarkSpotBox = 159;
    static constexpr int kOkButton = 189;
    static constexpr int kCancelButton = 190;

    // `placedAt`: the dialog's top-left corner on the screen.
    tparawin(ui::Toolkit& toolkit, ui::Window* parent, ParameterState& parameters, gfx::Point placedAt);

protected:
    void SetupWindow() override;
    bool Command(int id, int code) override;

private:
    static const ui::CommandEntry<tparawin> kCommands[];

    void ComputeResolution();
    void Store();
    void CmOk();
    void CmCancel();
    // A field's value: what the observer typed, or else the record's own, which the edit may
    // show rounded.
    double FieldValue(int editId, double recorded) const;

    ParameterState& parameters_;
    gfx::Point placedAt_;
    std::array<bool, 4> typed_{};  // edits 181 to 184: the observer changed the text
};

}  // namespace nuvix
