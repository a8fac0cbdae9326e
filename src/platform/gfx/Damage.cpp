#include "platform/gfx/Damage.h"

#include <algorithm>
#include <optional>

namespace nuvix::gfx {

std::vector<Rect> ChangedRects(const Bitmap& before, const Bitmap& after)
{
    std::vector<Rect> rects;
    std::optional<Rect> run;
    for (int y = 0; y < after.Height(); ++y) {
        const auto old = before.Row(y);
        const auto now = after.Row(y);
        const auto first = std::mismatch(now.begin(), now.end(), old.begin());
        if (first.first == now.end()) {
            if (run) rects.push_back(*run);
            run.reset();
            continue;
        }
        const auto last = std::mismatch(now.rbegin(), now.rend(), old.rbegin());
        const int left = static_cast<int>(first.first - now.begin());
        const int right = static_cast<int>(now.rend() - last.first);
        if (run) {
            run->left = std::min(run->left, left);
            run->right = std::max(run->right, right);
            run->bottom = y + 1;
        } else {
            run = Rect{left, y, right, y + 1};
        }
    }
    if (run) rects.push_back(*run);
    return rects;
}

}  // namespace nuvix::gfx
