#include "platform/gfx/Damage.h"

#include <gtest/gtest.h>

#include <vector>

namespace nuvix::gfx {
namespace {

// What the screen is told after a window drew: nothing when it drew the same, else the runs
// of changed rows, each as wide as its changes.
TEST(Damage, ChangedRowsMakeOneRectanglePerRun)
{
    struct Case {
        std::vector<Point> changed;
        std::vector<Rect> rects;
    };
    const Case cases[] = {
        {{}, {}},
        {{{3, 4}}, {{3, 4, 4, 5}}},
        {{{0, 2}, {19, 3}}, {{0, 2, 20, 4}}},                          // the corners of one run
        {{{5, 0}, {6, 1}, {19, 9}}, {{5, 0, 7, 2}, {19, 9, 20, 10}}},  // two runs, the last row
    };
    for (const Case& c : cases) {
        const Bitmap before(20, 10, 0x123456);
        Bitmap after = before;
        for (const Point p : c.changed)
            after.Set(p.x, p.y, 1);
        EXPECT_EQ(ChangedRects(before, after), c.rects) << c.changed.size();
    }
}

}  // namespace
}  // namespace nuvix::gfx
