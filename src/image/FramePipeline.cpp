#include "image/FramePipeline.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace nuvix {

namespace {

// The per-pixel passes are built for AVX-512 and AVX2 as well as for any x86-64 processor, and
// the loader picks the one the processor runs. All give the same bytes: the same IEEE
// operations in the same order, never contracted into fused multiply-adds (see CMakeLists).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define NUVIX_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define NUVIX_VECTOR_CLONES
#endif
// The passes' bodies are inlined into each clone, so that each is compiled for its processor.
#define NUVIX_PASS [[gnu::always_inline]] inline

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
NUVIX_PASS void ScaleFrame(uint8_t* frame, const int32_t* dark)
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

NUVIX_VECTOR_CLONES void ScaleFrame(uint8_t* frame, const int32_t* dark, bool invert, bool subtractDark)
{
    if (invert) {
        subtractDark ? ScaleFrame<true, true>(frame, dark) : ScaleFrame<true, false>(frame, dark);
    } else {
        subtractDark ? ScaleFrame<false, true>(frame, dark) : ScaleFrame<false, false>(frame, dark);
    }
}

NUVIX_PASS uint8_t ToByte(float t)
{
    // A NaN fails both comparisons and ends as 0.
    t = t > 0.0f ? t : 0.0f;
    t = t < 255.0f ? t : 255.0f;
    return static_cast<uint8_t>(t);
}

// sum / frameCount truncated, for 0 <= sum < 2^31 and frameCount >= 1, by one multiplication
// that vectorises: with l = ceil(log2 frameCount) and m = ceil(2^(31 + l) / frameCount), which
// is below 2^32, floor(sum x m / 2^(31 + l)) is the quotient for every such sum (Granlund and
// Montgomery, division by invariant integers, theorem 4.2).
struct Divider {
    explicit Divider(int32_t frameCount)
    {
        int l = 0;
        while ((int64_t{1} << l) < frameCount)
            ++l;
        shift = 31 + l;
        multiplier = static_cast<uint32_t>(((uint64_t{1} << shift) + static_cast<uint64_t>(frameCount) - 1) /
                                           static_cast<uint64_t>(frameCount));
    }
    NUVIX_PASS int32_t operator()(int32_t sum) const
    {
        return static_cast<int32_t>((uint64_t{static_cast<uint32_t>(sum)} * multiplier) >> shift);
    }
    uint32_t multiplier;
    int shift;
};

// The views that need no knowledge of the sum's range, so they can be shown in the same pass
// that adds the frame. The stretch waits for the range.
enum class View { kFrame, kFrameTimesGain, kAverage, kAverageTimesGain };

struct ViewSettings {
    Divider average;
    float gain;
};

template <View kView>
NUVIX_PASS uint8_t Shown(int32_t sum, uint8_t scaled, ViewSettings view)
{
    // Without the gain the float step changes no value of 0-255, and the clamp is cheaper on integers.
    if constexpr (kView == View::kAverage) return static_cast<uint8_t>(std::min(view.average(sum), 255));
    if constexpr (kView == View::kAverageTimesGain) {
        const float t = static_cast<float>(view.average(sum));
        return ToByte(t * view.gain);
    }
    if constexpr (kView == View::kFrameTimesGain) return ToByte(static_cast<float>(scaled) * view.gain);
    return scaled;
}

// Adds the frame to the sum when the gate is open and shows the view when it does not depend
// on the sum's range. The range is found only when the stretch will use it: nothing else reads it.
template <bool kAdd, bool kRange, View kView>
NUVIX_PASS SumRange Accumulate(uint8_t* frame, int32_t* sum, ViewSettings view)
{
    int32_t minimum = kMinimumStart;
    int32_t maximum = 0;
    for (int i = 0; i < kFramePixels; ++i) {
        const uint8_t f = frame[i];
        int32_t s = sum[i];
        if constexpr (kAdd) {
            // Saturate: a wrapped entry would turn the brightest pixel black.
            s = std::min(s, kSumCeiling - f) + f;
            sum[i] = s;
        }
        if constexpr (kRange) {
            minimum = std::min(minimum, s);
            maximum = std::max(maximum, s);
        }
        if constexpr (kView != View::kFrame) frame[i] = Shown<kView>(s, f, view);
    }
    // Keeps the stretch's divisor positive.
    if (minimum == maximum) maximum = minimum + 1;
    return {minimum, maximum};
}

template <bool kAdd>
NUVIX_PASS SumRange Accumulate(uint8_t* frame, int32_t* sum, bool stretch, View shown, ViewSettings view)
{
    if (stretch) return Accumulate<kAdd, true, View::kFrame>(frame, sum, view);
    switch (shown) {
    case View::kFrameTimesGain:
        return Accumulate<kAdd, false, View::kFrameTimesGain>(frame, sum, view);
    case View::kAverage:
        return Accumulate<kAdd, false, View::kAverage>(frame, sum, view);
    case View::kAverageTimesGain:
        return Accumulate<kAdd, false, View::kAverageTimesGain>(frame, sum, view);
    case View::kFrame:
        break;
    }
    return Accumulate<kAdd, false, View::kFrame>(frame, sum, view);
}

NUVIX_VECTOR_CLONES SumRange Accumulate(uint8_t* frame, int32_t* sum, bool add, bool stretch, View shown,
                                        ViewSettings view)
{
    return add ? Accumulate<true>(frame, sum, stretch, shown, view)
               : Accumulate<false>(frame, sum, stretch, shown, view);
}

// The stretch spreads the sum's range over 0-255.
template <bool kGain>
NUVIX_PASS void ShowStretched(const int32_t* sum, uint8_t* frame, SumRange range, float gain)
{
    const float scale = 255.0f / static_cast<float>(int64_t{range.maximum} - range.minimum);
    for (int i = 0; i < kFramePixels; ++i) {
        float t = static_cast<float>(sum[i] - range.minimum) * scale;
        if constexpr (kGain) t = t * gain;
        frame[i] = ToByte(t);
    }
}

NUVIX_VECTOR_CLONES void ShowStretched(const int32_t* sum, uint8_t* frame, SumRange range, float gain, bool withGain)
{
    withGain ? ShowStretched<true>(sum, frame, range, gain) : ShowStretched<false>(sum, frame, range, gain);
}

// The mean of the accumulated frames, starting 1 included, becomes the dark frame.
NUVIX_VECTOR_CLONES void CaptureDark(const int32_t* sum, int32_t* dark, int32_t frameCount)
{
    const Divider mean(frameCount);
    for (int i = 0; i < kFramePixels; ++i) {
        dark[i] = mean(sum[i]);
    }
}

// Which view step 9 shows without the sum's range; the stretch is shown after the range is known.
View RangeFreeView(const IntegrationState& integration)
{
    if (integration.showAverage) {
        if (integration.stretchOn) return View::kFrame;
        return integration.gainOn ? View::kAverageTimesGain : View::kAverage;
    }
    return integration.gainOn ? View::kFrameTimesGain : View::kFrame;
}

}  // namespace

