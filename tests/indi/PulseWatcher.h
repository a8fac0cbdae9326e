#pragma once

#include "platform/indi/IndiAddress.h"

#include <libindi/baseclient.h>

#include <array>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

namespace nuvix::testing {

// The telescope simulator's own account of the guide pulses it received, heard by a client of its
// own: each axis's timed-guide property turns Busy when the driver starts a pulse and leaves Busy
// when the pulse has ended. A pulse the driver took while the last one on its axis still ran is
// a Busy report that follows a Busy one.
class PulseWatcher final : public INDI::BaseClient {
public:
    explicit PulseWatcher(const indi::ServerAddress& address, const std::string& device = "Telescope Simulator")
    {
        setVerbose(false);
        watchDevice(device.c_str());
        setServer(address.host.c_str(), static_cast<unsigned>(address.port));
        connectServer();
    }
    ~PulseWatcher() override
    {
        if (isServerConnected()) disconnectServer();
    }

    // Pulses the simulator started, and those among them it started while its axis was busy.
    std::pair<int, int> Counts() const
    {
        const std::lock_guard lock(mutex_);
        return {started_, overlaps_};
    }

protected:
    void updateProperty(INDI::Property property) override
    {
        const char* name = property.getName();
        if (name == nullptr) return;
        const bool ra = std::strcmp(name, "TELESCOPE_TIMED_GUIDE_WE") == 0;
        if (!ra && std::strcmp(name, "TELESCOPE_TIMED_GUIDE_NS") != 0) return;
        const bool busy = property.getState() == IPS_BUSY;
        const std::lock_guard lock(mutex_);
        bool& running = running_[ra ? 0 : 1];
        started_ += busy;
        overlaps_ += busy && running;
        running = busy;
    }

private:
    mutable std::mutex mutex_;
    std::array<bool, 2> running_{};
    int started_ = 0;
    int overlaps_ = 0;
};

}  // namespace nuvix::testing
