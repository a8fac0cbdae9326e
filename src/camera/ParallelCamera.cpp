#include "camera/ParallelCamera.h"

#include "camera/ExposureTiming.h"
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"

namespace nuvix {

bool ParallelCamera::Detect()
{
    // The probe's answer does not decide presence: a camera that was seen is driven.
    if (!DetectCamera(link_)) return false;
    ProbePortMode(link_);
    return true;
}

bool ParallelCamera::UploadSettings(const CameraSettings& settings)
{
    // The camera exposes at the brightness sent before it answers the frame request.
    link_.answerBoundMs = AnswerBoundMs(static_cast<uint8_t>(settings.brightness & 0xFF));
    return nuvix::UploadSettings(link_, settings);
}

FrameArrival ParallelCamera::ReadFrame(float exposureMs, FrameBytes& target)
{
    (void)exposureMs;  // the brightness byte already carried it
    return nuvix::ReadFrame(link_, target) ? FrameArrival::Arrived : FrameArrival::Lost;
}

void ParallelCamera::PulseReset()
{
    nuvix::PulseReset(link_);
}

bool ParallelCamera::AnswersAgain()
{
    // The probe of the start is the presence check: it is short, it needs both levels of the
    // handshake (a line stuck either way fails it), and a camera that was powered again needs
    // its port mode anyway. Its reset pulse wakes such a camera.
    link_.answerBoundMs = kPresenceCheckBoundMs;
    return ProbePortMode(link_) == PortMode::Bidirectional;
}

}  // namespace nuvix
