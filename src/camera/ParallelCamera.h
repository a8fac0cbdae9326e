#pragma once

#include "camera/CameraLink.h"
#include "camera/FrameSource.h"
#include "platform/text/Translate.h"

namespace nuvix {

// The QuickCam on the parallel port, driven by its registers: it is exposed by the brightness
// byte of the settings, so the exposure time of ReadFrame is not needed.
class ParallelCamera final : public FrameSource {
public:
    explicit ParallelCamera(CameraLink& link) : link_(link) {}

    bool Detect() override;
    CameraGreeting Greeting() const override { return {Tr("Mode bidirectionnel"), Tr("Quickcam sur LPT1")}; }
    bool UploadSettings(const CameraSettings& settings) override;
    FrameArrival ReadFrame(float exposureMs, FrameBytes& target) override;
    void PulseReset() override;
    bool AnswersAgain() override;

private:
    CameraLink& link_;
};

}  // namespace nuvix
