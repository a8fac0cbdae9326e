#include "sim/SimCamera.h"

#include <algorithm>
#include <cmath>

namespace nuvix::sim {

namespace {

constexpr uint16_t kData = port::kLptData;
constexpr uint16_t kStatus = port::kLptStatus;
constexpr uint16_t kControl = port::kLptControl;
constexpr uint8_t kActivityBits = 0xF0;
constexpr uint8_t kIntegrateSincePulse = 255;  // brightness: the sensor integrates since the last pulse

}  // namespace

SimCamera::SimCamera(Clock& clock, SkyModel* sky)
    : clock_(clock), sky_(sky), source_(sky ? PictureSource::Sky : PictureSource::TestPattern)
{
}

uint8_t SimCamera::ReadPort(uint16_t address)
{
    switch (address) {
    case kData:
        return ReadData();
    case kStatus:
        return ReadStatus();
    case kControl:
        return control_;
    default:
        return 0xFF;
    }
}

void SimCamera::WritePort(uint16_t address, uint8_t value)
{
    if (address == kData) {
        dataLatch_ = value;
    } else if (address == kControl) {
        WriteControl(value);
    }
}

void SimCamera::UnplugAfter(int frames, int halves)
{
    unplugPlan_ = UnplugPlan{std::max(frames, 0), std::clamp(halves, 0, kHalvesPerFrame - 1)};
}

void SimCamera::Unplug()
{
    if (unplugged_) return;
    frozenData_ = DrivenData();
    frozenStatus_ = StatusLines();
    unplugged_ = true;
    unplugPlan_.reset();
    stream_.Abort();
}

void SimCamera::Replug()
{
    if (!unplugged_) return;
    unplugged_ = false;
    awake_ = false;
    activity_ = 0;
    registers_ = {};
    pendingCommand_.reset();
    probing_ = false;
    answerAtMs_.reset();
}

void SimCamera::ScheduleUnplug(int64_t unplugAtMs, std::optional<int64_t> replugAtMs)
{
    unplugAtMs_ = unplugAtMs;
    replugAtMs_ = replugAtMs;
}

void SimCamera::SetNoisyStatus(uint32_t seed)
{
    noisy_ = true;
    noise_.seed(seed);
}

uint8_t SimCamera::ReadData() const
{
    // In output direction the port reads back its own latch, whatever the camera does.
    if ((control_ & lines::kDirectionInput) == 0) return dataLatch_;
    return unplugged_ ? frozenData_ : DrivenData();
}

uint8_t SimCamera::DrivenData() const
{
    if (stream_.Streaming()) return stream_.Data();
    if (probing_) return kProbeAnswer;
    return lines::kFloatingData;
}

uint8_t SimCamera::StatusLines() const
{
    if (stream_.Streaming()) return stream_.Status();
    if (!awake_) return 0;
    uint8_t status = static_cast<uint8_t>((activity_ << 4) & kActivityBits);
    if (!stuckHandshake_ && (control_ & lines::kSelectIn) == 0) status |= lines::kHandshake;
    return status;
}

// A slow camera keeps its handshake down until its exposure has run; only then is the clock
// read on status reads.
bool SimCamera::Answering()
{
    if (!answerAtMs_ || stream_.Streaming() || !stream_.Active()) return true;
    if (time_.Read(clock_) < *answerAtMs_) return false;
    answerAtMs_.reset();
    return true;
}

uint8_t SimCamera::ReadStatus()
{
    if (unplugged_) return frozenStatus_;
    uint8_t status = StatusLines();
    if (!Answering()) status &= static_cast<uint8_t>(~lines::kHandshake);
    const bool streaming = stream_.Streaming();
    if (awake_ && !streaming) ++activity_;
    if (noisy_) {
        const uint8_t carried = streaming ? lines::kPixelStatusBits : lines::kHandshake;
        status = static_cast<uint8_t>((status & carried) | (noise_() & ~carried & 0xFF));
    }
    return status;
}

void SimCamera::WriteControl(uint8_t value)
{
    const uint8_t previous = control_;
    control_ = value;
    if (unplugged_) {
        if (!replugAtMs_ || time_.Read(clock_) < *replugAtMs_) return;
        replugAtMs_.reset();
        Replug();
    }

    if (stream_.Active()) {
        if ((value & lines::kDirectionInput) != 0) {
            switch (stream_.OnControl(value)) {
            case SimFrameStream::Event::Completed:
                ++framesSent_;
                break;
            case SimFrameStream::Event::Stopped:
                Unplug();
                break;
            case SimFrameStream::Event::None:
                break;
            }
            return;
        }
        // The rest level that ends the request's last byte keeps the picture waiting; any
        // other output level means the host took the data lines back: the transfer is over,
        // finished or not.
        if (value == lines::kRest && stream_.AwaitingClaim()) return;
        stream_.Abort();
    }

    if (value == lines::kResetAsserted) {
        pendingCommand_.reset();
        probing_ = false;
    } else if (previous == lines::kResetAsserted && value == lines::kRest) {
        awake_ = true;
        lastPulseMs_ = time_.Read(clock_);
    } else if (awake_ && value == lines::kStrobeByte && previous != lines::kStrobeByte) {
        ReceiveByte(dataLatch_);
    }
}

void SimCamera::ReceiveByte(uint8_t value)
{
    probing_ = false;
    if (!pendingCommand_) {
        pendingCommand_ = value;
        return;
    }
    const uint8_t code = *pendingCommand_;
    pendingCommand_.reset();
    switch (code) {
    case lines::kCommandBrightness:
        registers_.brightness = value;
        break;
    case lines::kCommandLineCount:
        registers_.lineCount = value;
        break;
    case lines::kCommandLineUnits:
        registers_.lineUnits = value;
        break;
    case lines::kCommandTop:
        registers_.top = value;
        break;
    case lines::kCommandLeft:
        registers_.left = value;
        break;
    case lines::kCommandContrast:
        registers_.contrast = value;
        break;
    case lines::kCommandWhiteBalance:
        registers_.whiteBalance = value;
        break;
    case lines::kCommandPortMode:
        registers_.portMode = value;
        probing_ = true;
        break;
    case lines::kCommandSendFrame:
        if (value == lines::kFrameModeServed) StartFrame();
        break;
    default:
        break;  // commands this camera does not know are ignored with their argument
    }
}

void SimCamera::StartFrame()
{
    const int64_t nowMs = time_.Read(clock_);
    if (unplugAtMs_ && nowMs >= *unplugAtMs_) {
        unplugAtMs_.reset();
        UnplugAfter(framesSent_);
    }
    TakePicture(nowMs);
    answerAtMs_.reset();
    if (latencyFactor_ > 0.0 && registers_.brightness != kIntegrateSincePulse) {
        answerAtMs_ = nowMs + static_cast<int64_t>(std::ceil(latencyFactor_ * exposure_.milliseconds));
    }
    const bool unplugInThisFrame = unplugPlan_ && unplugPlan_->frames == framesSent_;
    stream_.Begin(unplugInThisFrame ? unplugPlan_->halves : -1);
}

double SimCamera::ExposureMilliseconds(int64_t nowMs) const
{
    if (registers_.brightness == kIntegrateSincePulse) {
        // The sensor has integrated since the last reset pulse: the host's long exposures.
        return static_cast<double>(nowMs - lastPulseMs_);
    }
    return std::pow(1.044274, registers_.brightness) * 0.042666666666666665 + 0.35;
}

void SimCamera::TakePicture(int64_t nowMs)
{
    exposure_ = Exposure{ExposureMilliseconds(nowMs), registers_.contrast, registers_.whiteBalance, nowMs * 1'000'000};
    ++picturesTaken_;

    SensorImage& out = stream_.SendOrder();
    if (sky_ == nullptr || source_ == PictureSource::TestPattern) {
        for (int k = 0; k < kSensorWidth * kSensorHeight; ++k)
            out[static_cast<size_t>(k)] = TestPatternPixel(k);
        return;
    }
    sky_->Render(exposure_, picture_);
    // Rows top first; within a row from the right: the host lands each row's first pixel
    // in its last column, so the picture arrives the right way round.
    size_t k = 0;
    for (int row = 0; row < kSensorHeight; ++row) {
        const uint8_t* source = picture_.data() + static_cast<size_t>(row) * kSensorWidth;
        for (int column = kSensorWidth - 1; column >= 0; --column) {
            out[k++] = std::min<uint8_t>(source[column], 63);
        }
    }
}

}  // namespace nuvix::sim
