#include "camera/FrameReducer.h"

#include <algorithm>
#include <cmath>

namespace nuvix {

FrameReducer::FrameReducer(int width, int height, int planes, bool topDown, double fullScale)
    : height_(height),
      topDown_(topDown),
      fullScale_(fullScale > 0.0 ? fullScale : 1.0),
      fit_(FitToFrame(width, height)),
      firstColumn_(std::max(fit_.left, 0)),
      lastColumn_(std::min(fit_.left + kFrameWidth * fit_.bin, width)),
      weight_(1.0f / static_cast<float>(fit_.bin * fit_.bin * std::max(planes, 1))),
      frame_(kFramePixels, 0.0f)
{
}

int FrameReducer::FrameRow(int row) const
{
    if (row < 0 || row >= height_) return -1;
    const int fromTop = topDown_ ? row : height_ - 1 - row;
    const int offset = fromTop - fit_.top;
    if (offset < 0 || offset >= kFrameHeight * fit_.bin) return -1;
    return kFrameHeight - 1 - offset / fit_.bin;
}

bool FrameReducer::UsesRow(int row) const
{
    return FrameRow(row) >= 0 && ColumnCount() > 0;
}

void FrameReducer::AddRow(int row, std::span<const double> values)
{
    const int frameRow = FrameRow(row);
    if (frameRow < 0) return;
    float* out = frame_.data() + static_cast<size_t>(frameRow) * kFrameWidth;
    const int count = std::min(static_cast<int>(values.size()), ColumnCount());
    for (int k = 0; k < count; ++k) {
        const double value = values[static_cast<size_t>(k)];
        const double share = std::isnan(value) ? 0.0 : std::clamp(value / fullScale_, 0.0, 1.0);
        const int column = (firstColumn_ + k - fit_.left) / fit_.bin;
        out[column] += static_cast<float>(share) * weight_;
    }
}

}  // namespace nuvix
