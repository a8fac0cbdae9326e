#pragma once

#include "platform/indi/IndiAddress.h"

#include <libindi/baseclient.h>

#include <array>
#include <atomic>
#include <cstring>

namespace nuvix::testing {

// The telescope simulator's own account of the guide pulses it took, heard by a client of the
// test's: each axis's timed-guide property turns Busy when the driver starts a pulse and leaves
// Busy when it ends, so a pulse taken while the last one on its axis ran is a Busy after a Busy.
class PulseWatcher final : public INDI::BaseClient {
public:
    explicit PulseWatcher(const indi::ServerAddress& address)
    {
        setVerbose(false);
        watchDevice("Telescope Simulator");
        setServer(address.host.c_str(), static_cast<unsigned>(address.port));
        connectServer();
    }
    ~PulseWatcher() override
    {
        if (isServerConnected()) disconnectServer();
    }

    std::atomic<int> started{0};
    std::atomic<int> overlaps{0};

protected:
    void updateProperty(INDI::Property property) override
    {
        const char* name = property.getName();
        const bool ra = name && std::strcmp(name, "TELESCOPE_TIMED_GUIDE_WE") == 0;
        if (!ra && !(name && std::strcmp(name, "TELESCOPE_TIMED_GUIDE_NS") == 0)) return;
        const bool busy = property.getState() == IPS_BUSY;
        bool& running = running_[ra ? 0 : 1];  // the library's reading thread only
        started += busy;
        overlaps += busy && running;
        running = busy;
    }

private:
    std::array<bool, 2> running_{};
};

}  // namespace nuvix::testing
