#include "resources/DialogTemplates.h"

#include "platform/text/Translate.h"

namespace nuvix::resources {

namespace {

using ui::ControlKind;

constexpr ui::ControlStyle kEdit{.border = true, .tabStop = true};
constexpr ui::ControlStyle kTabStop{.tabStop = true};

// In template order, which is also the tab order: the edits start with the pixel size and end
// with the focal length; "Cancel" comes before "OK".
ui::DialogTemplate BuildParameterDialog()
{
    ui::DialogTemplate t;
    t.resourceId = kParameterDialogResource;
    t.caption = TrLater("Paramètres");
    t.fontName = "System";
    t.fontPoints = 10;
    t.x = 94;
    t.y = 12;
    t.width = 124;
    t.height = 202;
    t.items = {
        {-1, ControlKind::StaticText, TrLater("Focale"), 12, 6, 40, 8},
        {-1, ControlKind::StaticText, TrLater("Dim pixel"), 12, 18, 40, 8},
        {-1, ControlKind::StaticText, TrLater("V Asc Dr"), 10, 51, 40, 8},
        {-1, ControlKind::StaticText, TrLater("V Declin"), 10, 63, 40, 9},
        {182, ControlKind::Edit, "", 47, 18, 25, 9, kEdit},
        {183, ControlKind::Edit, "", 47, 50, 25, 9, kEdit},
        {184, ControlKind::Edit, "", 47, 62, 25, 9, kEdit},
        {181, ControlKind::Edit, "", 47, 6, 25, 9, kEdit},
        {-1, ControlKind::StaticText, "cm", 76, 6, 20, 8},
        {-1, ControlKind::StaticText, TrLater("Arcsec/s"), 77, 50, 35, 8},
        {-1, ControlKind::StaticText, TrLater("Arcsec/s"), 77, 62, 35, 8},
        {-1, ControlKind::StaticText, TrLater("Resol ="), 12, 30, 30, 8},
        {150, ControlKind::StaticText, "0", 46, 30, 25, 8},
        {-1, ControlKind::StaticText, TrLater("Arcsec/Pix"), 75, 30, 39, 8},
        {-1, ControlKind::StaticText, "µm", 76, 18, 20, 8},
        {190, ControlKind::PushButton, TrLater("Cancel"), 70, 185, 40, 12, kTabStop},
        {189, ControlKind::PushButton, TrLater("OK"), 10, 185, 40, 12, kTabStop},
        {188, ControlKind::GroupBox, TrLater("Port Com"), 21, 119, 82, 36},
        {152, ControlKind::RadioButton, "Com1", 28, 130, 28, 12, kTabStop},
        {153, ControlKind::RadioButton, "Com2", 68, 130, 28, 12, kTabStop},
        {154, ControlKind::RadioButton, "Com3", 28, 140, 28, 12, kTabStop},
        {155, ControlKind::RadioButton, "Com4", 68, 140, 28, 12, kTabStop},
        {156, ControlKind::DropDownList, "interface", 6, 167, 110, 45, kTabStop},
        {-1, ControlKind::StaticText, TrLater("Protocole"), 42, 159, 30, 8},
        {159, ControlKind::CheckBox, TrLater("Guidage points sombres"), 11, 100, 104, 12, kTabStop},
        {-1, ControlKind::BlackFrame, "", 6, 44, 110, 48},
        {-1, ControlKind::BlackFrame, "", 6, 4, 110, 38},
        {158, ControlKind::CheckBox, TrLater("Inverse AD"), 64, 76, 48, 12, kTabStop},
        {157, ControlKind::CheckBox, TrLater("Inverse DEC"), 11, 76, 52, 12, kTabStop},
    };
    return t;
}

}  // namespace

const ui::DialogTemplate& ParameterDialogTemplate()
{
    static const ui::DialogTemplate kTemplate = BuildParameterDialog();
    return kTemplate;
}

}  // namespace nuvix::resources
