#include "platform/wx/ScreenImage.h"

#include "platform/gfx/Damage.h"

#include <wx/dcmemory.h>
#include <wx/image.h>

namespace nuvix::wx {

namespace {

wxBitmap Converted(const gfx::Bitmap& surface, gfx::Rect r)
{
    wxImage image(r.Width(), r.Height(), false);
    unsigned char* rgb = image.GetData();
    for (int y = r.top; y < r.bottom; ++y) {
        const auto row = surface.Row(y);
        for (int x = r.left; x < r.right; ++x) {
            const gfx::Pixel p = row[static_cast<size_t>(x)];
            *rgb++ = static_cast<unsigned char>(p >> 16);
            *rgb++ = static_cast<unsigned char>(p >> 8);
            *rgb++ = static_cast<unsigned char>(p);
        }
    }
    return wxBitmap(image);
}

}  // namespace

bool ScreenImage::Fits(const gfx::Bitmap& surface) const
{
    return bitmap_.IsOk() && copy_.Width() == surface.Width() && copy_.Height() == surface.Height();
}

std::vector<gfx::Rect> ScreenImage::Update(const gfx::Bitmap& surface)
{
    if (surface.Width() <= 0 || surface.Height() <= 0) return {};
    if (!Fits(surface)) {
        const gfx::Rect all{0, 0, surface.Width(), surface.Height()};
        bitmap_ = Converted(surface, all);
        copy_ = surface;
        return {all};
    }
    const std::vector<gfx::Rect> changed = gfx::ChangedRects(copy_, surface);
    if (changed.empty()) return changed;
    wxMemoryDC dc(bitmap_);
    for (const gfx::Rect& r : changed) {
        dc.DrawBitmap(Converted(surface, r), r.left, r.top, false);
        for (int y = r.top; y < r.bottom; ++y) {
            const auto from = surface.Row(y).subspan(static_cast<size_t>(r.left), static_cast<size_t>(r.Width()));
            std::copy(from.begin(), from.end(), copy_.Row(y).begin() + r.left);
        }
    }
    return changed;
}

}  // namespace nuvix::wx
