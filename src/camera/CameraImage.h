#pragma once

#include "camera/CameraSettings.h"
#include "image/FrameGeometry.h"

#include <vector>

namespace nuvix {

// A camera's picture brought to the frame's geometry: 320 x 240 values in bitmap order (row 0
// at the bottom), each the pixel's share of the camera's full scale, from 0 (black) to 1 (the
// largest value its pixel type holds).
using LinearFrame = std::vector<float>;

// A camera's pixel type. Its values run from 0 to its full scale, the largest value the type
// holds (255 for 8 bits, 65,535 for 16 bits unsigned, 32,767 signed...), or 1.0 for floating
// point.
enum class PixelType {
    Unsigned8,
    Signed8,
    Unsigned16,
    Signed16,
    Unsigned32,
    Signed32,
    Unsigned64,
    Signed64,
    Float32,
    Float64,
};
double FullScale(PixelType type);

// A camera's picture at its own depth, brought to the frame's geometry.
struct CameraPicture {
    LinearFrame frame;
    PixelType type = PixelType::Float32;
    int binning = 1;  // sensor pixels per frame pixel on each axis, the camera's own binning included
};

// How a picture of width x height becomes 320 x 240: `bin` x `bin` pixels are averaged into one,
// the largest whole factor with which the picture still covers the frame, and the centre is
// kept. `left` and `top` are the first column and row used, counted from the picture's left and
// top; they are negative when the picture is smaller than the frame, which then shows it in its
// middle with black around it.
struct FrameFit {
    int bin = 1;
    int left = 0;
    int top = 0;
    friend bool operator==(const FrameFit&, const FrameFit&) = default;
};
FrameFit FitToFrame(int width, int height);

// The six-bit levels of the pipeline from a camera's picture, with the settings acting as they
// do on the parallel-port camera: contrast is the gain (255 puts the camera's full scale at 63)
// and white balance the black level (130 is black, each step above lifts it by 0.2 of a level,
// each step below lowers it as much). Only the low byte of each setting counts, as for the byte
// the parallel-port camera receives.
//   level = (whiteBalance - 130) x 0.2 + contrast / 255 x 63 x share, rounded, kept within 0-63
void MapToFrame(const LinearFrame& picture, const CameraSettings& settings, FrameBytes& out);

}  // namespace nuvix
