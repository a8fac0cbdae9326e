#include "AppFixture.h"
#include "LanguageSwitch.h"

#include "platform/ui/Dialog.h"

#include <algorithm>
#include <map>

namespace nuvix {
namespace {

using testing::ObserverLanguage;

// One text of a control as the observer sees it, with the places of the other controls there
// (frames and group boxes, which hold controls, left out; a closed drop-down list is one line high).
struct Shown {
    std::string line;  // window, place and text
    const ui::ControlKind kind;
    const gfx::Rect bounds;
    const std::string text;
    std::vector<gfx::Rect> neighbours;
};

struct Tour {
    std::vector<Shown> texts;
    std::vector<std::string> lines;  // of the texts, then of the message boxes
    std::vector<gfx::Bitmap> surfaces;
};

void Note(Tour& tour, const ui::Window& window)
{
    std::vector<gfx::Rect> places;
    for (const auto& c : window.Controls()) {
        gfx::Rect place = c->Bounds();
        if (c->Kind() == ui::ControlKind::DropDownList) place.bottom = std::min(place.bottom, place.top + 24);
        const bool frame = c->Kind() == ui::ControlKind::GroupBox || c->Kind() == ui::ControlKind::BlackFrame;
        places.push_back(c->IsVisible() && !frame ? place : gfx::Rect{});
    }
    for (size_t i = 0; i < places.size(); ++i) {
        const ui::Control& c = *window.Controls()[i];
        std::vector<std::string> texts = c.Items();
        texts.push_back(c.Text());
        for (const std::string& text : texts) {
            if (!c.IsVisible()) break;
            const gfx::Rect b = c.Bounds();
            tour.lines.push_back(window.Caption() + " " + std::to_string(b.left) + "," + std::to_string(b.top) + ": " +
                                 text);
            tour.texts.push_back({tour.lines.back(), c.Kind(), b, text, places});
            tour.texts.back().neighbours[i] = {};
        }
    }
}

// The whole program as an observer goes round it: the start with the camera's message, every
// window, the buttons that change their texts, both dialogs, and a running photo series.
Tour Visit()
{
    testing::CameraApp app;
    headless::HeadlessToolkit& kit = app.h.kit;
    Tour tour;
    app.Plug();
    app.Start();
    app.Frames(1);
    kit.Click(app.h.Image(), 452);
    kit.Click(app.h.Image(), 450);
    kit.Click(app.h.Image().EnergyGraph(), 701);
    for (const ui::Window* window : kit.Windows())
        Note(tour, *window);
    const auto note = [&](ui::Dialog& d) { Note(tour, d); };
    kit.QueueDialogScript(note);
    kit.QueueDialogScript([&](ui::Dialog& d) { kit.Click(d, 306); });
    kit.QueueDialogScript(note);
    for (const int button : {454, 455, 455})
        kit.Click(app.h.Image(), button);
    for (const auto& box : kit.MessageBoxes())
        tour.lines.push_back(box.caption + ": " + box.text);
    for (const ui::Window* window : kit.Windows())
        tour.surfaces.push_back(window->Surface());
    return tour;
}

// Under a French locale, even with LANGUAGE going on to English, every text, box and pixel is the
// program's own French, as under C.
TEST(ObserverLanguage, FrenchIsTheTextsAsWritten)
{
    const Tour asWritten = Visit();
    for (const char* text : {"Paramètres 22,200: Guidage points sombres", "Prise de vue 260,92: N°: 0"})
        EXPECT_NE(std::find(asWritten.lines.begin(), asWritten.lines.end(), text), asWritten.lines.end()) << text;
    for (const auto& variables :
         {testing::kFrench, ObserverLanguage::Variables{{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "fr:en"}}}) {
        const ObserverLanguage language(variables);
        const Tour tour = Visit();
        EXPECT_EQ(tour.lines, asWritten.lines) << variables[0].second;
        EXPECT_TRUE(tour.surfaces == asWritten.surfaces) << variables[0].second;
    }
}

// Every text of every control, in English and in French, fits in what GTK gives it beside the
// control's borders and indicators (with the application's 12-pixel sans-serif face, which
// FreeType draws a little wider than Pango), and does not run into the control beside it.
TEST(ObserverLanguage, EveryControlTextFitsItsControlInEitherLanguage)
{
    const std::unique_ptr<gfx::Font> face = gfx::FontLibrary::Create()->Load({"sans-serif", 12, false});
    gfx::Bitmap scratch(1, 1);
    gfx::Canvas canvas(scratch, face.get());
    const std::map<ui::ControlKind, int> beside = {{ui::ControlKind::PushButton, 2},
                                                   {ui::ControlKind::CheckBox, 14},
                                                   {ui::ControlKind::RadioButton, 14},
                                                   {ui::ControlKind::DropDownList, 20},
                                                   {ui::ControlKind::GroupBox, 12}};
    for (const auto* variables : {&testing::kEnglish, &testing::kFrench}) {
        const ObserverLanguage language(*variables);
        if (variables == &testing::kEnglish) testing::ExpectEnglish();
        for (const Shown& s : Visit().texts) {
            if (s.text.empty() || s.kind == ui::ControlKind::Edit) continue;
            const int left = s.bounds.left + (beside.count(s.kind) ? beside.at(s.kind) : 0);
            const int right = left + canvas.TextExtent(s.text).width;
            EXPECT_LE(right, s.bounds.right) << s.line;
            // A group's label is on its top edge; other texts are centred in their controls.
            const int top = s.kind == ui::ControlKind::GroupBox
                                ? s.bounds.top
                                : (s.bounds.top + s.bounds.bottom - face->CellHeight()) / 2;
            for (const gfx::Rect& o : s.neighbours) {
                const bool meets =
                    left < o.right && right > o.left && top < o.bottom && top + face->CellHeight() > o.top;
                EXPECT_FALSE(meets && s.kind != ui::ControlKind::DropDownList) << s.line << " runs into a control";
            }
        }
    }
}

}  // namespace
}  // namespace nuvix
