#include "camera/CameraImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace nuvix {

namespace {
constexpr float kTopLevel = 63.0f;
constexpr float kBlackBalance = 130.0f;  // the white balance whose black level is 0
constexpr float kLevelsPerBalanceStep = 0.2f;
}  // namespace

double FullScale(PixelType type)
{
    switch (type) {
    case PixelType::Unsigned8:
        return std::numeric_limits<uint8_t>::max();
    case PixelType::Signed8:
        return std::numeric_limits<int8_t>::max();
    case PixelType::Unsigned16:
        return std::numeric_limits<uint16_t>::max();
    case PixelType::Signed16:
        return std::numeric_limits<int16_t>::max();
    case PixelType::Unsigned32:
        return std::numeric_limits<uint32_t>::max();
    case PixelType::Signed32:
        return std::numeric_limits<int32_t>::max();
    case PixelType::Unsigned64:
        return static_cast<double>(std::numeric_limits<uint64_t>::max());
    case PixelType::Signed64:
        return static_cast<double>(std::numeric_limits<int64_t>::max());
    case PixelType::Float32:
    case PixelType::Float64:
        break;
    }
    return 1.0;
}

FrameFit FitToFrame(int width, int height)
{
    FrameFit fit;
    fit.bin = std::max(1, std::min(width / kFrameWidth, height / kFrameHeight));
    fit.left = (width - kFrameWidth * fit.bin) / 2;
    fit.top = (height - kFrameHeight * fit.bin) / 2;
    return fit;
}

void MapToFrame(const LinearFrame& picture, const CameraSettings& settings, FrameBytes& out)
{
    const float gain = static_cast<float>(settings.contrast & 0xFF) * (kTopLevel / 255.0f);
    // Half a level more, so that truncating rounds to the nearest.
    const float black =
        (static_cast<float>(settings.whiteBalance & 0xFF) - kBlackBalance) * kLevelsPerBalanceStep + 0.5f;
    const size_t n = std::min(picture.size(), out.size());
    for (size_t i = 0; i < n; ++i) {
        float level = black + gain * picture[i];
        // Written so that a value that is no number becomes black.
        level = level > 0.0f ? level : 0.0f;
        level = level < kTopLevel + 0.5f ? level : kTopLevel + 0.5f;
        out[i] = static_cast<uint8_t>(level);
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), uint8_t{0});
}

}  // namespace nuvix
