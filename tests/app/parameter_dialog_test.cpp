#include "AppFixture.h"

#include "guiding/CorrectionOutput.h"
#include "params/ImageScale.h"
#include "params/ParameterDialog.h"

#include <functional>

using nuvix::testing::AppHarness;
using nuvix::testing::FakeSerialPorts;

namespace nuvix {
namespace {

using Script = std::function<void(headless::HeadlessToolkit&, ui::Dialog&)>;

// "Param" on a 1024 x 768 screen, whose main window stands at (242, 141).
struct DialogRig {
    explicit DialogRig(const tparam& record) : h({1024, 768, 19, 1})
    {
        h.serial = &serial;
        h.StoreRecord(record);
        h.Start();
    }
    // Clicks "Param" and plays the script while the dialog is open.
    void Open(const Script& script)
    {
        h.kit.QueueDialogScript([&](ui::Dialog& d) { script(h.kit, d); });
        ASSERT_TRUE(h.kit.Click(h.Image(), 454));
        ASSERT_EQ(h.kit.PendingDialogScripts(), 0u);
    }
    const tparam& Record() { return *h.State().parameters.params; }
    float Scale() { return h.State().parameters.arcsecPerPixel; }

    AppHarness h;
    FakeSerialPorts serial;
};

TEST(ParameterDialog, SetUpFromTheRecordAtItsPlaceWithTheTabOrderOfTheTemplate)
{
    DialogRig rig({.focalLength = 100, .pixelSize = 7.5, .raSpeed = 15, .decSpeed = 1230, .comPort = 2, .protocol = 1});
    rig.Open([](auto& kit, ui::Dialog& d) {
        EXPECT_EQ(d.OuterRect().left, 242 + 330);
        EXPECT_EQ(d.OuterRect().top, 141 + 30);
        std::vector<std::string> texts;
        for (int id : {181, 182, 183, 184, 150})
            texts.push_back(d.FindControl(id)->Text());
        EXPECT_EQ(texts, (std::vector<std::string>{"100", "7.5", "15", "1230", "1.5"}));
        EXPECT_TRUE(d.FindControl(154)->IsChecked());
        EXPECT_EQ(d.FindControl(156)->Selection(), 1);
        // The focus starts on the first tab stop; Tab goes round the template's order.
        std::vector<int> focus{d.FocusedControlId()};
        for (int i = 0; i < 15; ++i) {
            kit.PressTab(d, i == 14);
            focus.push_back(d.FocusedControlId());
        }
        EXPECT_EQ(focus,
                  (std::vector<int>{182, 183, 184, 181, 190, 189, 152, 153, 154, 155, 156, 159, 158, 157, 182, 157}));
    });
}

TEST(ParameterDialog, ScaleFollowsTheTypingAndStaysInForceAfterCancel)
{
    struct Case {
        const char* focal;
        const char* pixel;
        const char* shown;
    };
    const Case cases[] = {
        {"100", "7.5", "1.5"},       {"200", "7.5", "0.77"}, {"10", "7.5", "15"},
        {"1.031", "7.5", "1.5e+02"}, {"0", "9", "0.77"},  // no focal length: the scale stays as it was
    };
    DialogRig rig({});
    const tparam before = rig.Record();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focal);
        rig.Open([&](auto& kit, ui::Dialog& d) {
            kit.Focus(d, 181, true);
            kit.Type(d, 181, c.focal);
            kit.Focus(d, 182, true);
            kit.Type(d, 182, c.pixel);
            EXPECT_EQ(d.FindControl(150)->Text(), c.shown);
            kit.Click(d, 190);
        });
        EXPECT_EQ(rig.Record(), before);
        const double focal = std::stod(c.focal) == 0 ? 200 : std::stod(c.focal);
        const double pixel = std::stod(c.focal) == 0 ? 7.5 : std::stod(c.pixel);
        EXPECT_FLOAT_EQ(rig.Scale(), *ArcsecPerPixel(pixel, focal));
    }
    // Opening again computes the scale from the record.
    rig.Open([](auto&, ui::Dialog&) {});
    EXPECT_FLOAT_EQ(rig.Scale(), *ArcsecPerPixel(7.5, 200));
}

// Only "OK" stores, and only what was typed or set; the protocol goes into force again after every
// closing: under "Stellon standard" the line is set up each time.
TEST(ParameterDialog, OnlyOkStoresAndEveryClosingAppliesTheProtocol)
{
    const tparam untypable{.focalLength = 1234.567,
                           .pixelSize = 0.01234,
                           .raSpeed = 123456,
                           .decSpeed = -1e-120,
                           .protocol = kStellonStandard};
    struct Case {
        const char* name;
        Script close;
        bool stored;
    };
    const Case cases[] = {
        {"OK", [](auto& k, ui::Dialog& d) { k.Click(d, 189); }, true},
        {"Enter on OK",
         [](auto& k, ui::Dialog& d) {
             k.Focus(d, 189, true);
             k.PressEnter(d);
         },
         true},
        {"Cancel", [](auto& k, ui::Dialog& d) { k.Click(d, 190); }, false},
        {"Escape", [](auto& k, ui::Dialog& d) { k.PressEscape(d); }, false},
        {"Enter in an edit", [](auto& k, ui::Dialog& d) { k.PressEnter(d); }, false},
        {"close box", [](auto& k, ui::Dialog& d) { k.Close(d); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRig one(untypable);
        const tparam loaded = one.Record();
        // Untouched, nothing changes whatever closes the dialog.
        one.Open(c.close);
        EXPECT_EQ(one.Record(), loaded);
        one.Open([&](auto& kit, ui::Dialog& d) {
            kit.Focus(d, 184, true);
            kit.Type(d, 184, "2.5");
            kit.Type(d, 181, "1234.5");
            kit.Click(d, 153);
            kit.Click(d, 158);
            kit.Click(d, 159);
            c.close(kit, d);
        });
        tparam expected = loaded;
        if (c.stored) {
            expected.decSpeed = 2.5;
            expected.focalLength = 1234;
            expected.comPort = 1;
            expected.invertRa = true;
            expected.darkSpotGuiding = true;
        }
        EXPECT_EQ(one.Record(), expected);
        const char* port = c.stored ? "COM2 9600,n,8,1" : "COM1 9600,n,8,1";
        EXPECT_EQ(one.serial.texts, (std::vector<std::string>{"COM1 9600,n,8,1", "COM1 9600,n,8,1", port}));
    }
}

TEST(ParameterDialog, Lx200SetsTheLineUpAndLeavesTheIndicatorsShown)
{
    DialogRig rig({.protocol = kVirtualDiodes});
    rig.Open([](auto& kit, ui::Dialog& d) {
        kit.Select(d, 156, kLx200);
        kit.Click(d, 189);
    });
    EXPECT_TRUE(rig.h.Image().Indicators().IsVisible());
    EXPECT_EQ(rig.serial.texts, (std::vector<std::string>{"COM1  300,n,8,1"}));
}

}  // namespace
}  // namespace nuvix
