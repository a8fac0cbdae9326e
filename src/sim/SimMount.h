#pragma once

#include "platform/clock/Clock.h"
#include "platform/ports/PortDevice.h"
#include "sim/PointingSource.h"

#include <array>
#include <cstdint>
#include <optional>

namespace nuvix::sim {

// The mount's side of the guiding: its correction speed and the telescope's image scale.
struct MountSettings {
    double raSpeed = 7.5;  // arcsec/s on each axis
    double decSpeed = 7.5;
    // The telescope of a first run: 200 cm of focal length and 7.5 µm pixels.
    double arcsecPerPixel = 0.7735;
    // An axis wired the other way round, for trying the inversion settings.
    bool flipRa = false;
    bool flipDec = false;
};

// A mount on a serial port's transmit register (attach it to the UARTs) that carries out the
// command bytes of the serial guiding protocol: bits 7-2 a length in 1/63 s, bit 1 the axis (DEC
// when set), bit 0 the direction. A command moves the axis at its correction speed for that long:
// AD along the picture's x, DEC along y, toward larger coordinates when bit 0 is set, which is the
// way that brings the star back to its reference. A new command on an axis replaces the one still
// running; a command of length 0 (the closing byte that follows each command) changes nothing.
class SimMount final : public PortDevice, public PointingSource {
public:
    explicit SimMount(Clock& clock, MountSettings settings = {});

    uint8_t ReadPort(uint16_t address) override;
    void WritePort(uint16_t address, uint8_t value) override;

    SkyPoint CorrectionAt(int64_t timeNs) const override;
    int CommandsCarriedOut() const { return commands_; }

    // A fault for demonstrations and tests: from `fromMs` (clock milliseconds since its start)
    // the axis takes its commands and does not move.
    enum class Axis { Ra, Dec };
    void JamAxis(Axis axis, int64_t fromMs = 0) { jammedFromMs_[axis == Axis::Dec ? 1 : 0] = fromMs; }

private:
    struct Pulse {
        int64_t startNs = 0;
        int64_t lengthNs = 0;
        double pixelsPerSecond = 0.0;
        double MovedBy(int64_t timeNs) const;
    };

    Clock& clock_;
    ContinuousMilliseconds time_;
    MountSettings settings_;
    std::array<std::optional<int64_t>, 2> jammedFromMs_;
    std::array<double, 2> finished_{};  // pixels moved by pulses already replaced, x then y
    std::array<std::optional<Pulse>, 2> running_;
    int commands_ = 0;
};

}  // namespace nuvix::sim
