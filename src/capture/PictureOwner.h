#pragma once

#include "platform/files/ReplaceFile.h"

#include <string>

namespace nuvix {

// What the integration window and the photo series ask of the image window, which owns the
// picture and the sum. Each write's outcome says why when it could not.
class PictureOwner {
public:
    virtual ~PictureOwner() = default;
    // Every entry of the sum back to 1 and the count to 0.
    virtual void ResetIntegration() = 0;
    // The current picture, as shown, as a BMP file.
    virtual files::ReplaceResult SaveImage(const std::string& path, files::WriteMode mode) = 0;
    // The latest frame, as the camera gave it, as a FITS file.
    virtual files::ReplaceResult SaveFrameFits(const std::string& path, files::WriteMode mode) = 0;
    // The integration sum at its full depth as a FITS file, replacing any of that name.
    virtual files::ReplaceResult SaveSumFits(const std::string& path) = 0;
};

}  // namespace nuvix
