#include "guiding/StarAnalysis.h"

#include <algorithm>
#include <array>

namespace nuvix {

namespace {

constexpr int kBox = TrackingState::kBoxSize;
constexpr int kTopLevel = 63;

// The position on one axis from its profile. `first` is the lowest index the centroid may
// start at (1 across, 0 down); index 99 is never summed.
int32_t AxisPosition(const std::array<uint8_t, kBox>& profile, int halfWindow, int first)
{
    // The lowest index of the strictly greatest count; none when the profile is empty.
    int peak = -1;
    uint8_t best = 0;
    for (int j = 0; j < kBox; ++j) {
        if (profile[static_cast<size_t>(j)] > best) {
            best = profile[static_cast<size_t>(j)];
            peak = j;
        }
    }
    if (peak < 0) return 0;
    if (peak < 7 || peak > 93) return peak;
    float s1 = 0.0f;
    float s0 = 0.0f;
    const int end = std::min(peak + halfWindow, kBox - 1);
    for (int j = std::max(peak - halfWindow, first); j < end; ++j) {
        const float count = profile[static_cast<size_t>(j)];
        s1 += static_cast<float>(j) * count;
        s0 += count;
    }
    return s0 != 0.0f ? static_cast<int32_t>(s1 / s0) : 0;
}

// The histogram, the peak and the profiles, over the box's pixels that lie in the picture.
void ScanBox(const FrameBytes& frame, const TrackingState& t, uint8_t threshold, AnalysisResults& r)
{
    const int top = std::max(t.boxTop, 0);
    const int bottom = std::min(t.boxTop + kBox, kFrameHeight);
    const int left = std::max(t.boxLeft, 0);
    const int right = std::min(t.boxLeft + kBox, kFrameWidth);
    // Neighbouring pixels mostly share a level: counting eight of them in eight tables keeps
    // each increment from waiting on the one before, which otherwise costs more than the rest.
    constexpr int kTables = 8;
    std::array<std::array<int32_t, 64>, kTables> counts{};
    // A level above the threshold is a value above 4 x threshold + 3.
    const int brightest = 4 * threshold + 3;
    const int width = right - left;
    r.peakLevel = 0;
    if (width <= 0 || bottom <= top) return;
    uint8_t* columns = r.columnProfile.data() + (left - t.boxLeft);
    for (int y = top; y < bottom; ++y) {
        // Row 0 of the buffer is the bottom row of the picture.
        const uint8_t* pixels = frame.data() + (kFrameHeight - 1 - y) * kFrameWidth + left;
        int i = 0;
        for (; i + kTables <= width; i += kTables) {
            for (int k = 0; k < kTables; ++k)
                ++counts[static_cast<size_t>(k)][pixels[i + k] >> 2];
        }
        for (; i < width; ++i)
            ++counts[0][pixels[i] >> 2];
        // Branch-free, so that the compiler can take many pixels at a time.
        int starPixels = 0;
        for (i = 0; i < width; ++i) {
            const uint8_t star = pixels[i] > brightest ? 1 : 0;
            columns[i] = static_cast<uint8_t>(columns[i] + star);
            starPixels += star;
        }
        r.rowProfile[static_cast<size_t>(y - t.boxTop)] = static_cast<uint8_t>(starPixels);
    }
    int peak = 0;
    for (size_t level = 0; level < 64; ++level) {
        r.boxHistogram[level] = 0;
        for (const auto& table : counts)
            r.boxHistogram[level] += table[level];
        if (r.boxHistogram[level] > 0) peak = static_cast<int>(level);
    }
    r.peakLevel = static_cast<uint8_t>(peak);
}

// How the white balance should move, from the previous peak (before the scan) and from what
// the scan found (after it); the later rules win.
int NudgeFromPeak(uint8_t previousPeak)
{
    if (previousPeak < 20) return 3;
    if (previousPeak < 45) return 2;
    if (previousPeak < 60) return 1;
    return 0;
}

int NudgeFromStar(int nudge, int32_t population, uint8_t threshold, bool darkSpot)
{
    if (population > 2000) {
        nudge = -3;
    } else if (population > 800) {
        nudge = -2;
    } else if (population > 200) {
        nudge = -1;
    }
    if (population < 10) nudge = 1;
    if (threshold < 32) nudge = 1;
    return darkSpot ? -nudge : nudge;
}

}  // namespace

bool StarLost(int32_t population)
{
    return population < kFewestStarPixels || population > kMostStarPixels;
}

ExposureChange AnalyseFrame(const FrameBytes& frame, const AnalysisSettings& settings, TrackingState& tracking,
                            AnalysisResults& results, uint16_t& whiteBalance)
{
    const uint8_t previousPeak = static_cast<uint8_t>(std::clamp<int>(results.peakLevel, 1, kTopLevel));
    results.boxHistogram.fill(0);
    results.columnProfile.fill(0);
    results.rowProfile.fill(0);
    int nudge = settings.autoWhiteBalance ? NudgeFromPeak(previousPeak) : 0;

    if (settings.manualThresholdOn) {
        results.autoThreshold = static_cast<uint8_t>(settings.manualThreshold);
    } else {
        results.autoThreshold = previousPeak > 7 ? static_cast<uint8_t>(previousPeak - 5) : 0;
    }
    ScanBox(frame, tracking, results.autoThreshold, results);

    results.population = 0;
    for (uint8_t count : results.columnProfile)
        results.population += count;
    // A dark spot is a wide patch: its centroid takes in more of the profile.
    const int halfWindow = settings.darkSpotGuiding ? 40 : 10;
    tracking.starX = AxisPosition(results.columnProfile, halfWindow, 1);
    tracking.starY = AxisPosition(results.rowProfile, halfWindow, 0);

    if (tracking.trackingOn && StarLost(results.population)) {
        // No correction is better than a wrong one.
        tracking.starX = tracking.refX - tracking.boxLeft;
        tracking.starY = tracking.refY - tracking.boxTop;
    }

    if (!settings.autoWhiteBalance) return ExposureChange::None;
    nudge = NudgeFromStar(nudge, results.population, results.autoThreshold, settings.darkSpotGuiding);
    // A value set by hand outside 130-180 is pulled into that range here.
    whiteBalance = static_cast<uint16_t>(std::max(std::min(whiteBalance + nudge, 180), 130));
    if (whiteBalance >= 160) return ExposureChange::Longer;
    if (whiteBalance <= 150) return ExposureChange::Shorter;
    return ExposureChange::None;
}

}  // namespace nuvix
