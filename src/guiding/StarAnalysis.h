#pragma once

#include "guiding/TrackingState.h"
#include "image/FrameGeometry.h"

#include <cstdint>

namespace nuvix {

// What the analysis reads besides the frame and the tracking state.
struct AnalysisSettings {
    bool manualThresholdOn = false;
    int32_t manualThreshold = 32;  // 0..63
    bool autoWhiteBalance = false;
    bool darkSpotGuiding = false;
};

// What the automatic exposure asks of the main window after a frame.
enum class ExposureChange { None, Longer, Shorter };

// Measures the guide star in the tracking box of a scaled frame (0-252, bottom row first):
// the box's 64-level histogram, the threshold, the star pixels per box column and row, and the
// star's position from a centroid around the fullest column and row. While guiding, a star
// lost or swamped (fewer than 5 or more than 200 pixels) reads as standing on the reference.
// With automatic white balance, `whiteBalance` is nudged toward a usable star and the result
// says whether the exposure should change. An axis whose profile is empty reads 0, so no
// cross-hair is ever drawn from an earlier frame's position.
// Too few star pixels in the box (lost) or too many (swamped) to measure a position from.
inline constexpr int32_t kFewestStarPixels = 5;  // below, the star is lost
inline constexpr int32_t kMostStarPixels = 200;  // above, it is swamped or not a star
bool StarLost(int32_t population);

ExposureChange AnalyseFrame(const FrameBytes& frame, const AnalysisSettings& settings, TrackingState& tracking,
                            AnalysisResults& results, uint16_t& whiteBalance);

}  // namespace nuvix
