#pragma once

#include "camera/CameraLink.h"
#include "platform/clock/FakeClock.h"
#include "platform/ports/PortBus.h"
#include "platform/ports/RecordingDevice.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace nuvix::test {

// A fake clock that also notes every busy loop at its place among the port accesses, so
// that a protocol's writes and delays can be compared as one sequence.
class TracingClock final : public Clock {
public:
    explicit TracingClock(const RecordingDevice& device) : device_(device) {}

    int32_t ElapsedMilliseconds() override { return fake.ElapsedMilliseconds(); }
    int64_t UtcMilliseconds() override { return fake.UtcMilliseconds(); }
    void BusyLoop(int64_t iterations) override
    {
        loops_.emplace_back(device_.Log().size(), iterations);
        fake.BusyLoop(iterations);
    }

    // Data writes "Dxx", control writes "Cxx" and busy loops "Ln" in order, space separated.
    std::string Trace() const
    {
        std::string out;
        const auto& log = device_.Log();
        size_t loop = 0;
        auto add = [&out](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
        for (size_t i = 0; i <= log.size(); ++i) {
            for (; loop < loops_.size() && loops_[loop].first == i; ++loop) {
                add("L" + std::to_string(loops_[loop].second));
            }
            if (i == log.size() || log[i].kind != PortAccess::Kind::Write) continue;
            char item[8];
            std::snprintf(item, sizeof item, "%c%02X", log[i].address == port::kLptControl ? 'C' : 'D', log[i].value);
            add(item);
        }
        return out;
    }

    FakeClock fake;

private:
    const RecordingDevice& device_;
    std::vector<std::pair<size_t, int64_t>> loops_;
};

// Follows the control writes in a RecordingDevice's log as they come, so that a read handler
// can answer from the line levels in constant time.
class ControlWatcher {
public:
    explicit ControlWatcher(const RecordingDevice& device) : device_(device) {}

    void Update()
    {
        const auto& log = device_.Log();
        for (; seen_ < log.size(); ++seen_) {
            const PortAccess& a = log[seen_];
            if (a.kind != PortAccess::Kind::Write || a.address != port::kLptControl) continue;
            if (a.value == 0x04 && control_ != 0x04) ++strobes_;
            if ((a.value & 0x20) != 0) ++inputWrites_;
            control_ = a.value;
        }
    }
    uint8_t Control() const { return control_; }
    int Strobes() const { return strobes_; }
    // Control writes with the direction bit set.
    int InputWrites() const { return inputWrites_; }
    // The camera's usual answer: status bit 3 is the complement of SELECT IN.
    uint8_t Handshake() const { return (control_ & 0x08) ? 0x00 : 0x08; }

private:
    const RecordingDevice& device_;
    size_t seen_ = 0;
    uint8_t control_ = 0;
    int strobes_ = 0;
    int inputWrites_ = 0;
};

// A recording device on LPT1 with a tracing fake clock, wired as the host sees them.
struct ProtocolRig {
    ProtocolRig() { bus.Attach(port::kLptData, port::kLptControl, device); }

    int64_t NowNs() const { return clock.fake.NowNs(); }

    RecordingDevice device;
    TracingClock clock{device};
    PortBus bus;
    CameraLink link{bus, clock};
    ControlWatcher lines{device};
};

}  // namespace nuvix::test
