#pragma once

#include <cstdint>

namespace nuvix::sim {

// A point in picture pixels: x to the right, y downward from the top row.
struct SkyPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const SkyPoint&) const = default;
};

// Where the mount has moved the telescope, in picture pixels, at a time of the camera's clock:
// the sum of the corrections it has carried out by then.
class PointingSource {
public:
    virtual ~PointingSource() = default;
    virtual SkyPoint CorrectionAt(int64_t timeNs) const = 0;
};

}  // namespace nuvix::sim
