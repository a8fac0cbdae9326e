#include "image/FramePipeline.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace nuvix {

namespace {

constexpr int kRawMax = 63;                                           // six-bit camera values
constexpr int32_t kMinimumStart = 1'410'065'408;                      // where the sum's minimum search starts
constexpr int32_t kSumCeiling = std::numeric_limits<int32_t>::max();  // an entry stops here instead of wrapping

// The sum's smallest and largest entries after accumulation, never equal.
struct SumRange {
    int32_t minimum;
    int32_t maximum;
};

// Frames are added only while the guide star stays within the tolerance of its reference.
bool GateOpen(const TrackingState& tracking, int32_t tolerance)
{
    if (!tracking.trackingOn) return true;
    // Wide arithmetic: a box dragged far away must not wrap the distance.
    const int64_t dx = int64_t{tracking.refX} - (int64_t{tracking.boxLeft} + tracking.starX);
    const int64_t dy = int64_t{tracking.refY} - (int64_t{tracking.boxTop} + tracking.starY);
    return std::abs(dx) <= tolerance && std::abs(dy) <= tolerance;
}

// Dark-spot inversion, scaling to 0-252 and dark subtraction, in one pass.
template <bool kInvert, bool kSubtractDark>
void ScaleFrame(uint8_t* frame, const int32_t* dark)
{
    for (int i = 0; i < kFramePixels; ++i) {
        // A transfer yields six bits; anything above is held at white rather than wrapped.
        int p = std::min<int>(frame[i], kRawMax);
        if constexpr (kInvert) p = kRawMax - p;
        int32_t v = 4 * p;
        if constexpr (kSubtractDark) v = dark[i] >= v ? 0 : v - dark[i];
        frame[i] = static_cast<uint8_t>(v);
    }
}

void ScaleFrame(FrameBuffers& buffers, bool invert)
{
    uint8_t* frame = buffers.frame.data();
    const int32_t* dark = buffers.darkFrame.data();
    if (invert) {
        buffers.useDark ? ScaleFrame<true, true>(frame, dark) : ScaleFrame<true, false>(frame, dark);
    } else {
        buffers.useDark ? ScaleFrame<false, true>(frame, dark) : ScaleFrame<false, false>(frame, dark);
    }
}

// Adds the frame to the sum when the gate is open, and finds the sum's range either way.
SumRange Accumulate(const uint8_t* frame, int32_t* sum, bool gateOpen)
{
    int32_t minimum = kMinimumStart;
    int32_t maximum = 0;
    if (gateOpen) {
        for (int i = 0; i < kFramePixels; ++i) {
            const int32_t s = sum[i];
            const int32_t f = frame[i];
            // Saturate: a wrapped entry would turn the brightest pixel black.
            const int32_t v = s > kSumCeiling - f ? kSumCeiling : s + f;
            sum[i] = v;
            minimum = std::min(minimum, v);
            maximum = std::max(maximum, v);
        }
    } else {
        for (int i = 0; i < kFramePixels; ++i) {
            minimum = std::min(minimum, sum[i]);
            maximum = std::max(maximum, sum[i]);
        }
    }
    // Keeps the stretch's divisor positive.
    if (minimum == maximum) maximum = minimum + 1;
    return {minimum, maximum};
}

// The mean of the accumulated frames, starting 1 included, becomes the dark frame.
void CaptureDark(const int32_t* sum, int32_t* dark, int32_t frameCount)
{
    for (int i = 0; i < kFramePixels; ++i) {
        dark[i] = sum[i] / frameCount;
    }
}

uint8_t ToByte(float t)
{
    if (t > 255.0f) t = 255.0f;
    if (!(t >= 0.0f)) t = 0.0f;  // also catches NaN
    return static_cast<uint8_t>(t);
}

// sum / frameCount truncated. Through double, which vectorises where integer division does
// not; exact for all int32 operands: the rounding error, at most |q| x 2^-53 < 2^-22 / count,
// is smaller than the distance 1 / count from a non-integer quotient to the next integer.
int32_t Quotient(int32_t sum, double frameCount)
{
    return static_cast<int32_t>(static_cast<double>(sum) / frameCount);
}

template <bool kGain>
void ShowAverage(const int32_t* sum, uint8_t* frame, int32_t frameCount, float gain)
{
    const double count = frameCount;
    for (int i = 0; i < kFramePixels; ++i) {
        float t = static_cast<float>(Quotient(sum[i], count));
        if constexpr (kGain) t = t * gain;
        frame[i] = ToByte(t);
    }
}

template <bool kGain>
void ShowStretched(const int32_t* sum, uint8_t* frame, SumRange range, float gain)
{
    const float scale = 255.0f / static_cast<float>(int64_t{range.maximum} - range.minimum);
    for (int i = 0; i < kFramePixels; ++i) {
        float t = static_cast<float>(sum[i] - range.minimum) * scale;
        if constexpr (kGain) t = t * gain;
        frame[i] = ToByte(t);
    }
}

void ShowWithGain(uint8_t* frame, float gain)
{
    for (int i = 0; i < kFramePixels; ++i) {
        const float t = static_cast<float>(frame[i]) * gain;
        frame[i] = ToByte(t);
    }
}

// What the live view, the saved pictures and the photo series show.
void DisplayTransform(FrameBuffers& buffers, const IntegrationState& integration, SumRange range)
{
    uint8_t* frame = buffers.frame.data();
    const int32_t* sum = buffers.sumFrame.data();
    const float gain = integration.gain;
    if (integration.showAverage) {
        if (integration.stretchOn) {
            integration.gainOn ? ShowStretched<true>(sum, frame, range, gain)
                               : ShowStretched<false>(sum, frame, range, gain);
        } else {
            integration.gainOn ? ShowAverage<true>(sum, frame, integration.frameCount, gain)
                               : ShowAverage<false>(sum, frame, integration.frameCount, gain);
        }
    } else if (integration.gainOn) {
        ShowWithGain(frame, gain);
    }
}

}  // namespace

void FramePipeline(FrameBuffers& buffers, IntegrationState& integration, const TrackingState& tracking,
                   bool darkSpotGuiding, PipelineHooks& hooks)
{
    // Without its blocks the pipeline has nothing to add to or subtract from.
    if (buffers.sumFrame.size() != kFramePixels || buffers.darkFrame.size() != kFramePixels) return;

    int32_t& frameCount = integration.frameCount;
    if (frameCount < std::numeric_limits<int32_t>::max()) ++frameCount;

    // The position the gate judges is the previous frame's: this frame's analysis comes later.
    const bool gateOpen = GateOpen(tracking, integration.tolerance);
    if (!gateOpen) --frameCount;

    ScaleFrame(buffers, darkSpotGuiding);
    hooks.AnalyseFrame(buffers.frame);

    const SumRange range = Accumulate(buffers.frame.data(), buffers.sumFrame.data(), gateOpen);
    // The average and the dark frame divide by the count; a rejected first frame still counts one.
    if (frameCount < 1) frameCount = 1;

    if (buffers.darkRequested) {
        buffers.darkRequested = false;
        CaptureDark(buffers.sumFrame.data(), buffers.darkFrame.data(), frameCount);
        hooks.DarkFrameTaken();
    }

    DisplayTransform(buffers, integration, range);
    hooks.ShowFrameCount(frameCount);
}

}  // namespace nuvix
