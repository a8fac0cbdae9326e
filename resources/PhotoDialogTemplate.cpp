#include "resources/DialogTemplates.h"

#include "platform/text/Translate.h"

namespace nuvix::resources {

namespace {

using ui::ControlKind;

// The base name's title: its end stays in view, the rest scrolls off to the left.
constexpr ui::ControlStyle kTitleStyle{.border = true, .autoHScroll = true, .rightAlign = true, .tabStop = true};

// Statics 320 and 321 start hidden: they take the place of the unit list and of "Parcourir"
// while a series runs. 321 reaches past the dialog's right edge, so only its left part shows.
ui::DialogTemplate BuildPhotoDialog()
{
    ui::DialogTemplate t;
    t.resourceId = kPhotoDialogResource;
    t.caption = TrLater("Prise de vue");
    t.fontName = "System";
    t.fontPoints = 8;
    t.x = 60;
    t.y = 90;
    t.width = 160;
    t.height = 60;
    t.items = {
        {-1, ControlKind::StaticText, TrLater("Intervalle"), 2, 6, 32, 10},
        {301, ControlKind::Edit, "", 36, 4, 18, 12, {.border = true, .tabStop = true}},
        {302, ControlKind::DropDownList, "", 57, 4, 52, 32, {.tabStop = true, .verticalScroll = true}},
        {320, ControlKind::StaticText, "Text4", 65, 6, 51, 10, {.visible = false}},
        {306, ControlKind::PushButton, TrLater("Commencer"), 115, 4, 44, 14, {.tabStop = true}},
        {305, ControlKind::PushButton, TrLater("Annuler"), 115, 24, 44, 14, {.tabStop = true}},
        {5, ControlKind::StaticText, TrLater("Fichier"), 4, 36, 32, 8, {.centered = true}},
        {303, ControlKind::Edit, "", 6, 44, 103, 12, kTitleStyle},
        {304, ControlKind::PushButton, TrLater("Parcourir"), 115, 44, 44, 14, {.tabStop = true}},
        {321, ControlKind::StaticText, "Text5", 130, 46, 45, 10, {.visible = false}},
    };
    return t;
}

}  // namespace

const ui::DialogTemplate& PhotoDialogTemplate()
{
    static const ui::DialogTemplate kTemplate = BuildPhotoDialog();
    return kTemplate;
}

}  // namespace nuvix::resources
