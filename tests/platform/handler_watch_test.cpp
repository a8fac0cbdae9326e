#include "platform/ui/HandlerWatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace nuvix {
namespace {

// What each handler held the thread for; a modal loop's wait for the user is not its own.
TEST(HandlerWatch, ModalWaitsAreLeftOutAndNestedHandlersCountAlone)
{
    struct Case {
        const char* name;
        std::function<void(ui::HandlerWatch&)> run;
        int64_t longest;
        int64_t longestStart;
    };
    const std::vector<Case> cases = {
        {"one handler",
         [](ui::HandlerWatch& w) {
             w.Enter(100);
             w.Leave(130);
         },
         30, 100},
        {"a box open for 10 s inside a handler",
         [](ui::HandlerWatch& w) {
             w.Enter(0);
             w.ModalBegin(5);
             w.ModalEnd(10'005);
             w.Leave(10'012);
         },
         12, 0},
        {"a tick handled while the box is open",
         [](ui::HandlerWatch& w) {
             w.Enter(0);
             w.ModalBegin(5);
             w.Enter(500);
             w.Leave(540);
             w.ModalEnd(10'005);
             w.Leave(10'006);
         },
         40, 500},
        {"a handler called from another counts in both",
         [](ui::HandlerWatch& w) {
             w.Enter(0);
             w.Enter(10);
             w.Leave(30);
             w.Leave(35);
         },
         35, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::HandlerWatch watch;
        c.run(watch);
        EXPECT_EQ(watch.Longest().heldNs, c.longest);
        EXPECT_EQ(watch.Longest().startNs, c.longestStart);
        watch.ResetLongest();
        EXPECT_EQ(watch.Longest().heldNs, 0);
    }
}

}  // namespace
}  // namespace nuvix
