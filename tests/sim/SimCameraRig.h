#pragma once

#include "camera/CameraLink.h"
#include "platform/clock/FakeClock.h"
#include "platform/ports/PortBus.h"
#include "sim/SimCamera.h"

#include <vector>

namespace nuvix::test {

// The host's view of a simulated camera on LPT1, on a fake clock.
struct SimCameraRig {
    explicit SimCameraRig(sim::SkyModel* sky = nullptr) : camera(clock, sky)
    {
        bus.Attach(port::kLptData, port::kLptControl, camera);
    }

    int64_t NowNs() const { return clock.NowNs(); }

    FakeClock clock;
    PortBus bus;
    sim::SimCamera camera;
    CameraLink link{bus, clock};
};

// A scene double: renders what the test sets and remembers what it was asked.
class SceneDouble final : public sim::SkyModel {
public:
    void Render(const sim::Exposure& exposure, sim::SensorImage& out) override
    {
        asked.push_back(exposure);
        out = picture;
    }

    sim::SensorImage picture{};
    std::vector<sim::Exposure> asked;
};

}  // namespace nuvix::test
