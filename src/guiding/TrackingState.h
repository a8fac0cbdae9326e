#pragma once

#include <array>
#include <cstdint>

namespace nuvix {

// The tracking box, the measured star and the guide reference, in picture pixels
// (x to the right, y downward from the top row as displayed).
struct TrackingState {
    static constexpr int kBoxSize = 100;

    int32_t boxLeft = 110;
    int32_t boxTop = 70;
    int32_t starX = 0;  // star position inside the box
    int32_t starY = 0;
    int32_t refX = 0;  // guide reference
    int32_t refY = 0;
    bool trackingOn = false;
    bool guidingSuspended = false;

    // The guide error: reference minus measured position.
    int32_t DeltaX() const { return refX - (boxLeft + starX); }
    int32_t DeltaY() const { return refY - (boxTop + starY); }

    // "Track": switching guiding on takes the star's current position as the reference, so
    // the first guided frame has no error.
    void ToggleGuiding()
    {
        if (!trackingOn) {
            refX = boxLeft + starX;
            refY = boxTop + starY;
        }
        trackingOn = !trackingOn;
    }
};

// What the star analysis found in the tracking box on the latest frame.
struct AnalysisResults {
    std::array<int32_t, 64> boxHistogram{};
    uint8_t peakLevel = 0;
    uint8_t autoThreshold = 0;
    std::array<uint8_t, 100> columnProfile{};
    std::array<uint8_t, 100> rowProfile{};
    int32_t population = 0;
};

}  // namespace nuvix
