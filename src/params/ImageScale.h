#pragma once

#include "params/Params.h"

#include <optional>

namespace nuvix {

// The angle one camera pixel covers, in arc seconds, as a 32-bit float: twice the angle under
// which half a pixel (`pixelSize`, µm) is seen through the focal length (`focalLength`, cm).
// Empty when the focal length is 0 or either input is not a finite number: there is no scale
// then, and the caller keeps the one it has. A pixel size of 0 gives a scale of 0.
std::optional<float> ArcsecPerPixel(double pixelSize, double focalLength);

// The scale in force right after the parameter file is loaded: the record's own, or, when the
// record gives none, the scale of the default record, so that nothing downstream starts from an
// undefined value.
float ArcsecPerPixelAtLoad(const tparam& record);

}  // namespace nuvix
