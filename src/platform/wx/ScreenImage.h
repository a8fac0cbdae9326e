#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

#include <wx/bitmap.h>

#include <vector>

namespace nuvix::wx {

// A window's surface as the screen shows it: a wx bitmap kept in step with the surface by
// converting only what changed, so that a window drawn again the same costs the toolkit
// nothing and a new frame costs it only the picture.
class ScreenImage {
public:
    // Brings the bitmap up to the surface; gives the rectangles that changed (the whole
    // surface the first time and after a change of size).
    std::vector<gfx::Rect> Update(const gfx::Bitmap& surface);
    // True when the bitmap has the surface's size and can be shown as it is.
    bool Fits(const gfx::Bitmap& surface) const;
    void Reset() { bitmap_ = wxBitmap(); }
    const wxBitmap& Bitmap() const { return bitmap_; }

private:
    gfx::Bitmap copy_;  // the surface as the bitmap holds it
    wxBitmap bitmap_;
};

}  // namespace nuvix::wx
