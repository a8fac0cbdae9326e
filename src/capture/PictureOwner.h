#pragma once

#include "platform/files/ReplaceFile.h"

#include <string>

namespace nuvix {

// What the integration window and the photo series ask of the image window, which owns the
// picture and the sum.
class PictureOwner {
public:
    virtual ~PictureOwner() = default;
    // Every entry of the sum back to 1 and the count to 0.
    virtual void ResetIntegration() = 0;
    // Writes the current picture as a BMP file; the outcome says why when it could not.
    virtual files::ReplaceResult SaveImage(const std::string& path) = 0;
};

}  // namespace nuvix
