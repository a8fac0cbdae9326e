#include "AppFixture.h"
#include "LanguageSwitch.h"

#include "platform/ui/Dialog.h"

#include <algorithm>

namespace nuvix {
namespace {

using testing::ObserverLanguage;

// One text of a control as the observer sees it, in a window or a dialog, with the places of
// the other controls there.
struct Shown {
    std::string window;
    int id;
    ui::ControlKind kind;
    gfx::Rect bounds;
    std::string text;
    std::vector<gfx::Rect> neighbours;  // frames and group boxes, which hold controls, left out
    auto Key() const { return std::tie(window, id, bounds, text); }
};

struct Tour {
    std::vector<Shown> texts;
    std::vector<std::string> boxes;
    std::vector<gfx::Bitmap> surfaces;
};

void Note(Tour& tour, const ui::Window& window)
{
    for (const auto& control : window.Controls()) {
        if (!control->IsVisible()) continue;
        Shown shown{window.Caption(), control->Id(), control->Kind(), control->Bounds(), control->Text(), {}};
        for (const auto& other : window.Controls()) {
            const bool frame =
                other->Kind() == ui::ControlKind::GroupBox || other->Kind() == ui::ControlKind::BlackFrame;
            if (other == control || !other->IsVisible() || frame) continue;
            gfx::Rect place = other->Bounds();
            // A closed drop-down list is one line high, whatever room its list has below.
            if (other->Kind() == ui::ControlKind::DropDownList) place.bottom = std::min(place.bottom, place.top + 24);
            shown.neighbours.push_back(place);
        }
        tour.texts.push_back(shown);
        for (const std::string& item : control->Items()) {
            shown.text = item;
            tour.texts.push_back(shown);
        }
    }
}

// The whole program as an observer goes round it: the start with the camera's message, every
// window, the buttons that change their texts, both dialogs, and a running photo series.
Tour Visit(testing::CameraApp& app)
{
    Tour tour;
    headless::HeadlessToolkit& kit = app.h.kit;
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
    kit.Click(app.h.Image(), 454);
    kit.QueueDialogScript([&](ui::Dialog& d) { kit.Click(d, 306); });
    kit.Click(app.h.Image(), 455);
    kit.QueueDialogScript(note);
    kit.Click(app.h.Image(), 455);
    for (const auto& box : kit.MessageBoxes()) {
        tour.boxes.push_back(box.caption + ": " + box.text);
    }
    for (const ui::Window* window : kit.Windows())
        tour.surfaces.push_back(window->Surface());
    return tour;
}

// Under a French locale, under C and with no catalogue for the language, every text, box and
// pixel is the program's own French.
TEST(ObserverLanguage, FrenchIsTheTextsAsWritten)
{
    testing::CameraApp c;
    const Tour asWritten = Visit(c);
    EXPECT_TRUE(std::any_of(asWritten.texts.begin(), asWritten.texts.end(),
                            [](const Shown& s) { return s.text == "Guidage points sombres"; }));
    const ObserverLanguage::Variables locales[] = {
        testing::kFrench,
        {{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "fr:en"}},
        {{"LANG", "de_DE.UTF-8"}},
        {{"LC_ALL", "POSIX"}, {"LANG", "en_US.UTF-8"}},
    };
    for (const auto& variables : locales) {
        const ObserverLanguage language(variables);
        testing::CameraApp app;
        const Tour tour = Visit(app);
        ASSERT_EQ(tour.texts.size(), asWritten.texts.size()) << variables[0].second;
        for (size_t i = 0; i < tour.texts.size(); ++i)
            EXPECT_EQ(tour.texts[i].Key(), asWritten.texts[i].Key()) << variables[0].second;
        EXPECT_EQ(tour.boxes, asWritten.boxes) << variables[0].second;
        EXPECT_TRUE(tour.surfaces == asWritten.surfaces) << variables[0].second;
    }
}

// What GTK gives a control's text beside its borders and indicators, with the application's
// style rules: a 12-pixel sans-serif face, no padding in buttons, an 11-pixel check box or radio
// button with 3 pixels after it, a drop-down list's arrow.
int Room(const Shown& shown)
{
    const int width = shown.bounds.Width();
    switch (shown.kind) {
    case ui::ControlKind::PushButton:
        return width - 2;
    case ui::ControlKind::CheckBox:
    case ui::ControlKind::RadioButton:
        return width - 14;
    case ui::ControlKind::DropDownList:
        return width - 20;
    case ui::ControlKind::GroupBox:
        return width - 12;
    default:
        return width;
    }
}

// Every text of every control, in English and in French, fits its control, and a label does not
// run into the control beside it.
TEST(ObserverLanguage, EveryControlTextFitsItsControlInEitherLanguage)
{
    gfx::Bitmap scratch(1, 1);
    const std::unique_ptr<gfx::Font> face = gfx::FontLibrary::Create()->Load({"sans-serif", 12, false});
    gfx::Canvas canvas(scratch, face.get());
    for (const auto* variables : {&testing::kEnglish, &testing::kFrench}) {
        const ObserverLanguage language(*variables);
        if (variables == &testing::kEnglish) testing::ExpectEnglish();
        testing::CameraApp app;
        const Tour tour = Visit(app);
        for (const Shown& shown : tour.texts) {
            if (shown.text.empty() || shown.kind == ui::ControlKind::Edit) continue;
            const int width = canvas.TextExtent(shown.text).width;
            const std::string what = shown.window + ": \"" + shown.text + "\"";
            EXPECT_LE(width, Room(shown)) << what;
            // The line of text, centred in its control as GTK places it, a group's on its top edge.
            const int start = shown.bounds.right - Room(shown);
            const int top = shown.kind == ui::ControlKind::GroupBox
                                ? shown.bounds.top
                                : (shown.bounds.top + shown.bounds.bottom - face->CellHeight()) / 2;
            for (const gfx::Rect& other : shown.neighbours) {
                const bool overlaps = start < other.right && start + width > other.left && top < other.bottom &&
                                      top + face->CellHeight() > other.top;
                EXPECT_FALSE(overlaps && shown.kind != ui::ControlKind::DropDownList) << what << " runs into a control";
            }
        }
    }
}

}  // namespace
}  // namespace nuvix
