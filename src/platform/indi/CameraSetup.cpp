#include "platform/indi/CameraSetup.h"

#include "camera/CameraImage.h"

#include <algorithm>
#include <cmath>

namespace nuvix::indi {

std::optional<CameraRegion> RegionFor(const CameraFacts& camera)
{
    if (camera.sensorWidth < 1 || camera.sensorHeight < 1) return std::nullopt;
    const FrameFit fit = FitToFrame(camera.sensorWidth, camera.sensorHeight);
    CameraRegion region;
    // A factor the picture's binning is a multiple of, so that the rest is done evenly here.
    for (int bin = std::min(fit.bin, camera.largestBin); bin > 1 && region.bin == 1; --bin) {
        if (fit.bin % bin == 0) region.bin = bin;
    }
    region.x = std::max(fit.left, 0);
    region.y = std::max(fit.top, 0);
    region.width = std::min(kFrameWidth * fit.bin, camera.sensorWidth);
    region.height = std::min(kFrameHeight * fit.bin, camera.sensorHeight);
    return region;
}

double ExposureSeconds(float panelMs, const CameraFacts& camera)
{
    double seconds = std::isfinite(panelMs) && panelMs > 0.0f ? panelMs / 1000.0 : 0.0;
    seconds = std::max(seconds, camera.shortestSeconds);
    if (camera.longestSeconds > 0.0) seconds = std::min(seconds, camera.longestSeconds);
    return seconds;
}

}  // namespace nuvix::indi
