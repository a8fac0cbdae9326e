#pragma once

#include "camera/CameraImage.h"

#include <cstddef>
#include <span>
#include <string>

namespace nuvix::fits {

// The picture of a FITS file (or of a FITS BLOB that an INDI camera sent), brought to the frame's
// geometry; or, when the bytes are not a picture that can be read, why not.
struct FitsReading {
    LinearFrame frame;  // empty when unreadable
    PixelType type = PixelType::Float32;
    int binning = 1;  // sensor pixels per frame pixel: the camera's XBINNING times the binning here
    std::string problem;
};

// Reads the first picture of the bytes (FindPicture), whatever its pixel type; pictures compressed
// in tiles (.fits.fz) are not read.
// The full scale is the largest value of the pixel type (255 for 8 bits, 65,535 for 16 bits
// unsigned, 32,767 signed, and so on), and 1.0 for floating-point pixels. A colour picture (three
// planes) is averaged into grey; of any other cube, the first plane is taken. Pictures wider or
// higher than 65,536 pixels, or larger than 8192 x 8192 in all, are refused.
FitsReading ReadFitsImage(std::span<const std::byte> bytes);

}  // namespace nuvix::fits
