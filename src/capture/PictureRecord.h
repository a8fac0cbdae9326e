#pragma once

#include "image/FrameGeometry.h"

#include <cstdint>
#include <optional>

namespace nuvix {

// A frame's exposure, as the pictures' headers tell it.
struct Exposure {
    int64_t startUtcMs = 0;  // milliseconds since 1970-01-01 00:00 UTC
    double seconds = 0.0;
    uint16_t contrast = 0;  // the settings it was taken with
    uint16_t whiteBalance = 0;
};

// What the image window keeps of the frames for the FITS pictures, frame by frame.
struct PictureRecord {
    FrameBytes levels{};            // the latest frame's six-bit levels as they came, before the pipeline
    std::optional<Exposure> frame;  // the latest frame's exposure; none before the first frame
    int32_t framesAdded = 0;        // frames in the sum since it was reset
    // The sum's: the first added frame's start, the seconds of all of them, the latest one's settings.
    std::optional<Exposure> sum;

    // A frame that came, and whether the pipeline added it to the sum.
    void Note(const FrameBytes& cameraLevels, const Exposure& exposure, bool added)
    {
        levels = cameraLevels;
        frame = exposure;
        if (!added) return;
        if (framesAdded < INT32_MAX) ++framesAdded;
        const double before = sum ? sum->seconds : 0.0;
        const int64_t start = sum ? sum->startUtcMs : exposure.startUtcMs;
        sum = exposure;
        sum->startUtcMs = start;
        sum->seconds += before;
    }
    void ResetSum()
    {
        framesAdded = 0;
        sum.reset();
    }
};

}  // namespace nuvix
