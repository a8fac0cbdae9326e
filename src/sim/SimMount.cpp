#include "sim/SimMount.h"

#include <algorithm>

namespace nuvix::sim {

namespace {
constexpr int64_t kNsPerCode = 1'000'000'000 / 63;  // one unit of length is 1/63 s
constexpr double kNsPerSecond = 1e9;
}  // namespace

SimMount::SimMount(Clock& clock, MountSettings settings) : clock_(clock), settings_(settings) {}

double SimMount::Pulse::MovedBy(int64_t timeNs) const
{
    const int64_t elapsed = std::clamp<int64_t>(timeNs - startNs, 0, lengthNs);
    return pixelsPerSecond * static_cast<double>(elapsed) / kNsPerSecond;
}

uint8_t SimMount::ReadPort(uint16_t address)
{
    (void)address;
    return 0xFF;  // a transmit register reads nothing back
}

void SimMount::WritePort(uint16_t address, uint8_t value)
{
    (void)address;
    const int code = value >> 2;
    if (code == 0) return;
    const bool dec = (value & 0x02) != 0;
    const bool positive = (value & 0x01) != 0;
    const size_t axis = dec ? 1 : 0;
    const int64_t nowMs = time_.Read(clock_);
    const int64_t now = nowMs * 1'000'000;

    if (running_[axis]) finished_[axis] += running_[axis]->MovedBy(now);
    const double speed = dec ? settings_.decSpeed : settings_.raSpeed;
    const bool flipped = dec ? settings_.flipDec : settings_.flipRa;
    double rate = settings_.arcsecPerPixel > 0.0 ? speed / settings_.arcsecPerPixel : 0.0;
    if (positive == flipped) rate = -rate;
    if (jammedFromMs_[axis] && nowMs >= *jammedFromMs_[axis]) rate = 0.0;
    running_[axis] = Pulse{now, code * kNsPerCode, rate};
    ++commands_;
}

SkyPoint SimMount::CorrectionAt(int64_t timeNs) const
{
    SkyPoint moved{finished_[0], finished_[1]};
    if (running_[0]) moved.x += running_[0]->MovedBy(timeNs);
    if (running_[1]) moved.y += running_[1]->MovedBy(timeNs);
    return moved;
}

}  // namespace nuvix::sim