bool FramePipeline(FrameBuffers& buffers, IntegrationState& integration, const TrackingState& tracking,
                   bool darkSpotGuiding, PipelineHooks& hooks)
{
    // Without its blocks the pipeline has nothing to add to or subtract from.
    if (buffers.sumFrame.size() != kFramePixels || buffers.darkFrame.size() != kFramePixels) return false;

    int32_t& frameCount = integration.frameCount;
    if (frameCount < std::numeric_limits<int32_t>::max()) ++frameCount;

    // The position the gate judges is the previous frame's: this frame's analysis comes later.
    const bool gateOpen = GateOpen(tracking, integration.tolerance);
    if (!gateOpen) --frameCount;

    ScaleFrame(buffers.frame.data(), buffers.darkFrame.data(), darkSpotGuiding, buffers.useDark);
    hooks.AnalyseFrame(buffers.frame);

    // The count the views and the dark frame divide by is final before the sum is walked:
    // a rejected first frame still counts one.
    if (frameCount < 1) frameCount = 1;

    uint8_t* frame = buffers.frame.data();
    int32_t* sum = buffers.sumFrame.data();
    const ViewSettings view{Divider(frameCount), integration.gain};
    const bool stretch = integration.showAverage && integration.stretchOn;
    const SumRange range = Accumulate(frame, sum, gateOpen, stretch, RangeFreeView(integration), view);

    if (buffers.darkRequested) {
        buffers.darkRequested = false;
        CaptureDark(sum, buffers.darkFrame.data(), frameCount);
        hooks.DarkFrameTaken();
    }

    if (stretch) ShowStretched(sum, frame, range, integration.gain, integration.gainOn);
    hooks.ShowFrameCount(frameCount);
    return gateOpen;
}

}  // namespace nuvix
