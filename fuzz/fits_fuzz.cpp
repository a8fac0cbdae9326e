// Feeds arbitrary bytes to the FITS reading of a camera's BLOB and to the mapping that follows:
// whatever they hold, a picture comes out whole, on the frame's geometry and within 0 to 1, or
// none comes out and the reason is given; the mapped levels stay on the six-bit scale.
#include "camera/CameraImage.h"
#include "platform/fits/FitsImage.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nuvix;
    const fits::FitsReading reading = fits::ReadFitsImage({reinterpret_cast<const std::byte*>(data), size});
    if (reading.frame.empty()) {
        if (reading.problem.empty()) std::abort();
        return 0;
    }
    if (reading.frame.size() != static_cast<size_t>(kFramePixels)) std::abort();
    for (float share : reading.frame) {
        if (!(share >= 0.0f && share <= 1.00001f)) std::abort();  // sums of shares may round up a little
    }
    static auto frame = std::make_unique<FrameBytes>();
    CameraSettings settings;
    settings.contrast = size > 0 ? data[0] : 0;
    settings.whiteBalance = size > 1 ? data[size - 1] : 0;
    MapToFrame(reading.frame, settings, *frame);
    for (uint8_t level : *frame) {
        if (level > 63) std::abort();
    }
    return 0;
}
