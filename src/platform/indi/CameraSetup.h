#pragma once

#include <optional>

namespace nuvix::indi {

// What the client has heard of a camera's properties.
struct CameraFacts {
    bool exposure = false;  // CCD_EXPOSURE is defined
    double shortestSeconds = 0.0;
    double longestSeconds = 0.0;  // 0: no limit given
    int exposureFailures = 0;     // times CCD_EXPOSURE turned to Alert
    bool exposureAlert = false;
    int sensorWidth = 0;  // CCD_INFO, unbinned pixels; 0 while unknown
    int sensorHeight = 0;
    int largestBin = 1;            // CCD_BINNING's largest factor on both axes
    bool frame = false;            // CCD_FRAME is defined: the camera reads a region of its sensor
    bool fitsOffered = false;      // CCD_TRANSFER_FORMAT offers FORMAT_FITS...
    bool fitsChosen = false;       // ...and it is the one chosen
    bool compressed = false;       // CCD_COMPRESSION is on: pictures come packed (.fits.fz)
    bool uploadLocalOnly = false;  // UPLOAD_MODE keeps the pictures on the server's disk
};

// The region of the sensor the camera is asked to read, in unbinned pixels, and its binning: the
// frame's 320 x 240 binned on the camera as far as it can, from the sensor's centre.
struct CameraRegion {
    int bin = 1;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const CameraRegion&, const CameraRegion&) = default;
};
// Empty while the sensor's size is unknown.
std::optional<CameraRegion> RegionFor(const CameraFacts& camera);

// The exposure asked of the camera, in seconds, for the panel's milliseconds: within the
// camera's own range.
double ExposureSeconds(float panelMs, const CameraFacts& camera);

}  // namespace nuvix::indi
