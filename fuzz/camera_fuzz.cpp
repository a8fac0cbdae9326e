// Feeds arbitrary port data to the camera protocol: whatever the lines carry, every exchange
// ends within its bound, and a frame's pixels stay on the six-bit scale.
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"
#include "platform/clock/FakeClock.h"
#include "platform/ports/PortBus.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// Answers reads with the input's bytes in turn, over and over.
class FuzzedLines final : public nuvix::PortDevice {
public:
    FuzzedLines(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t ReadPort(uint16_t) override { return data_[next_++ % size_]; }
    void WritePort(uint16_t, uint8_t) override {}

private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nuvix;
    if (size == 0) return 0;
    FakeClock clock;
    PortBus bus;
    FuzzedLines lines(data, size);
    bus.Attach(port::kLptData, port::kLptControl, lines);
    CameraLink link{bus, clock};

    // Each wait gives up after the bound; a whole frame has 38,402 of them at most.
    constexpr int64_t kLongestNs = int64_t{kCameraAnswerBoundMs + 10} * 1'000'000 * 38'420;
    DetectCamera(link);
    ProbePortMode(link);
    UploadSettings(link, CameraSettings{});
    static auto frame = std::make_unique<FrameBytes>();
    ReadFrame(link, *frame);
    if (clock.NowNs() > kLongestNs) std::abort();
    for (uint8_t pixel : *frame) {
        if (pixel > 63) std::abort();
    }
    return 0;
}
