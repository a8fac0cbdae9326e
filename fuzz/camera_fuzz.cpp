// Feeds arbitrary port data to the camera protocol: whatever the lines carry, every exchange
// ends within its bound, and a frame's pixels stay on the six-bit scale.
#include "camera/ExposureTiming.h"
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"
#include "platform/clock/FakeClock.h"
#include "platform/ports/PortBus.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// Answers reads with the input's bytes after the first, in turn, presented 1 to 32 times over
// (the first byte's low five bits, plus one); then the lines hold the last byte, as those of a
// camera that went quiet. Most inputs end in a bounded wait soon, which keeps each run short;
// a long input that toggles the handshakes still reaches a whole frame (77,400 reads).
class FuzzedLines final : public nuvix::PortDevice {
public:
    FuzzedLines(const uint8_t* data, size_t size)
        : data_(data + 1), size_(size - 1), rounds_(size_t{data[0] & 0x1Fu} + 1)
    {
    }
    uint8_t ReadPort(uint16_t) override
    {
        if (next_ == size_) {
            next_ = 0;
            if (--rounds_ == 0) quiet_ = true;
        }
        return quiet_ ? data_[size_ - 1] : data_[next_++];
    }
    void WritePort(uint16_t, uint8_t) override {}

private:
    const uint8_t* data_;
    size_t size_;
    size_t rounds_;
    size_t next_ = 0;
    bool quiet_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace nuvix;
    if (size < 2) return 0;
    // A millisecond per clock reading: the detection window and the waits' bounds then take a
    // thousand times fewer port reads than at the default step, the same code paths, so that
    // ten million inputs run in an hour rather than in days.
    FakeClock clock(1'000'000);
    PortBus bus;
    FuzzedLines lines(data, size);
    bus.Attach(port::kLptData, port::kLptControl, lines);
    CameraLink link{bus, clock};

    // Each wait gives up after its bound; a whole frame has 38,402 of them at most. The
    // exchange's bound follows the exposure of the brightness sent, any byte of it.
    DetectCamera(link);
    ProbePortMode(link);
    CameraSettings settings;
    settings.brightness = data[1];
    link.answerBoundMs = AnswerBoundMs(data[1]);
    const int64_t longestNs = int64_t{link.answerBoundMs + 10} * 1'000'000 * 38'420;
    UploadSettings(link, settings);
    static auto frame = std::make_unique<FrameBytes>();
    ReadFrame(link, *frame);
    if (clock.NowNs() > longestNs) std::abort();
    for (uint8_t pixel : *frame) {
        if (pixel > 63) std::abort();
    }
    return 0;
}
