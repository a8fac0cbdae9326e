#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

#include <vector>

namespace nuvix::gfx {

// Where `after` differs from `before` (two pictures of one size): one rectangle per run of
// changed rows, as wide as their changes together, top to bottom. A picture drawn again the
// same has none, so the screen need not hear of it.
std::vector<Rect> ChangedRects(const Bitmap& before, const Bitmap& after);

}  // namespace nuvix::gfx
