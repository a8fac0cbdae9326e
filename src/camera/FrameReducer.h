#pragma once

#include "camera/CameraImage.h"

#include <span>

namespace nuvix {

// Brings a camera's picture, read row by row, to the frame's geometry (FitToFrame): each pixel is
// taken as its share of `fullScale` (below 0 as 0, above as 1, a value that is no number as 0),
// then averaged over its bin and over the picture's planes (the colours of a colour camera).
class FrameReducer {
public:
    // `topDown`: the picture's first row is its top, as INDI's drivers write it; otherwise its
    // bottom, the FITS convention.
    FrameReducer(int width, int height, int planes, bool topDown, double fullScale);

    // Whether a stored row is used at all, and the columns used of each: a reader reads only these.
    bool UsesRow(int row) const;
    int FirstColumn() const { return firstColumn_; }
    int ColumnCount() const { return lastColumn_ - firstColumn_; }
    // One plane's stored row, ColumnCount() values from FirstColumn() on.
    void AddRow(int row, std::span<const double> values);

    LinearFrame Take() { return std::move(frame_); }

private:
    // The frame's row (from the bottom) that a stored row falls in; -1 when none.
    int FrameRow(int row) const;

    int height_;
    bool topDown_;
    double fullScale_;
    FrameFit fit_;
    int firstColumn_;
    int lastColumn_;
    float weight_;  // of one value in its average
    LinearFrame frame_;
};

}  // namespace nuvix
