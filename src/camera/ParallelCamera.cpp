#include "camera/ParallelCamera.h"

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

}  // namespace nuvix
