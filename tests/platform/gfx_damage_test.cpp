#include "platform/gfx/Damage.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace nuvix::gfx {
namespace {

// What the screen is told after a window drew: nothing when it drew the same, else the runs
// of changed rows, each as wide as its changes.
TEST(Damage, ChangedRowsMakeOneRectanglePerRun)
{
    struct Case {
        const char* name;
        std::function<void(Bitmap&)> draw;
        std::vector<Rect> changed;
    };
    const std::vector<Case> cases = {
        {"drawn the same", [](Bitmap& b) { b.Set(3, 4, b.At(3, 4)); }, {}},
        {"one pixel", [](Bitmap& b) { b.Set(3, 4, 1); }, {{3, 4, 4, 5}}},
        {"the corners of a run",
         [](Bitmap& b) {
             b.Set(0, 2, 1);
             b.Set(19, 3, 1);
         },
         {{0, 2, 20, 4}}},
        {"two runs apart",
         [](Bitmap& b) {
             b.Set(5, 0, 1);
             b.Set(6, 1, 1);
             b.Set(10, 9, 1);
         },
         {{5, 0, 7, 2}, {10, 9, 11, 10}}},
        {"the last row", [](Bitmap& b) { b.Set(19, 9, 1); }, {{19, 9, 20, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap before(20, 10, 0x123456);
        Bitmap after = before;
        c.draw(after);
        EXPECT_EQ(ChangedRects(before, after), c.changed);
    }
}

}  // namespace
}  // namespace nuvix::gfx
